// Shell layer: the system folder picker, message boxes, opening an address
// with the shell, and the length-prefixed strings that the exported folder
// picker takes and gives.
//
// shell_win32.cpp is the one implementation (SHBrowseForFolderA,
// MessageBoxA, ShellExecuteA, SysAllocStringByteLen). The native tests link
// a double, tests/support/shell_headless.cpp, that answers from queues the
// tests fill and records what the program showed (tests/support/shell_fake.h).
//
// Text is bytes; no code-page conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The platform's standard calling convention: the callee removes its
// arguments from the stack. Only the i686 build has a choice here.
#if defined(_WIN32)
#define QUILLMER_STDCALL __stdcall
#else
#define QUILLMER_STDCALL
#endif

namespace platform {

//--- length-prefixed strings

// A pointer to a string's bytes, which are preceded by their 32-bit byte
// length and followed by a NUL (OLE automation strings). The null handle is
// the empty string.
using StringHandle = char*;

// A new handle holding exactly `bytes` (NULs included), owned by the caller.
StringHandle NewStringHandle(std::string_view bytes);
void FreeStringHandle(StringHandle handle);
// The bytes a handle holds, by its length prefix; empty for the null handle.
std::string_view StringHandleBytes(StringHandle handle);

// Owner of one handle.
class OwnedStringHandle {
 public:
  OwnedStringHandle() = default;
  explicit OwnedStringHandle(StringHandle handle) : handle_(handle) {}
  explicit OwnedStringHandle(std::string_view bytes) : handle_(NewStringHandle(bytes)) {}
  OwnedStringHandle(const OwnedStringHandle&) = delete;
  OwnedStringHandle& operator=(const OwnedStringHandle&) = delete;
  ~OwnedStringHandle() { FreeStringHandle(handle_); }

  StringHandle Get() const { return handle_; }
  const StringHandle* Address() const { return &handle_; }
  std::string_view Bytes() const { return StringHandleBytes(handle_); }

 private:
  StringHandle handle_ = nullptr;
};

//--- folder picker

// The longest start folder the picker is given; longer ones are cut.
inline constexpr std::size_t kPickerPathLimit = 259;

// Opens the system folder picker (no flags: no status area, no edit box,
// the whole namespace from the desktop down) with `owner` as its owner
// window (a 32-bit window handle value, 0 for none) and `title` above the
// tree, and selects `startFolder` (cut at kPickerPathLimit bytes) when it
// opens. Runs its own modal loop. Returns the chosen item's file-system
// path as the system reports it (no trailing backslash except at a drive
// root), or empty on Cancel or for an item with no file-system path.
std::string PickFolder(std::uint32_t owner, std::string_view title, std::string_view startFolder);

//--- message boxes

inline constexpr unsigned kMessageBoxOk = 0x0;  // MB_OK: one OK button, no icon

// Shows a message box without an owner window and returns when the user
// closes it. The box keeps its own copy of `text`. Without a caption the
// system's generic one is shown.
void ShowMessage(std::string text, std::optional<std::string> caption, unsigned style);

//--- opening an address

inline constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

// ShellExecuteA with no owner window and no parameters: `verb` applied to
// `file`, started in `directory` (empty: the system's default). Returns
// the shell's result code: above 32 is success, 32 or less an error code.
std::intptr_t OpenWithShell(const std::string& verb, const std::string& file,
                            const std::string& directory, int show);

}  // namespace platform
