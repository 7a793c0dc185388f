// The test driver on Win32: works the real controls with the messages a
// user's actions send, and reads back what the window system holds.
#include <windows.h>

#include <algorithm>
#include <array>

#include "base/ascii.h"
#include "tests/support/window_driver.h"

namespace platform {

namespace {

HWND Handle(Window window) {
  return reinterpret_cast<HWND>(window);
}

HWND Child(Window window, int id) {
  return window != nullptr ? GetDlgItem(Handle(window), id) : nullptr;
}

std::string UpperAscii(std::string text) {
  for (char& c : text) c = base::AsciiUpperByte(c);
  return text;
}

}  // namespace

bool WindowExists(Window window) {
  return window != nullptr && IsWindow(Handle(window));
}

std::string WindowCaption(Window window) {
  if (!WindowExists(window)) return {};
  std::array<char, 256> caption{};
  const int length =
      GetWindowTextA(Handle(window), caption.data(), static_cast<int>(caption.size()));
  return std::string(caption.data(), static_cast<std::size_t>(std::max(length, 0)));
}

void DestroyMainWindow(Window window) {
  if (WindowExists(window)) DestroyWindow(Handle(window));
}

std::optional<int> FocusedControlId(Window window) {
  HWND focus = GetFocus();
  if (window == nullptr || focus == nullptr || GetParent(focus) != Handle(window)) {
    return std::nullopt;
  }
  return GetDlgCtrlID(focus);
}

std::size_t ListRowCount(Window window, int id) {
  HWND list = Child(window, id);
  if (list == nullptr) return 0;
  const auto count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::string ListRowText(Window window, int id, std::size_t row) {
  HWND list = Child(window, id);
  if (list == nullptr) return {};
  const auto length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const auto got = SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::clamp<LRESULT>(got, 0, length)));
  return text;
}

void SelectListRow(Window window, int id, std::optional<std::size_t> row) {
  if (HWND list = Child(window, id)) {
    SendMessageA(list, LB_SETCURSEL, row ? static_cast<WPARAM>(*row) : static_cast<WPARAM>(-1), 0);
  }
}

std::intptr_t SendCommand(Window window, int id, unsigned code) {
  if (window == nullptr) return 0;
  const WPARAM wparam = MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(code));
  return SendMessageA(Handle(window), WM_COMMAND, wparam,
                      reinterpret_cast<LPARAM>(Child(window, id)));
}

void SendSystemClose(Window window) {
  if (WindowExists(window)) SendMessageA(Handle(window), WM_SYSCOMMAND, SC_CLOSE, 0);
}

void PostSystemClose(Window window) {
  if (WindowExists(window)) PostMessageA(Handle(window), WM_SYSCOMMAND, SC_CLOSE, 0);
}

ControlFacts DialogUnitsToPixels(Window window, int x, int y, int width, int height) {
  RECT rect{x, y, x + width, y + height};
  if (window != nullptr) MapDialogRect(Handle(window), &rect);
  return ControlFacts{
      0, {}, 0, 0, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<ControlFacts> ChildControls(Window window) {
  std::vector<ControlFacts> facts;
  if (!WindowExists(window)) return facts;
  HWND dialog = Handle(window);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    std::array<char, 64> name{};
    GetClassNameA(child, name.data(), static_cast<int>(name.size()));
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    facts.push_back(ControlFacts{GetDlgCtrlID(child), UpperAscii(name.data()),
                                 static_cast<std::uint32_t>(GetWindowLongA(child, GWL_STYLE)),
                                 static_cast<std::uint32_t>(GetWindowLongA(child, GWL_EXSTYLE)),
                                 rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top});
  }
  return facts;
}

ControlFacts ClientArea(Window window) {
  RECT rect{};
  if (WindowExists(window)) GetClientRect(Handle(window), &rect);
  return ControlFacts{0, {}, 0, 0, 0, 0, rect.right, rect.bottom};
}

}  // namespace platform
