// The list box filled from the catalogue, and expanding a double-clicked row.
#include <gtest/gtest.h>

#include <set>

#include "app/main_window.h"
#include "app_test_support.h"
#include "engine/mailing_list.h"
#include "tests/support/exclusive_hold.h"

namespace {

using app::kListBoxId;
using app::kOutputPaneId;

constexpr unsigned kSelChange = 1;  // LBN_SELCHANGE
constexpr unsigned kSetFocus = 4;   // LBN_SETFOCUS

const char kAlphaExpansion[] =
    "Jo Smith\tjo@smith.example\r\nplain@example.org\r\nNobody Known\r\n";

class MailingListsTest : public apptest::StartedProgram {
 protected:
  void SetUp() override {
    folder_.WriteBook("PEOPLE.PMR", {{"Jo Smith", "jo@smith.example", "Smith Ltd", "", ""},
                                     {"Ann Lee", "ann@lee.example", "", "", ""}});
    folder_.Write("ZETA.PML", "\\TITLE Zeta\r\nann lee\r\n");
    folder_.Write("ALPHA.PML",
                  "\\TITLE Alpha\r\n\\NOTE control line\r\n\r\nJo Smith\r\nplain@example.org\r\n"
                  "Nobody Known\r\n");
    folder_.Write("SAME1.PML", "\\TITLE Same\r\nfirst@example.org\r\n");
    folder_.Write("SAME2.PML", "\\TITLE Same\r\nsecond@example.org\r\n");
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < platform::ListRowCount(Window(), kListBoxId); ++r) {
      rows.push_back(platform::ListRowText(Window(), kListBoxId, r));
    }
    return rows;
  }

  std::size_t RowOf(const std::string& title) const {
    const auto rows = Rows();
    const auto found = std::find(rows.begin(), rows.end(), title);
    EXPECT_NE(rows.end(), found) << title;
    return static_cast<std::size_t>(found - rows.begin());
  }

  void DoubleClick(std::optional<std::size_t> row) const {
    platform::SelectListRow(Window(), kListBoxId, row);
    EXPECT_EQ(0, platform::SendCommand(Window(), kListBoxId, platform::kListDoubleClick));
  }

  std::string Pane() const { return platform::PaneText(Window(), kOutputPaneId); }

  apptest::MailFolder folder_;
};

TEST_F(MailingListsTest, RowsShowTheTitlesSortedAndCarryTheirOwnListsIndex) {
  Start(folder_.Path());
  EXPECT_EQ(std::vector<std::string>({"Alpha", "Same", "Same", "Zeta"}), Rows());
  std::set<std::uintptr_t> indexes;
  for (std::size_t r = 0; r < 4; ++r) {
    const std::uintptr_t k = platform::ListRowData(Window(), kListBoxId, r);
    ASSERT_GE(k, 1u);
    ASSERT_LE(k, State().Folder->Lists().size());
    EXPECT_EQ(State().Folder->ListTitles(k - 1), platform::ListRowText(Window(), kListBoxId, r));
    indexes.insert(k);
  }
  EXPECT_EQ(4u, indexes.size());
}

TEST_F(MailingListsTest, ADoubleClickExpandsTheRowsListAndFocusesTheListBox) {
  Start(folder_.Path());
  platform::ShowMainWindow(Window());
  DoubleClick(RowOf("Alpha"));
  EXPECT_BYTES_EQ(kAlphaExpansion, Pane());
  EXPECT_EQ(std::optional<int>(kListBoxId), platform::FocusedControlId(Window()));

  DoubleClick(RowOf("Zeta"));
  EXPECT_BYTES_EQ("ann lee\tann@lee.example\r\n", Pane());
}

TEST_F(MailingListsTest, ListsWithTheSameTitleEachOpenTheirOwnFile) {
  Start(folder_.Path());
  const std::size_t first = RowOf("Same");
  std::set<std::string> shown;
  for (std::size_t row : {first, first + 1}) {
    DoubleClick(row);
    shown.insert(Pane());
  }
  EXPECT_EQ(std::set<std::string>({"first@example.org\r\n", "second@example.org\r\n"}), shown);
}

TEST_F(MailingListsTest, OnlyADoubleClickExpands) {
  Start(folder_.Path());
  platform::SetPaneText(Window(), kOutputPaneId, "kept\r\n");
  platform::SelectListRow(Window(), kListBoxId, RowOf("Alpha"));
  for (unsigned code : {0u, kSelChange, kSetFocus}) {
    EXPECT_EQ(0, platform::SendCommand(Window(), kListBoxId, code));
    EXPECT_BYTES_EQ("kept\r\n", Pane()) << "code " << code;
  }
}

TEST_F(MailingListsTest, WithNoRowSelectedNothingIsOpenedAndThePaneStays) {
  Start(folder_.Path());
  platform::SetPaneText(Window(), kOutputPaneId, "kept\r\n");
  DoubleClick(std::nullopt);
  EXPECT_BYTES_EQ("kept\r\n", Pane());
}

TEST_F(MailingListsTest, EachDoubleClickRereadsTheFileAndReplacesEverything) {
  Start(folder_.Path());
  DoubleClick(RowOf("Alpha"));
  platform::SetPaneText(Window(), kOutputPaneId, "typed by the user\r\n");
  folder_.Write("ALPHA.PML", "\\TITLE Alpha\r\nann lee\r\nnew@example.org");
  DoubleClick(RowOf("Alpha"));
  EXPECT_BYTES_EQ("ann lee\tann@lee.example\r\nnew@example.org\r\n", Pane());
}

TEST_F(MailingListsTest, AListHeldByAnotherProgramGivesAnEmptyPaneAndTheWindowGoesOn) {
  Start(folder_.Path());
  DoubleClick(RowOf("Zeta"));
  {
    testsupport::ExclusiveHold hold(folder_.Path() + "ALPHA.PML");
    ASSERT_TRUE(hold.Held());
    DoubleClick(RowOf("Alpha"));
    EXPECT_BYTES_EQ("", Pane());
  }
  DoubleClick(RowOf("Alpha"));
  EXPECT_BYTES_EQ(kAlphaExpansion, Pane());
}

TEST_F(MailingListsTest, EmptyAndUnreadableFilesStillGetRows) {
  folder_.Write("EMPTY.PML", "");
  folder_.Write("EMPTY.PMR", "");
  folder_.Write("SHORT.PMR", std::string(130, 'x'));
  testsupport::ExclusiveHold hold(folder_.Path() + "ZETA.PML");
  ASSERT_TRUE(hold.Held());
  Start(folder_.Path());
  EXPECT_EQ(std::vector<std::string>({"", "", "Alpha", "Same", "Same"}), Rows());
  DoubleClick(0);
  EXPECT_BYTES_EQ("", Pane());
  DoubleClick(RowOf("Alpha"));
  EXPECT_BYTES_EQ(kAlphaExpansion, Pane());
}

}  // namespace
