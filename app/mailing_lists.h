// The list box side of the mailing list catalogue, and list expansion.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace app {

// Refills the catalogue from the current directory and the list box (id 1
// of MainWindow) from it: one row per list, showing its title, carrying the
// list's catalogue index as its item data.
void LoadMailingLists();

// Handler of the list box. On a double click (LBN_DBLCLK, nothing else)
// expands the selected row's own list into the output pane and gives the
// list box the focus. No row selected: nothing is opened, the pane stays.
std::int32_t ExpandSelectedList(platform::Window window, unsigned message, std::uintptr_t wparam,
                                std::intptr_t lparam);

}  // namespace app
