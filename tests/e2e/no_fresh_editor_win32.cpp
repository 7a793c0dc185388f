// The Wine rich edit shortcut as on Windows and on unverified Wine releases:
// never taken. Linked into QUILLDEL.EXE only; its definitions come before
// the window layer's archive, so the linker takes these and leaves
// platform/rich_edit_wine_win32.cpp out of that program.
#include "platform/rich_edit_wine_win32.h"

namespace platform::wine_rich_edit {

void NoteCreated(HWND, DWORD, HFONT) {}

bool EmptyWithFreshEditor(HWND) {
  return false;
}

}  // namespace platform::wine_rich_edit
