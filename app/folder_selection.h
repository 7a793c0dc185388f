// Folder selection: the "&Browse" button and the exported folder picker.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace app {

// Handler of push button 5 ("&Browse").
std::int32_t BrowseFolder(platform::Window window, unsigned message, std::uintptr_t wparam,
                          std::intptr_t lparam);

}  // namespace app
