// The main window: its eleven controls as one table, the routing of their
// command notifications, and the program's start-up sequence.
//
// Start-up, in this order: the four engine tables, the rich edit library,
// CurrentFolder, the address books, the hidden main window and its
// controls, the mailing lists, then the window is shown. Run() adds the
// modal loop and gives the exit code, always 0.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/window.h"

namespace app {

// Control ids that handlers use.
inline constexpr int kListBoxId = 1;
inline constexpr int kHintLabelId = 2;
inline constexpr int kFolderTextId = 4;
inline constexpr int kBrowseButtonId = 5;
inline constexpr int kHelpButtonId = 22;
inline constexpr int kWebLinkButtonId = 26;
inline constexpr int kOutputPaneId = 27;
inline constexpr int kStripNamesButtonId = 28;
inline constexpr int kSortListButtonId = 29;

// Set once the main window exists; valid for the rest of the run.
extern platform::Window MainWindow;
// The folder whose lists are shown; always ends with a backslash.
extern std::string CurrentFolder;

extern const platform::MainWindowSpec kMainWindowSpec;
// Creation order, which is also the tab order. The folder text box (id 4)
// starts with CurrentFolder instead of its table text.
extern const std::array<platform::ControlSpec, 11> kMainControls;

// The dialog procedure's WM_COMMAND routing: the handler stored with the
// control whose id is the low word of `wparam`, called with the message
// unchanged; its result is the message result (0 = not handled).
std::intptr_t RouteCommand(platform::Window window, std::uintptr_t wparam, std::intptr_t lparam);

// Start-up up to the shown main window. `startFolder` gives CurrentFolder.
using StartFolderSource = std::string (*)();
void StartUp(StartFolderSource startFolder);

// The whole program: start-up from the program file's folder, the modal
// loop until the window is closed. Returns the exit code, 0.
int Run();

}  // namespace app
