// The main window as start-up builds it, and the routing of commands.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/folder_selection.h"
#include "app/help.h"
#include "app/mailing_lists.h"
#include "app/output_options.h"
#include "app_test_support.h"
#include "base/ascii.h"

namespace {

using apptest::MailFolder;
using platform::ControlFacts;

std::string Upper(std::string text) {
  for (char& c : text) c = base::AsciiUpperByte(c);
  return text;
}

class MainWindowTest : public apptest::StartedProgram {
 protected:
  MailFolder folder_;
};

TEST_F(MainWindowTest, StartUpBuildsTheWindowAndItsElevenControlsInTableOrder) {
  folder_.Write("FRIENDS.PML", "\\TITLE Friends\r\nJo\r\n");
  Start(folder_.Path());
  ASSERT_TRUE(platform::WindowExists(Window()));
  EXPECT_EQ("List Mailing Addresses", platform::WindowCaption(Window()));

  // Every control lies wholly inside the client area: nothing is cut off.
  // (Where each one sits in pixels is checked against the window system's
  // own conversion in main_window_win32_test.cpp.)
  const ControlFacts client = platform::ClientArea(Window());
  const std::vector<ControlFacts> controls = platform::ChildControls(Window());
  ASSERT_EQ(app::kMainControls.size(), controls.size());
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const platform::ControlSpec& layout = app::kMainControls[i];
    const ControlFacts& facts = controls[i];
    SCOPED_TRACE("control " + std::to_string(layout.id));
    EXPECT_EQ(layout.id, facts.id);
    EXPECT_EQ(Upper(layout.windowClass), facts.windowClass);
    // Scroll bar bits come and go with the need for scroll bars.
    constexpr std::uint32_t kScrollBars = platform::kWsVScroll | platform::kWsHScroll;
    EXPECT_EQ(layout.style & ~kScrollBars, facts.style & layout.style & ~kScrollBars);
    EXPECT_EQ(layout.exStyle, facts.exStyle & layout.exStyle);
    EXPECT_EQ(layout.handler, platform::StoredHandler(Window(), layout.id));
    EXPECT_GE(facts.x, 0);
    EXPECT_GE(facts.y, 0);
    EXPECT_GT(facts.width, 0);
    EXPECT_GT(facts.height, 0);
    EXPECT_LE(facts.x + facts.width, client.width);
    EXPECT_LE(facts.y + facts.height, client.height);
  }
  // The web link is the one button outside the tab order.
  EXPECT_EQ(0u, controls.back().style & platform::kWsTabStop);
  EXPECT_EQ(app::kWebLinkButtonId, controls.back().id);

  EXPECT_EQ(folder_.Path(), State().CurrentFolder);
  EXPECT_EQ(folder_.Path(), platform::ControlText(Window(), app::kFolderTextId));
  EXPECT_EQ("&Browse", platform::ControlText(Window(), app::kBrowseButtonId));
  EXPECT_EQ(app::kMakerWebAddress, platform::ControlText(Window(), app::kWebLinkButtonId));
  EXPECT_EQ("", platform::PaneText(Window(), app::kOutputPaneId));
  ASSERT_EQ(1u, platform::ListRowCount(Window(), app::kListBoxId));
  EXPECT_EQ("Friends", platform::ListRowText(Window(), app::kListBoxId, 0));
}

TEST_F(MainWindowTest, AFolderThatCannotBeMadeCurrentShowsNoListsAndKeepsItsName) {
  folder_.Write("HERE.PML", "\\TITLE Lists of the current directory\r\n");
  folder_.WriteBook("HERE.PMR", {{"JO", "jo@here", "", "", ""}});
  std::filesystem::current_path(folder_.Path());
  const std::string missing = folder_.Path() + "no such folder" + folder_.Path().back();
  Start(missing);
  EXPECT_EQ(missing, platform::ControlText(Window(), app::kFolderTextId));
  EXPECT_EQ(0u, platform::ListRowCount(Window(), app::kListBoxId));
  // Nothing of the current directory's books or lists was read.
  EXPECT_TRUE(State().Folder->BookNames().empty());
  EXPECT_TRUE(State().Folder->Lists().empty());
  EXPECT_EQ(std::nullopt, State().Folder->FindBookName("JO"));
}

// Records what a handler was called with.
struct Call {
  int count = 0;
  unsigned message = 0;
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
};
Call lastCall;

std::int32_t Returns7(platform::WindowContext&, platform::Window, unsigned message,
                      std::uintptr_t wparam, std::intptr_t lparam) {
  lastCall = Call{lastCall.count + 1, message, wparam, lparam};
  return 7;
}

std::int32_t ReturnsZero(platform::WindowContext&, platform::Window, unsigned, std::uintptr_t,
                         std::intptr_t) {
  ++lastCall.count;
  return 0;
}

class RoutingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lastCall = {};
    window_ = platform::CreateMainWindow(app::kMainWindowSpec, app::RouteCommand, state_);
    ASSERT_NE(nullptr, window_);
    const std::uint32_t button = platform::kWsChild | platform::kWsVisible | platform::kWsTabStop;
    ASSERT_TRUE(
        platform::AddControl(window_, {40, "BUTTON", "seven", 0, 0, 40, 14, button, 0, Returns7}));
    ASSERT_TRUE(platform::AddControl(
        window_, {41, "BUTTON", "zero", 50, 0, 40, 14, button, 0, ReturnsZero}));
    ASSERT_TRUE(
        platform::AddControl(window_, {2, "STATIC", "label", 0, 20, 40, 10,
                                       platform::kWsChild | platform::kWsVisible, 0, nullptr}));
  }
  void TearDown() override { platform::DestroyMainWindow(window_); }
  app::MainWindowState state_;
  platform::Window window_ = nullptr;
};

TEST_F(RoutingTest, AHandlerGetsTheCommandUnchangedAndItsResultIsTheMessageResult) {
  EXPECT_EQ(7, platform::SendCommand(window_, 40, 0x1234));
  EXPECT_EQ(1, lastCall.count);
  EXPECT_EQ(platform::kCommandMessage, lastCall.message);
  EXPECT_EQ(std::uintptr_t{0x12340028}, lastCall.wparam);
  EXPECT_NE(0, lastCall.lparam);  // the control's own window
}

TEST_F(RoutingTest, AZeroResultOrNoHandlerLeavesTheCommandUnhandled) {
  EXPECT_EQ(0, platform::SendCommand(window_, 41, 0));
  EXPECT_EQ(1, lastCall.count);
  EXPECT_EQ(0, platform::SendCommand(window_, 99, 0));  // no such control
  EXPECT_EQ(1, lastCall.count);
}

TEST_F(RoutingTest, EscapeDoesNothingAndTheWindowStays) {
  EXPECT_EQ(0, platform::SendCommand(window_, 2, 0));
  EXPECT_EQ(0, lastCall.count);
  EXPECT_TRUE(platform::WindowExists(window_));
}

TEST_F(RoutingTest, TheSystemCloseCommandDestroysTheWindow) {
  platform::ShowMainWindow(window_);
  platform::SendSystemClose(window_);
  EXPECT_FALSE(platform::WindowExists(window_));
}

TEST_F(RoutingTest, TheModalLoopEndsOnceTheWindowIsClosed) {
  platform::ShowMainWindow(window_);
  platform::PostSystemClose(window_);
  platform::RunModalLoop(window_);  // would not return if the close were lost
  EXPECT_FALSE(platform::WindowExists(window_));
}

}  // namespace
