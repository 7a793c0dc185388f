// The shell layer on Win32: SHBrowseForFolderA, MessageBoxA, ShellExecuteA
// and OLE's length-prefixed strings.
//
// PickFolder and the string functions also run when another program has
// loaded QUILLMER.EXE only to call its exported folder picker: the C and C++
// run-time start-up of this program has not run then, so they use no
// process-wide state of their own.
#include <windows.h>
// windows.h first: the shell and OLE headers build on it.
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "platform/shell.h"

namespace platform {

namespace {

static_assert(kMessageBoxOk == MB_OK);
static_assert(kShowNormal == SW_SHOWNORMAL);
static_assert(kPickerPathLimit + 1 == MAX_PATH);

// The picker's callback: on BFFM_INITIALIZED it selects the start folder,
// whose buffer the picker hands back as `data`, and opens the tree down to
// it. Nothing else has a visible effect: the picker has no status area.
int CALLBACK BrowseCallback(HWND picker, UINT message, LPARAM /*value*/, LPARAM data) {
  if (message == BFFM_INITIALIZED) {
    SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, data);
  }
  return 0;
}

// Frees an item list the picker returned.
class ItemList {
 public:
  explicit ItemList(PIDLIST_ABSOLUTE items) : items_(items) {}
  ItemList(const ItemList&) = delete;
  ItemList& operator=(const ItemList&) = delete;
  ~ItemList() { CoTaskMemFree(items_); }
  PIDLIST_ABSOLUTE Get() const { return items_; }

 private:
  PIDLIST_ABSOLUTE items_;
};

// The picker asks shell folders for their contents, which wants COM on
// this thread; a caller that has set COM up already keeps its own setting.
class ComForThisThread {
 public:
  ComForThisThread()
      : initialized_(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ComForThisThread(const ComForThisThread&) = delete;
  ComForThisThread& operator=(const ComForThisThread&) = delete;
  ~ComForThisThread() {
    if (initialized_) CoUninitialize();
  }

 private:
  bool initialized_;
};

// A window handle from its 32-bit value. Window handles are 32-bit values
// on 64-bit Windows too, sign-extended to the pointer's width.
HWND WindowFromValue(std::uint32_t value) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

}  // namespace

StringHandle NewStringHandle(std::string_view bytes) {
  return reinterpret_cast<StringHandle>(
      SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size())));
}

void FreeStringHandle(StringHandle handle) {
  SysFreeString(reinterpret_cast<BSTR>(handle));
}

std::string_view StringHandleBytes(StringHandle handle) {
  if (handle == nullptr) return {};
  return {handle, SysStringByteLen(reinterpret_cast<BSTR>(handle))};
}

std::string PickFolder(std::uint32_t owner, std::string_view title, std::string_view startFolder) {
  // Start folder: at most 259 bytes and a NUL; the picker reads it up to the
  // first NUL in its callback while it is open.
  char start[MAX_PATH] = {};
  const std::size_t startLength =
      startFolder.size() < kPickerPathLimit ? startFolder.size() : kPickerPathLimit;
  if (startLength > 0) std::memcpy(start, startFolder.data(), startLength);
  char chosen[MAX_PATH] = {};
  const std::string titleText(title);

  ComForThisThread com;
  BROWSEINFOA settings;
  std::memset(&settings, 0, sizeof settings);
  settings.hwndOwner = WindowFromValue(owner);
  settings.pidlRoot = nullptr;
  settings.pszDisplayName = nullptr;
  settings.lpszTitle = titleText.c_str();
  settings.ulFlags = 0;
  settings.lpfn = BrowseCallback;
  settings.lParam = reinterpret_cast<LPARAM>(start);

  const ItemList item(SHBrowseForFolderA(&settings));
  if (item.Get() == nullptr) return {};
  if (!SHGetPathFromIDListA(item.Get(), chosen)) return {};
  return std::string(chosen, strnlen(chosen, sizeof chosen));
}

void ShowMessage(std::string text, std::optional<std::string> caption, unsigned style) {
  MessageBoxA(nullptr, text.c_str(), caption ? caption->c_str() : nullptr, style);
}

std::intptr_t OpenWithShell(const std::string& verb, const std::string& file,
                            const std::string& directory, int show) {
  const HINSTANCE result = ShellExecuteA(nullptr, verb.c_str(), file.c_str(), nullptr,
                                         directory.empty() ? nullptr : directory.c_str(), show);
  return reinterpret_cast<std::intptr_t>(result);
}

}  // namespace platform
