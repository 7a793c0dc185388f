// Help, about and the web link.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"

namespace app {

// The maker's web address: the web link button's caption and what it opens.
extern const char kMakerWebAddress[];

// Builds HelpText and shows it in a message box.
void ShowHelpAbout();

// Handler of push button 22 ("&Help/About"): calls ShowHelpAbout.
std::int32_t HelpAboutClicked(platform::Window window, unsigned message, std::uintptr_t wparam,
                              std::intptr_t lparam);

// Handler of the web link button (26).
std::int32_t OpenMakerWebSite(platform::Window window, unsigned message, std::uintptr_t wparam,
                              std::intptr_t lparam);

}  // namespace app
