// The window layer without a window system: the main window and its controls
// held in memory, so start-up, routing and every handler run in native tests.
// It behaves as the Win32 controls do where the program relies on them: a
// sorted list box keeps its rows in ascending alphabetical order (letters
// compared without case) with their item data, the focus is one control,
// commands reach the router, the system Close command destroys the window.
#include "tests/support/window_headless.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "base/ascii.h"

namespace platform {

namespace headless {

WindowObject::Control* Find(Window window, int id) {
  if (window == nullptr || !window->alive) return nullptr;
  for (auto& control : window->controls) {
    if (control.layout.id == id) return &control;
  }
  return nullptr;
}

void Close(Window window) {
  window->alive = false;
  window->focused.reset();
}

}  // namespace headless

using headless::Close;
using headless::Find;

namespace {

std::vector<std::unique_ptr<WindowObject>>& AllWindows() {
  static std::vector<std::unique_ptr<WindowObject>> windows;
  return windows;
}

bool IsListBox(const WindowObject::Control& control) {
  return control.windowClass == "LISTBOX";
}

unsigned char Folded(char c) {
  return static_cast<unsigned char>(base::AsciiUpperByte(c));
}

bool RowLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Folded(x) < Folded(y); });
}

bool Alive(Window window) {
  return window != nullptr && window->alive;
}

}  // namespace

std::string ProgramFilePath() {
  std::string path(4096, '\0');
  const auto length = ::readlink("/proc/self/exe", path.data(), path.size());
  path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return path;
}

bool LoadRichEditLibrary() {
  return true;
}

Window CreateMainWindow(const MainWindowSpec& layout, CommandRouter router,
                        WindowContext& context) {
  auto window = std::make_unique<WindowObject>();
  window->caption = layout.caption;
  window->width = layout.width;
  window->height = layout.height;
  window->router = router;
  window->context = &context;
  AllWindows().push_back(std::move(window));
  return AllWindows().back().get();
}

bool AddControl(Window window, const ControlSpec& layout) {
  if (window == nullptr || !window->alive) return false;
  std::string windowClass = layout.windowClass;
  std::transform(windowClass.begin(), windowClass.end(), windowClass.begin(),
                 [](char c) { return static_cast<char>(Folded(c)); });
  static constexpr const char* kKnown[] = {"STATIC", "EDIT", "BUTTON", "LISTBOX", "RICHEDIT"};
  if (std::find(std::begin(kKnown), std::end(kKnown), windowClass) == std::end(kKnown)) {
    return false;
  }
  WindowObject::Control control{layout, windowClass, layout.text ? layout.text : "", {}, {}};
  if (windowClass == "LISTBOX") control.text.clear();
  window->controls.push_back(std::move(control));
  return true;
}

void ShowMainWindow(Window) {}

void RunModalLoop(Window window) {
  // Nothing but posted commands can arrive here; once they are done no
  // further input is possible, so the loop ends as a closed window would.
  while (Alive(window) && !window->posted.empty()) {
    const int kind = window->posted.front();
    window->posted.pop_front();
    if (kind == headless::kPostedClose) Close(window);
  }
}

ControlHandler StoredHandler(Window window, int id) {
  const auto* control = Find(window, id);
  return control ? control->layout.handler : nullptr;
}

std::string ControlText(Window window, int id) {
  const auto* control = Find(window, id);
  return control ? control->text : std::string();
}

void SetControlText(Window window, int id, std::string_view text) {
  if (auto* control = Find(window, id)) control->text = std::string(text);
}

void RaisePaneTextLimit(Window, int) {}

void SetPaneText(Window window, int id, std::string_view text) {
  SetControlText(window, id, text);
}

std::string PaneText(Window window, int id) {
  return ControlText(window, id);
}

void FocusControl(Window window, int id) {
  if (Find(window, id) != nullptr) window->focused = id;
}

void ClearList(Window window, int id) {
  auto* control = Find(window, id);
  if (control == nullptr || !IsListBox(*control)) return;
  control->rows.clear();
  control->selected.reset();
}

std::optional<std::size_t> AddListRow(Window window, int id, std::string_view text) {
  auto* control = Find(window, id);
  if (control == nullptr || !IsListBox(*control)) return std::nullopt;
  auto& rows = control->rows;
  // After the rows that compare equal, as a sorted list box inserts.
  const auto at = std::upper_bound(
      rows.begin(), rows.end(), text,
      [](std::string_view value, const ListRow& row) { return RowLess(value, row.text); });
  const auto position = static_cast<std::size_t>(at - rows.begin());
  rows.insert(at, ListRow{std::string(text), 0});
  if (control->selected && *control->selected >= position) ++*control->selected;
  return position;
}

void SetListRowData(Window window, int id, std::size_t row, std::uintptr_t data) {
  auto* control = Find(window, id);
  if (control != nullptr && row < control->rows.size()) control->rows[row].data = data;
}

std::uintptr_t ListRowData(Window window, int id, std::size_t row) {
  const auto* control = Find(window, id);
  return (control != nullptr && row < control->rows.size()) ? control->rows[row].data : 0;
}

std::optional<std::size_t> SelectedListRow(Window window, int id) {
  const auto* control = Find(window, id);
  return control ? control->selected : std::nullopt;
}

}  // namespace platform
