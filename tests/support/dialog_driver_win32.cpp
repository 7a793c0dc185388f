#include <windows.h>
// windows.h first: the common controls and shell headers build on it.
#include <commctrl.h>
#include <shlobj.h>

#include <chrono>

#include "tests/support/dialog_driver.h"

namespace dialogtest {

namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

struct Collected {
  DWORD process;
  std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
  auto* collected = reinterpret_cast<Collected*>(found);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == collected->process && IsWindowVisible(window) && ClassOf(window) == "#32770") {
    collected->dialogs.push_back(window);
  }
  return TRUE;
}

HWND ChildOfClass(HWND parent, const char* windowClass) {
  return FindWindowExA(parent, nullptr, windowClass, nullptr);
}

bool Until(const std::function<bool()>& done, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Sleep(20);
  }
  return true;
}

void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

std::vector<HWND> OpenDialogs(DWORD process) {
  Collected found{process, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found.dialogs;
}

bool IsFolderPicker(HWND dialog) {
  return ChildOfClass(dialog, WC_TREEVIEWA) != nullptr;
}

HWND WaitForDialog(const std::function<bool(HWND)>& accept, int timeoutMs, DWORD process) {
  HWND result = nullptr;
  Until(
      [&] {
        for (HWND dialog : OpenDialogs(process)) {
          if (accept(dialog)) {
            result = dialog;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return result;
}

HWND WaitForPicker(int timeoutMs, DWORD process) {
  return WaitForDialog(IsFolderPicker, timeoutMs, process);
}

HWND WaitForMessageBox(int timeoutMs) {
  return WaitForDialog([](HWND dialog) { return !IsFolderPicker(dialog); }, timeoutMs);
}

bool WaitForFewerDialogsThan(std::size_t count, int timeoutMs) {
  return Until([&] { return OpenDialogs().size() < count; }, timeoutMs);
}

std::string PickerTitle(HWND picker) {
  // The title is the picker's first static text.
  HWND label = ChildOfClass(picker, "Static");
  char text[512] = {};
  if (label != nullptr) GetWindowTextA(label, text, sizeof text);
  return text;
}

bool WaitForTreeSelection(HWND picker, int timeoutMs) {
  HWND tree = ChildOfClass(picker, WC_TREEVIEWA);
  const bool selected =
      Until([&] { return SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0; }, timeoutMs);
  // Let the picker finish what it does after selecting.
  Sleep(300);
  return selected;
}

namespace {

// A few bytes in the memory of the process that owns `window`: the tree's
// and the picker's messages carry pointers, which the system does not carry
// over to another process. For a window of this process it is simply memory
// of this process.
class MemoryOf {
 public:
  explicit MemoryOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
    if (process_ != nullptr) {
      at_ = VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
  }
  MemoryOf(const MemoryOf&) = delete;
  MemoryOf& operator=(const MemoryOf&) = delete;
  ~MemoryOf() {
    if (at_ != nullptr) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }

  static constexpr std::size_t kSize = 4096;
  bool ok() const { return at_ != nullptr; }
  // The address `offset` bytes in, as the other process sees it.
  char* At(std::size_t offset) const { return static_cast<char*>(at_) + offset; }
  bool Write(std::size_t offset, const void* bytes, std::size_t size) const {
    SIZE_T done = 0;
    return offset + size <= kSize &&
           WriteProcessMemory(process_, At(offset), bytes, size, &done) != 0 && done == size;
  }
  bool Read(std::size_t offset, void* bytes, std::size_t size) const {
    SIZE_T done = 0;
    return offset + size <= kSize &&
           ReadProcessMemory(process_, At(offset), bytes, size, &done) != 0 && done == size;
  }

 private:
  HANDLE process_ = nullptr;
  void* at_ = nullptr;
};

}  // namespace

std::string SelectedName(HWND picker) {
  HWND tree = ChildOfClass(picker, WC_TREEVIEWA);
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return {};
  const MemoryOf memory(tree);
  if (!memory.ok()) return {};
  // The item first, its text after it.
  TVITEMA entry{};
  entry.mask = TVIF_TEXT;
  entry.hItem = item;
  entry.pszText = memory.At(sizeof entry);
  entry.cchTextMax = MAX_PATH;
  char text[MAX_PATH + 1] = {};
  if (!memory.Write(0, &entry, sizeof entry) || !memory.Write(sizeof entry, text, MAX_PATH) ||
      SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.At(0))) == 0) {
    return {};
  }
  if (!memory.Read(sizeof entry, text, MAX_PATH)) return {};
  return text;
}

bool ListFoldersDownTo(const std::string& path) {
  const auto list = [](const std::string& folder) {
    WIN32_FIND_DATAA found;
    const HANDLE listing =
        FindFirstFileA((folder + (folder.back() == '\\' ? "*" : "\\*")).c_str(), &found);
    if (listing == INVALID_HANDLE_VALUE) return false;
    while (FindNextFileA(listing, &found)) {
    }
    FindClose(listing);
    return true;
  };
  // "Z:\\", "Z:\\a\\", "Z:\\a\\b\\", ..., then `path` itself.
  for (std::size_t end = path.find('\\'); end != std::string::npos && end + 1 < path.size();
       end = path.find('\\', end + 1)) {
    if (!list(path.substr(0, end + 1))) return false;
  }
  return !path.empty() && list(path);
}

bool SelectInPicker(HWND picker, const std::string& path) {
  // The picker may still be settling on its start folder when the request
  // comes (Wine fills the tree as it expands it): ask again until the
  // folder's name is selected and stays so.
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  const MemoryOf memory(picker);
  if (!memory.ok() || !memory.Write(0, path.c_str(), path.size() + 1)) return false;
  for (int attempt = 0; attempt < 10; ++attempt) {
    SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(memory.At(0)));
    if (Until([&] { return SelectedName(picker) == name; }, 1000)) {
      Sleep(300);
      if (SelectedName(picker) == name) return true;
    }
  }
  return false;
}

std::string MessageText(HWND box) {
  char text[4096] = {};
  // The text of a message box is its static control 0xFFFF.
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

std::string Caption(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void PressOk(HWND dialog) {
  Press(dialog, IDOK);
}
void PressCancel(HWND dialog) {
  Press(dialog, IDCANCEL);
}

void CloseEveryDialog(DWORD process) {
  for (int round = 0; round < 10 && !OpenDialogs(process).empty(); ++round) {
    for (HWND dialog : OpenDialogs(process)) PressCancel(dialog);
    Sleep(200);
  }
}

}  // namespace dialogtest
