#include "app/output_options.h"

#include <string>

#include "app/main_window.h"
#include "engine/bytes.h"
#include "engine/output_options.h"

namespace app {

namespace {

// The pane's whole text with every line break as CR LF, whatever the
// control hands back, so that the lines cut the same way.
std::string PaneLines(platform::Window window) {
  return engine::NormalizeLineBreaks(platform::PaneText(window, kOutputPaneId));
}

}  // namespace

std::int32_t StripNames(platform::Window window, unsigned, std::uintptr_t, std::intptr_t) {
  platform::SetPaneText(window, kOutputPaneId, engine::StripNames(PaneLines(window)));
  return 0;
}

std::int32_t SortList(platform::Window window, unsigned, std::uintptr_t, std::intptr_t) {
  platform::SetPaneText(window, kOutputPaneId, engine::SortList(PaneLines(window)));
  return 0;
}

}  // namespace app
