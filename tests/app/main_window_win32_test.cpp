// The main window's geometry against the window system's own conversion from
// dialog units to pixels (MapDialogRect with the window's font). Only the
// Win32 build has such a conversion to compare with; the headless window
// would be compared with itself.
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app_test_support.h"

namespace {

using platform::ControlFacts;

class MainWindowPixelsTest : public apptest::StartedProgram {
 protected:
  apptest::MailFolder folder_;
};

TEST_F(MainWindowPixelsTest, TheClientAreaAndEveryControlHaveTheirTableSizesInPixels) {
  Start(folder_.Path());
  ASSERT_TRUE(platform::WindowExists(Window()));

  // The whole 350 x 240 units are client area: nothing is cut off.
  const ControlFacts client = platform::ClientArea(Window());
  const ControlFacts whole = platform::DialogUnitsToPixels(Window(), 0, 0, 350, 240);
  EXPECT_EQ(whole.width, client.width);
  EXPECT_EQ(whole.height, client.height);

  const std::vector<ControlFacts> controls = platform::ChildControls(Window());
  ASSERT_EQ(app::kMainControls.size(), controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const platform::ControlSpec& layout = app::kMainControls[i];
    const ControlFacts& facts = controls[i];
    SCOPED_TRACE("control " + std::to_string(layout.id));
    const ControlFacts want =
        platform::DialogUnitsToPixels(Window(), layout.x, layout.y, layout.width, layout.height);
    EXPECT_EQ(want.x, facts.x);
    EXPECT_EQ(want.y, facts.y);
    EXPECT_EQ(want.width, facts.width);
    if (layout.id == app::kListBoxId) {
      // The list box trims its height to whole rows.
      EXPECT_LE(facts.height, want.height);
      EXPECT_GT(facts.height, want.height - 20);
    } else {
      EXPECT_EQ(want.height, facts.height);
    }
  }
}

}  // namespace
