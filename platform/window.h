// Window layer: the main window, its child controls and the modal loop, in
// the program's own words. window_win32.cpp is the real thing (a dialog box
// from an in-memory template, controls made with CreateWindowExA, a rich edit
// output pane); window_headless.cpp keeps controls in memory so start-up,
// routing and every handler run in native tests.
//
// Text is bytes; no code-page conversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// An opaque window: an HWND in the Win32 build.
struct WindowObject;
using Window = WindowObject*;

// Control handler: (main window, message, first parameter, second
// parameter) -> 32-bit result. The control id is the low word of the first
// parameter, the notification code its high word.
using ControlHandler = std::int32_t (*)(Window window, unsigned message, std::uintptr_t wparam,
                                        std::intptr_t lparam);

// Window messages and styles the program names, with the platform's values.
inline constexpr unsigned kCommandMessage = 0x0111;  // WM_COMMAND
inline constexpr unsigned kListDoubleClick = 2;      // LBN_DBLCLK

struct ControlSpec {
  int id;
  const char* windowClass;
  const char* text;
  int x, y, width, height;  // dialog units of the main window
  std::uint32_t style;
  std::uint32_t exStyle;
  ControlHandler handler;  // null: none
};

// Called for every WM_COMMAND the main window receives; returns the
// message result (0 = not handled).
using CommandRouter = std::intptr_t (*)(Window window, std::uintptr_t wparam,
                                        std::intptr_t lparam);

}  // namespace platform
