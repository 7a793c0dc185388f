// The main window: its eleven controls as one table, the routing of their
// command notifications, what the window keeps while it is open, and the
// program's start-up sequence.
//
// Start-up, in this order: the rich edit library, CurrentFolder, the hidden
// main window and its controls, the mail folder (made current, then its
// address books and mailing lists read, the list box filled), then the
// window is shown. Run() adds the modal loop and gives the exit code,
// always 0.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/control_ids.h"
#include "engine/mail_folder.h"
#include "platform/window.h"

namespace app {

// What the window keeps while it is open, in one place: made by Run() (or
// a test) before the window, handed to every handler by the window layer,
// and kept until the window is gone. Handlers read the folder through a
// copy of its pointer: a folder change made from a nested picker or message
// box meanwhile cannot pull the folder from under them.
struct MainWindowState : platform::WindowContext {
  // Set once the main window exists; valid for the rest of the run.
  platform::Window MainWindow = nullptr;
  // The folder whose lists are shown; always ends with a backslash.
  std::string CurrentFolder;
  // What was read from CurrentFolder; never null once start-up has run.
  std::shared_ptr<const engine::MailFolder> Folder = std::make_shared<const engine::MailFolder>();
};

// The handlers' own signature: the state, then the command as the window
// layer delivers it.
using StateHandler = std::int32_t (*)(MainWindowState& state, platform::Window window,
                                      unsigned message, std::uintptr_t wparam,
                                      std::intptr_t lparam);

extern const platform::MainWindowSpec kMainWindowSpec;
// Creation order, which is also the tab order. The folder text box (id 4)
// starts with CurrentFolder instead of its table text.
extern const std::array<platform::ControlSpec, 11> kMainControls;

// The dialog procedure's WM_COMMAND routing: the handler stored with the
// control whose id is the low word of `wparam`, called with the context and
// the message unchanged; its result is the message result (0 = not
// handled).
std::intptr_t RouteCommand(platform::WindowContext& context, platform::Window window,
                           std::uintptr_t wparam, std::intptr_t lparam);

// Start-up up to the shown main window, into `state`, which must outlive
// the window. `startFolder` gives CurrentFolder.
using StartFolderSource = std::string (*)();
void StartUp(MainWindowState& state, StartFolderSource startFolder);

// The whole program: start-up from the program file's folder, the modal
// loop until the window is closed. Returns the exit code, 0.
int Run();

}  // namespace app
