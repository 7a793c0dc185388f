// The test driver for the headless window layer: works its in-memory window
// the way the Win32 driver works real controls.
#include <utility>

#include "tests/support/window_driver.h"
#include "tests/support/window_headless.h"

namespace platform {

namespace {

// Average character size of the dialog font, as MS Sans Serif 8 pt gives it.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

int Scale(int units, int base, int divisor) {
  // MulDiv: rounded to the nearest pixel.
  return (units * base + divisor / 2) / divisor;
}

}  // namespace

bool WindowExists(Window window) {
  return window != nullptr && window->alive;
}

std::string WindowCaption(Window window) {
  return WindowExists(window) ? window->caption : "";
}

void DestroyMainWindow(Window window) {
  if (WindowExists(window)) headless::Close(window);
}

std::optional<int> FocusedControlId(Window window) {
  return WindowExists(window) ? window->focused : std::nullopt;
}

std::size_t ListRowCount(Window window, int id) {
  const auto* control = headless::Find(window, id);
  return control ? control->rows.size() : 0;
}

std::string ListRowText(Window window, int id, std::size_t row) {
  const auto* control = headless::Find(window, id);
  return (control != nullptr && row < control->rows.size()) ? control->rows[row].text
                                                            : std::string();
}

void SelectListRow(Window window, int id, std::optional<std::size_t> row) {
  auto* control = headless::Find(window, id);
  if (control == nullptr) return;
  control->selected = (row && *row < control->rows.size()) ? row : std::nullopt;
}

std::intptr_t SendCommand(Window window, int id, unsigned code) {
  if (!WindowExists(window) || window->router == nullptr) return 0;
  const auto wparam =
      static_cast<std::uintptr_t>((code & 0xFFFFu) << 16 | (static_cast<unsigned>(id) & 0xFFFFu));
  auto* control = headless::Find(window, id);
  return window->router(*window->context, window, wparam, reinterpret_cast<std::intptr_t>(control));
}

void SendSystemClose(Window window) {
  if (WindowExists(window)) headless::Close(window);
}

void PostSystemClose(Window window) {
  if (WindowExists(window)) window->posted.push_back(headless::kPostedClose);
}

ControlFacts DialogUnitsToPixels(Window, int x, int y, int width, int height) {
  const int left = Scale(x, kBaseUnitX, 4);
  const int top = Scale(y, kBaseUnitY, 8);
  const int right = Scale(x + width, kBaseUnitX, 4);
  const int bottom = Scale(y + height, kBaseUnitY, 8);
  return ControlFacts{0, {}, 0, 0, left, top, right - left, bottom - top};
}

std::vector<ControlFacts> ChildControls(Window window) {
  std::vector<ControlFacts> facts;
  if (!WindowExists(window)) return facts;
  for (const auto& control : window->controls) {
    const auto& layout = control.layout;
    auto rect = DialogUnitsToPixels(window, layout.x, layout.y, layout.width, layout.height);
    rect.id = layout.id;
    rect.windowClass = control.windowClass;
    rect.style = layout.style;
    rect.exStyle = layout.exStyle;
    facts.push_back(std::move(rect));
  }
  return facts;
}

ControlFacts ClientArea(Window window) {
  if (!WindowExists(window)) return {};
  return DialogUnitsToPixels(window, 0, 0, window->width, window->height);
}

}  // namespace platform
