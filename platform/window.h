// Window layer: the main window, its child controls and the modal loop, in
// the program's own words. window_win32.cpp is the one implementation (a
// dialog box from an in-memory template, controls made with CreateWindowExA,
// a rich edit output pane). The native tests link an in-memory double
// (tests/support/window_headless.cpp) so that start-up, routing and every
// handler run there too; what a user does to the window and what a test
// reads back from it (tests/support/window_driver.h) lives with the tests as
// well.
//
// Controls are reached through their main window and their id. A call on a
// control that does not exist does nothing and reads as empty.
//
// Text is bytes; no code-page conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// An opaque window: an HWND in the Win32 build.
struct WindowObject;
using Window = WindowObject*;

// What the program keeps while its main window is open. The window layer
// never looks inside: it holds a reference for the window's life and hands
// it to the router, which hands it to the handlers.
class WindowContext {
 protected:
  WindowContext() = default;
  ~WindowContext() = default;
};

// Control handler: (the window's context, main window, message, first
// parameter, second parameter) -> 32-bit result. The control id is the low
// word of the first parameter, the notification code its high word.
using ControlHandler = std::int32_t (*)(WindowContext& context, Window window, unsigned message,
                                        std::uintptr_t wparam, std::intptr_t lparam);

// Window messages, notifications and styles the program names, with the
// platform's values (window_win32.cpp checks them against windows.h).
inline constexpr unsigned kCommandMessage = 0x0111;  // WM_COMMAND
inline constexpr unsigned kButtonClicked = 0;        // BN_CLICKED
inline constexpr unsigned kListDoubleClick = 2;      // LBN_DBLCLK

inline constexpr std::uint32_t kWsChild = 0x40000000;         // WS_CHILD
inline constexpr std::uint32_t kWsVisible = 0x10000000;       // WS_VISIBLE
inline constexpr std::uint32_t kWsVScroll = 0x00200000;       // WS_VSCROLL
inline constexpr std::uint32_t kWsHScroll = 0x00100000;       // WS_HSCROLL
inline constexpr std::uint32_t kWsTabStop = 0x00010000;       // WS_TABSTOP
inline constexpr std::uint32_t kWsCaption = 0x00C00000;       // WS_CAPTION
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;       // WS_SYSMENU
inline constexpr std::uint32_t kWsMinimizeBox = 0x00020000;   // WS_MINIMIZEBOX
inline constexpr std::uint32_t kWsExClientEdge = 0x00000200;  // WS_EX_CLIENTEDGE
inline constexpr std::uint32_t kDs3dLook = 0x0004;            // DS_3DLOOK
inline constexpr std::uint32_t kDsNoFailCreate = 0x0010;      // DS_NOFAILCREATE
inline constexpr std::uint32_t kDsSetFont = 0x0040;           // DS_SETFONT
inline constexpr std::uint32_t kDsCenter = 0x0800;            // DS_CENTER
inline constexpr std::uint32_t kSsLeft = 0x0000;              // SS_LEFT
inline constexpr std::uint32_t kEsLeft = 0x0000;              // ES_LEFT
inline constexpr std::uint32_t kEsMultiline = 0x0004;         // ES_MULTILINE
inline constexpr std::uint32_t kEsAutoHScroll = 0x0080;       // ES_AUTOHSCROLL
inline constexpr std::uint32_t kEsWantReturn = 0x1000;        // ES_WANTRETURN
inline constexpr std::uint32_t kBsPushButton = 0x0000;        // BS_PUSHBUTTON
inline constexpr std::uint32_t kBsFlat = 0x8000;              // BS_FLAT
inline constexpr std::uint32_t kLbsNotify = 0x0001;           // LBS_NOTIFY
inline constexpr std::uint32_t kLbsSort = 0x0002;             // LBS_SORT

struct ControlSpec {
  int id;
  const char* windowClass;
  const char* text;
  int x, y, width, height;  // dialog units of the main window
  std::uint32_t style;
  std::uint32_t exStyle;
  ControlHandler handler;  // null: none
};

// Called for every WM_COMMAND the main window receives, with the context
// the window was made with; returns the message result (0 = not handled).
using CommandRouter = std::intptr_t (*)(WindowContext& context, Window window,
                                        std::uintptr_t wparam, std::intptr_t lparam);

// Dialog template of the main window: no controls, client size in dialog
// units, centred, with the given caption, style and font.
struct MainWindowSpec {
  const char* caption;
  int width, height;
  std::uint32_t style;
  const char* fontName;
  int fontPoints;
};

//--- process

// Full path of the program file, as the system reports it.
std::string ProgramFilePath();

// Loads the library that registers the output pane's window class. The
// module stays loaded for the whole run. False when it cannot be loaded.
bool LoadRichEditLibrary();

//--- main window

// Creates the main window, hidden. Its WM_COMMAND messages go to `router`
// with `context`, which must outlive the window; the system Close command
// closes it (dialog result 0, then destroyed); activation is answered as
// handled; everything else gets the default dialog processing. Null when it
// cannot be created.
Window CreateMainWindow(const MainWindowSpec& layout, CommandRouter router, WindowContext& context);

// Adds one child control: the rectangle converted from dialog units to
// pixels, the main window's font given to it, `layout.handler` stored with it.
// Controls are created in call order, which is also the tab order. False
// when the control cannot be created (for instance an unknown class).
bool AddControl(Window window, const ControlSpec& layout);

void ShowMainWindow(Window window);

// Runs the main window modally: waits for the next message (no polling),
// hands it to the dialog keyboard interface first, otherwise translates and
// dispatches it. Returns as soon as the window no longer exists.
void RunModalLoop(Window window);

// The handler stored with child `id`, or null (no such control, or none).
ControlHandler StoredHandler(Window window, int id);

//--- control text

std::string ControlText(Window window, int id);
void SetControlText(Window window, int id, std::string_view text);

// The output pane (a rich edit): its text limit raised so that nothing is
// cut; its whole text replaced byte for byte in the same control (never a
// new window), the new text streamed in; the whole text read back (its
// length first, then that many bytes).
void RaisePaneTextLimit(Window window, int id);
void SetPaneText(Window window, int id, std::string_view text);
std::string PaneText(Window window, int id);

void FocusControl(Window window, int id);

//--- list box (sorted by the control itself)

void ClearList(Window window, int id);
// Adds a row; returns the position the list box gave it, or nullopt.
std::optional<std::size_t> AddListRow(Window window, int id, std::string_view text);
void SetListRowData(Window window, int id, std::size_t row, std::uintptr_t data);
std::uintptr_t ListRowData(Window window, int id, std::size_t row);
std::optional<std::size_t> SelectedListRow(Window window, int id);

}  // namespace platform
