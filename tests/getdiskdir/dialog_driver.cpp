#include "dialog_driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <chrono>

namespace dialogtest {

namespace {

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && IsWindowVisible(window) && ClassOf(window) == "#32770") {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
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

std::vector<HWND> OpenDialogs() {
  std::vector<HWND> found;
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

bool IsFolderPicker(HWND dialog) {
  return ChildOfClass(dialog, WC_TREEVIEWA) != nullptr;
}

HWND WaitForDialog(const std::function<bool(HWND)>& accept, int timeoutMs) {
  HWND result = nullptr;
  Until(
      [&] {
        for (HWND dialog : OpenDialogs()) {
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

HWND WaitForPicker(int timeoutMs) {
  return WaitForDialog(IsFolderPicker, timeoutMs);
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

// The text of the tree's selected item: a folder's display name.
std::string SelectedTreeText(HWND picker) {
  HWND tree = ChildOfClass(picker, WC_TREEVIEWA);
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return {};
  char text[MAX_PATH] = {};
  TVITEMA entry{};
  entry.mask = TVIF_TEXT;
  entry.hItem = item;
  entry.pszText = text;
  entry.cchTextMax = sizeof text;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry));
  return text;
}

}  // namespace

bool SelectInPicker(HWND picker, const std::string& path) {
  // The picker may still be settling on its start folder when the request
  // comes (Wine fills the tree as it expands it): ask again until the
  // folder's name is selected and stays so.
  const std::string name = path.substr(path.find_last_of('\\') + 1);
  for (int attempt = 0; attempt < 10; ++attempt) {
    SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
    if (Until([&] { return SelectedTreeText(picker) == name; }, 1000)) {
      Sleep(300);
      if (SelectedTreeText(picker) == name) return true;
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

void CloseEveryDialog() {
  for (int round = 0; round < 10 && !OpenDialogs().empty(); ++round) {
    for (HWND dialog : OpenDialogs()) PressCancel(dialog);
    Sleep(200);
  }
}

}  // namespace dialogtest
