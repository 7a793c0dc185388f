#include "app/mailing_lists.h"

#include <memory>

#include "app/main_window.h"
#include "engine/expansion.h"
#include "platform/files.h"

namespace app {

bool OpenFolderInWindow(MainWindowState& state, const std::string& folder) {
  // Showing the lists of whatever folder happens to be current, under the
  // name of one that could not be entered, would mislead: stop here.
  if (!platform::MakeFolderCurrent(folder)) return false;
  engine::OpenedFolder opened = engine::OpenMailFolder(folder);
  // A folder that is current but cannot be listed shows as empty: the
  // window says nothing about files it cannot read.
  state.Folder =
      opened.folder ? std::move(opened.folder) : std::make_shared<const engine::MailFolder>();
  LoadMailingLists(state.MainWindow, *state.Folder);
  return true;
}

void LoadMailingLists(platform::Window window, const engine::MailFolder& folder) {
  platform::ClearList(window, kListBoxId);
  // The list box sorts its rows, so each row carries its list's position:
  // two lists with the same title then each open their own file.
  for (std::size_t k = 0; k < folder.Lists().size(); ++k) {
    const auto row = platform::AddListRow(window, kListBoxId, folder.ListTitles(k));
    if (row) platform::SetListRowData(window, kListBoxId, *row, k + 1);
  }
}

std::int32_t ExpandSelectedList(MainWindowState& state, platform::Window window, unsigned,
                                std::uintptr_t wparam, std::intptr_t) {
  if (((wparam >> 16) & 0xFFFFu) != platform::kListDoubleClick) return 0;
  const auto row = platform::SelectedListRow(window, kListBoxId);
  if (!row) return 0;
  // Held for the whole expansion, whatever becomes current meanwhile.
  const std::shared_ptr<const engine::MailFolder> folder = state.Folder;
  const std::uintptr_t data = platform::ListRowData(window, kListBoxId, *row);
  if (data < 1 || data > folder->Lists().size()) return 0;
  const std::optional<std::string> bytes = engine::ReadListFile(*folder, folder->Lists()[data - 1]);
  platform::SetPaneText(window, kOutputPaneId,
                        bytes ? engine::ExpandListText(*bytes, *folder) : std::string());
  platform::FocusControl(window, kListBoxId);
  return 0;
}

}  // namespace app
