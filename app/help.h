// Help, about and the web link: the "&Help/About" button shows a fixed help
// text in a message box; the web link button opens the maker's web site
// with the shell and reports the shell's failures, the only failure
// messages the program ever shows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "platform/window.h"

namespace app {

// The maker's web address: the web link button's caption and what it opens.
extern const char kMakerWebAddress[];

// Caption of the help box.
extern const char kHelpCaption[];

// The help-and-about text, CR LF line breaks, ending in the maker block.
std::string BuildHelpText();

// Shows the help text in a message box (no owner, MB_OK). Each box shows
// its own copy, so a box opened from inside another one leaves the first
// box's text alone.
void ShowHelpAbout();

// Handler of push button 22 ("&Help/About"): calls ShowHelpAbout.
std::int32_t HelpAboutClicked(MainWindowState& state, platform::Window window, unsigned message,
                              std::uintptr_t wparam, std::intptr_t lparam);

// The message for a ShellExecuteA result code; nothing for success (above
// 32).
std::optional<std::string> ShellFailureMessage(std::intptr_t code);

// Opens `address` (NUL-terminated; only its first 255 bytes are used) with
// the shell's "OPEN" verb in the current directory and shows the failure
// message, if any, in a message box with the system's generic caption.
void OpenWebAddress(const char* address);

// Handler of the web link button (26): opens kMakerWebAddress.
std::int32_t OpenMakerWebSite(MainWindowState& state, platform::Window window, unsigned message,
                              std::uintptr_t wparam, std::intptr_t lparam);

}  // namespace app
