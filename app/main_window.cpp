#include "app/main_window.h"

#include "app/folder_selection.h"
#include "app/help.h"
#include "app/mailing_lists.h"
#include "app/output_options.h"
#include "app/start_folder.h"
#include "quillmer_version.h"

namespace app {

namespace {

using namespace platform;

constexpr std::uint32_t kChildVisible = kWsChild | kWsVisible;
constexpr std::uint32_t kPushButton = kChildVisible | kWsTabStop | kBsPushButton;

// The window layer holds the state as the context it was made with; every
// window made here is made with a MainWindowState.
template <StateHandler handler>
std::int32_t WithState(WindowContext& context, Window window, unsigned message,
                       std::uintptr_t wparam, std::intptr_t lparam) {
  return handler(static_cast<MainWindowState&>(context), window, message, wparam, lparam);
}

}  // namespace

// An overlapped window always gets a caption. Naming it here lets the
// dialog manager size the window for it, so the client area keeps its 240
// units and the bottom row of controls is not cut off.
const MainWindowSpec kMainWindowSpec{
    "List Mailing Addresses",
    350,
    240,
    kWsCaption | kWsSysMenu | kWsMinimizeBox | kDs3dLook | kDsNoFailCreate | kDsSetFont | kDsCenter,
    "MS Sans Serif",
    8};

const std::array<ControlSpec, 11> kMainControls{{
    {kFolderLabelId, "STATIC", "&Directory:", 5, 10, 100, 10, kChildVisible | kSsLeft, 0, nullptr},
    {kFolderTextId, "EDIT", "", 5, 20, 200, 12,
     kChildVisible | kWsTabStop | kEsLeft | kEsAutoHScroll, kWsExClientEdge, nullptr},
    {kBrowseButtonId, "BUTTON", "&Browse", 208, 20, 30, 12, kPushButton, 0,
     WithState<BrowseFolder>},
    {kListBoxId, "LISTBOX", "", 10, 40, 100, 150,
     kChildVisible | kWsVScroll | kWsTabStop | kLbsNotify | kLbsSort, kWsExClientEdge,
     WithState<ExpandSelectedList>},
    {kHintLabelId, "STATIC", "Double click to select a List", 10, 180, 100, 10,
     kChildVisible | kSsLeft, 0, nullptr},
    {kOutputPaneId, "richedit", "", 120, 40, 220, 140,
     kChildVisible | kWsVScroll | kWsHScroll | kWsTabStop | kEsMultiline | kEsAutoHScroll |
         kEsWantReturn,
     0, nullptr},
    {kHelpButtonId, "BUTTON", "&Help/About", 120, 200, 90, 14, kPushButton, 0,
     WithState<HelpAboutClicked>},
    {kStripNamesButtonId, "BUTTON", "Strip Names", 220, 184, 60, 14, kPushButton, 0,
     WithState<StripNames>},
    {kSortListButtonId, "BUTTON", "Sort List", 280, 184, 60, 14, kPushButton, 0,
     WithState<SortList>},
    {kVersionLabelId, "STATIC", "Quillmer ver " QUILLMER_VERSION, 10, 220, 100, 20,
     kChildVisible | kSsLeft, 0, nullptr},
    {kWebLinkButtonId, "BUTTON", kMakerWebAddress, 10, 200, 100, 14,
     kChildVisible | kBsPushButton | kBsFlat, 0, WithState<OpenMakerWebSite>},
}};

std::intptr_t RouteCommand(WindowContext& context, Window window, std::uintptr_t wparam,
                           std::intptr_t lparam) {
  const int id = static_cast<int>(wparam & 0xFFFFu);
  const ControlHandler handler = StoredHandler(window, id);
  if (handler == nullptr) return 0;
  return handler(context, window, kCommandMessage, wparam, lparam);
}

void StartUp(MainWindowState& state, StartFolderSource startFolder) {
  LoadRichEditLibrary();
  state.CurrentFolder = startFolder();

  state.MainWindow = CreateMainWindow(kMainWindowSpec, RouteCommand, state);
  for (ControlSpec layout : kMainControls) {
    if (layout.id == kFolderTextId) layout.text = state.CurrentFolder.c_str();
    AddControl(state.MainWindow, layout);
  }
  // The pane holds whole expansions, however long.
  RaisePaneTextLimit(state.MainWindow, kOutputPaneId);

  // The window is still hidden. A start folder that cannot be made current
  // shows no lists at all rather than those of whatever folder happens to
  // be current.
  OpenFolderInWindow(state, state.CurrentFolder);
  ShowMainWindow(state.MainWindow);
}

int Run() {
  // Outlives the window: the loop returns once the window is gone.
  MainWindowState state;
  StartUp(state, StartFolder);
  RunModalLoop(state.MainWindow);
  return 0;
}

}  // namespace app
