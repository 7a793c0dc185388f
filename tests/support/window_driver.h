// What a user (or a program driving the window) does to the main window, and
// what a test reads back from it. Test code only: the program itself never
// calls these. window_driver_win32.cpp works the real controls with window
// messages; window_driver_headless.cpp works the in-memory window of the
// headless window layer. Declared in the window layer's namespace, beside the
// calls they drive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

bool WindowExists(Window window);
std::string WindowCaption(Window window);
// Destroys the window at once (a window left behind by a failed test).
void DestroyMainWindow(Window window);

// Id of the control that has the keyboard focus, if it is one of `window`'s.
std::optional<int> FocusedControlId(Window window);

std::size_t ListRowCount(Window window, int id);
std::string ListRowText(Window window, int id, std::size_t row);
void SelectListRow(Window window, int id, std::optional<std::size_t> row);

// Sends WM_COMMAND for control `id` with `code` to the main window, the way
// the control itself would; returns the message result.
std::intptr_t SendCommand(Window window, int id, unsigned code);
// Sends the system Close command (title-bar close button, Alt+F4).
void SendSystemClose(Window window);
// Posts the system Close command, to be picked up by RunModalLoop.
void PostSystemClose(Window window);

struct ControlFacts {
  int id;
  std::string windowClass;  // upper case
  std::uint32_t style;
  std::uint32_t exStyle;
  int x, y, width, height;  // pixels, in the main window's client area
};
// The main window's child controls, in tab order.
std::vector<ControlFacts> ChildControls(Window window);
// A rectangle in dialog units, in pixels of `window`.
ControlFacts DialogUnitsToPixels(Window window, int x, int y, int width, int height);
// Width and height of the main window's client area, in pixels.
ControlFacts ClientArea(Window window);

}  // namespace platform
