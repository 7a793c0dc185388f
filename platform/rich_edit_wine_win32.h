// The one place where the window layer relies on how Wine builds its rich
// edit control (see rich_edit_wine_win32.cpp). Used by window_win32.cpp
// only; on Windows, and on any Wine release the tests have not verified,
// EmptyWithFreshEditor sends nothing to the control and returns false.
#pragma once

#include <windows.h>

namespace platform::wine_rich_edit {

// Remembers the style and font a rich edit control was made with, so that a
// fresh editor can be given the same.
void NoteCreated(HWND control, DWORD style, HFONT font);

// Empties `control` by giving its window a fresh, empty editor in place of
// the one it holds: the same window, id, class, styles, font, text limit,
// event mask, options and focus. Costs the same whatever the length of the
// text. False when this is not a Wine release the tests verified, the
// control is not one noted above, or any check on the way fails; the
// control then still holds a working editor (its text perhaps unchanged)
// and the caller empties it the ordinary way.
bool EmptyWithFreshEditor(HWND control);

}  // namespace platform::wine_rich_edit
