// Folder selection: the "&Browse" button and the program's exported folder
// picker, GETDISKDIR.
#pragma once

#include <cstdint>

#include "app/main_window.h"
#include "platform/shell.h"
#include "platform/window.h"

// The exported folder picker (QUILLMER.EXE, by name, ordinal 1). Every
// argument is passed by reference and only read: the owner window (a 32-bit
// handle, 0 for none), the title, and the start folder (no trailing
// backslash except at a drive root; cut at 259 bytes). A null handle, or a
// null address, counts as the empty string (owner 0). Returns a new
// length-prefixed string owned by the caller: the chosen folder's
// file-system path (no trailing backslash except at a drive root), or the
// empty string on Cancel or for an item without one.
extern "C" platform::StringHandle QUILLMER_STDCALL
GETDISKDIR(const std::uint32_t* owner, const platform::StringHandle* title,
           const platform::StringHandle* startFolder);

namespace app {

// Title the "&Browse" button gives the picker.
extern const char kBrowseTitle[];

// Handler of push button 5 ("&Browse"): picks a folder starting at
// CurrentFolder; a chosen folder that can be made current becomes
// CurrentFolder, is shown in text box 4, and its address books and mailing
// lists are loaded. Cancel, an item without a path, or a folder that cannot
// be made current change nothing. The output pane keeps its text.
std::int32_t BrowseFolder(MainWindowState& state, platform::Window window, unsigned message,
                          std::uintptr_t wparam, std::intptr_t lparam);

}  // namespace app
