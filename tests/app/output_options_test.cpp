// The "Strip Names" and "Sort List" buttons on the real pane.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app_test_support.h"

namespace {

using app::kOutputPaneId;

class OutputOptionsTest : public apptest::StartedProgram {
 protected:
  void SetUp() override { Start(folder_.Path()); }
  void Press(int id) const {
    EXPECT_EQ(0, platform::SendCommand(Window(), id, platform::kButtonClicked));
  }
  void SetPane(std::string_view text) const {
    platform::SetPaneText(Window(), kOutputPaneId, text);
  }
  std::string Pane() const { return platform::PaneText(Window(), kOutputPaneId); }

  apptest::MailFolder folder_;
};

TEST_F(OutputOptionsTest, SortListSortsThePaneLines) {
  SetPane("bob\tb\r\nAlice\ta\r\nCarol\r\n");
  Press(app::kSortListButtonId);
  EXPECT_BYTES_EQ("Alice\ta\r\nbob\tb\r\nCarol\r\n", Pane());
}

TEST_F(OutputOptionsTest, StripNamesThenSortListGivesTheBareAddressesInOrder) {
  SetPane("bob\tb\r\nAlice\ta\r\nCarol\r\n");
  Press(app::kStripNamesButtonId);
  EXPECT_BYTES_EQ("b\r\na\r\nCarol\r\n\r\n", Pane());
  Press(app::kStripNamesButtonId);
  EXPECT_BYTES_EQ("b\r\na\r\nCarol\r\n\r\n\r\n", Pane());
  Press(app::kSortListButtonId);
  EXPECT_BYTES_EQ("a\r\nb\r\nCarol\r\n", Pane());
}

TEST_F(OutputOptionsTest, OnAnEmptyPane) {
  Press(app::kSortListButtonId);
  EXPECT_BYTES_EQ("", Pane());
  Press(app::kStripNamesButtonId);
  EXPECT_BYTES_EQ("\r\n", Pane());
}

TEST_F(OutputOptionsTest, LeavesTheFocusAndOtherControlsAlone) {
  const std::string folderText = platform::ControlText(Window(), app::kFolderTextId);
  SetPane("\"Jo\" <jo@example.org>\r\n");
  Press(app::kStripNamesButtonId);
  EXPECT_BYTES_EQ("jo@example.org\r\n\r\n", Pane());
  EXPECT_EQ(folderText, platform::ControlText(Window(), app::kFolderTextId));
  EXPECT_EQ(std::nullopt, platform::FocusedControlId(Window()));
}

// Far beyond any fixed read limit (32,769 bytes); nothing may be lost. On
// the real rich edit under Wine, replacing a text takes time that grows
// with the square of its line count, so there it is 4,000 lines (60 KB).
#ifdef _WIN32
constexpr int kBigLines = 4000;
#else
constexpr int kBigLines = 100000;
#endif

TEST_F(OutputOptionsTest, ALongExpansionIsWorkedOnWhole) {
  std::string list = "\\TITLE Big\r\n";
  std::string expanded;
  std::string stripped;
  for (int i = kBigLines - 1; i >= 0; --i) {
    const std::string name = "Member " + std::to_string(100000 + i);
    list += name + "\r\n";
    expanded += name + "\r\n";
    stripped += name + "\r\n";
  }
  folder_.Write("BIG.PML", list);
  platform::DestroyMainWindow(Window());
  Start(folder_.Path());
  platform::SelectListRow(Window(), app::kListBoxId, 0);
  platform::SendCommand(Window(), app::kListBoxId, platform::kListDoubleClick);
  ASSERT_EQ(expanded.size(), Pane().size());
  EXPECT_TRUE(expanded == Pane());

  Press(app::kStripNamesButtonId);
  const std::string afterStrip = Pane();
  ASSERT_EQ(stripped.size() + 2, afterStrip.size());
  EXPECT_TRUE(stripped + "\r\n" == afterStrip);

  Press(app::kSortListButtonId);
  const std::string sorted = Pane();
  ASSERT_EQ(stripped.size(), sorted.size());
  EXPECT_EQ("Member 100000\r\nMember 100001\r\n", sorted.substr(0, 30));
  EXPECT_EQ("Member " + std::to_string(100000 + kBigLines - 1) + "\r\n",
            sorted.substr(sorted.size() - 15));
}

}  // namespace
