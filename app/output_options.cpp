#include "app/output_options.h"

#include <string>

#include "app/main_window.h"
#include "engine/output_options.h"

namespace app {

namespace {

// The pane's whole text as the control hands it back. The pane gives back
// the bytes it was given, and Enter typed into it is CR LF, so nothing is
// converted: a CR or LF outside a CR LF pair stays inside its line.
std::string PaneLines(platform::Window window) {
  return platform::PaneText(window, kOutputPaneId);
}

}  // namespace

std::int32_t StripNames(MainWindowState&, platform::Window window, unsigned, std::uintptr_t,
                        std::intptr_t) {
  platform::SetPaneText(window, kOutputPaneId, engine::StripNames(PaneLines(window)));
  return 0;
}

std::int32_t SortList(MainWindowState&, platform::Window window, unsigned, std::uintptr_t,
                      std::intptr_t) {
  platform::SetPaneText(window, kOutputPaneId, engine::SortList(PaneLines(window)));
  return 0;
}

}  // namespace app
