#include "app/mailing_lists.h"

#include "app/main_window.h"
#include "engine/expansion.h"
#include "engine/mailing_list.h"

namespace app {

void LoadMailingLists() {
  platform::ClearList(MainWindow, kListBoxId);
  engine::LoadListCatalogue();
  // The list box sorts its rows, so each row carries its list's index: two
  // lists with the same title then each open their own file.
  for (std::size_t k = 1; k < engine::ListTitles.size() && k < engine::ListFiles.size(); ++k) {
    const auto row = platform::AddListRow(MainWindow, kListBoxId, engine::ListTitles[k]);
    if (row) platform::SetListRowData(MainWindow, kListBoxId, *row, k);
  }
}

std::int32_t ExpandSelectedList(platform::Window window, unsigned, std::uintptr_t wparam,
                                std::intptr_t) {
  if (((wparam >> 16) & 0xFFFFu) != platform::kListDoubleClick) return 0;
  const auto row = platform::SelectedListRow(window, kListBoxId);
  if (!row) return 0;
  const std::uintptr_t k = platform::ListRowData(window, kListBoxId, *row);
  if (k < 1 || k >= engine::ListFiles.size()) return 0;
  platform::SetPaneText(window, kOutputPaneId, engine::ExpandListFile(engine::ListFiles[k]));
  platform::FocusControl(window, kListBoxId);
  return 0;
}

}  // namespace app
