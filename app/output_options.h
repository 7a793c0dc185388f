// The "Strip Names" and "Sort List" buttons: each press reads the output
// pane's whole text, reworks it and writes the result back in its place.
#pragma once

#include <cstdint>

#include "app/main_window.h"
#include "platform/window.h"

namespace app {

// Handler of push button 28; acts on every call.
std::int32_t StripNames(MainWindowState& state, platform::Window window, unsigned message,
                        std::uintptr_t wparam, std::intptr_t lparam);

// Handler of push button 29; acts on every call.
std::int32_t SortList(MainWindowState& state, platform::Window window, unsigned message,
                      std::uintptr_t wparam, std::intptr_t lparam);

}  // namespace app
