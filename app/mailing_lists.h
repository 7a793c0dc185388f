// The window's side of a mail folder: making it current and reading it, the
// list box of its mailing lists, and list expansion.
#pragma once

#include <cstdint>
#include <string>

#include "app/main_window.h"
#include "engine/mail_folder.h"
#include "platform/window.h"

namespace app {

// The one way the window enters a folder, at start-up and after "&Browse":
// makes `folder` the process's current directory, as the window always
// has, then reads it (engine::OpenMailFolder), makes it state.Folder and
// shows its lists in state.MainWindow. A folder that cannot be made current changes nothing:
// false. One that is current but cannot be read shows no lists.
bool OpenFolderInWindow(MainWindowState& state, const std::string& folder);

// Refills the list box (id 1 of `window`) from `folder`'s catalogue: one
// row per list, showing its title, carrying the list's position + 1 as its
// item data (0, what a row holds before, names no list).
void LoadMailingLists(platform::Window window, const engine::MailFolder& folder);

// Handler of the list box. On a double click (LBN_DBLCLK, nothing else)
// expands the selected row's own list into the output pane and gives the
// list box the focus. No row selected: nothing is opened, the pane stays.
std::int32_t ExpandSelectedList(MainWindowState& state, platform::Window window, unsigned message,
                                std::uintptr_t wparam, std::intptr_t lparam);

}  // namespace app
