// The "&Browse" button and GETDISKDIR, on real folders, with the picker
// answered from the shell layer's queue.
#include "app/folder_selection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app_test_support.h"
#include "engine/address_book.h"
#include "engine/mailing_list.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "tests/support/shell_fake.h"

namespace {

using apptest::MailFolder;
using platform::OwnedStringHandle;

// The folder's path as the picker reports it: no trailing separator.
std::string Picked(const MailFolder& folder) {
  const std::string& path = folder.Path();
  return path.substr(0, path.size() - 1);
}

tools::BookEntry Entry(std::string name, std::string address) {
  tools::BookEntry entry;
  entry.name = std::move(name);
  entry.address = std::move(address);
  return entry;
}

// CurrentFolder after choosing that folder: the path and one backslash.
std::string AsCurrent(const MailFolder& folder) {
  return Picked(folder) + "\\";
}

std::vector<std::string> ListRows(platform::Window window) {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < platform::ListRowCount(window, app::kListBoxId); ++i) {
    rows.push_back(platform::ListRowText(window, app::kListBoxId, i));
  }
  return rows;
}

//--- GETDISKDIR as a caller sees it

class GetDiskDirTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ResetShell(); }
  void TearDown() override { platform::ResetShell(); }
};

TEST_F(GetDiskDirTest, HandsOwnerTitleAndStartToThePickerAndReturnsTheChoiceAsANewString) {
  platform::QueuePickerAnswer({"C:\\Mail\\Lists", nullptr});
  const std::uint32_t owner = 0x00120ABCu;
  const OwnedStringHandle title{std::string_view("Pick one")};
  const OwnedStringHandle start{std::string_view("C:\\Mail")};
  const platform::StringHandle titleBefore = title.Get();
  const platform::StringHandle startBefore = start.Get();

  const OwnedStringHandle result{GETDISKDIR(&owner, title.Address(), start.Address())};

  ASSERT_EQ(1u, platform::ShownPickers().size());
  const platform::ShownPicker& shown = platform::ShownPickers()[0];
  EXPECT_EQ(0x00120ABCu, shown.owner);
  EXPECT_EQ("Pick one", shown.title);
  EXPECT_EQ("C:\\Mail", shown.startFolder);
  ASSERT_NE(nullptr, result.Get());
  EXPECT_EQ("C:\\Mail\\Lists", result.Bytes());
  // Length prefix and terminating NUL as the system's strings have them.
  std::uint32_t prefix = 0;
  std::memcpy(&prefix, result.Get() - 4, 4);
  EXPECT_EQ(13u, prefix);
  EXPECT_EQ('\0', result.Get()[13]);
  // The arguments are read, never changed.
  EXPECT_EQ(0x00120ABCu, owner);
  EXPECT_EQ(titleBefore, title.Get());
  EXPECT_EQ(startBefore, start.Get());
  EXPECT_EQ("Pick one", title.Bytes());
  EXPECT_EQ("C:\\Mail", start.Bytes());
  EXPECT_NE(result.Get(), start.Get());
}

TEST_F(GetDiskDirTest, CancelGivesTheEmptyStringNotTheNullHandle) {
  platform::QueuePickerAnswer({"", nullptr});
  const std::uint32_t owner = 0;
  const OwnedStringHandle title{std::string_view("t")};
  const OwnedStringHandle start{std::string_view("C:\\")};
  const OwnedStringHandle result{GETDISKDIR(&owner, title.Address(), start.Address())};
  ASSERT_NE(nullptr, result.Get());
  EXPECT_EQ("", result.Bytes());
}

TEST_F(GetDiskDirTest, NullHandlesAndNullAddressesAreEmptyStrings) {
  platform::QueuePickerAnswer({"D:\\", nullptr});
  platform::QueuePickerAnswer({"", nullptr});
  const std::uint32_t owner = 7;
  const OwnedStringHandle none;
  const OwnedStringHandle first{GETDISKDIR(&owner, none.Address(), none.Address())};
  const OwnedStringHandle second{GETDISKDIR(nullptr, nullptr, nullptr)};

  ASSERT_EQ(2u, platform::ShownPickers().size());
  EXPECT_EQ(7u, platform::ShownPickers()[0].owner);
  EXPECT_EQ("", platform::ShownPickers()[0].title);
  EXPECT_EQ("", platform::ShownPickers()[0].startFolder);
  EXPECT_EQ(0u, platform::ShownPickers()[1].owner);
  EXPECT_EQ("", platform::ShownPickers()[1].title);
  EXPECT_EQ("D:\\", first.Bytes());
  EXPECT_EQ("", second.Bytes());
  EXPECT_EQ(nullptr, none.Get());
}

TEST_F(GetDiskDirTest, AStartFolderLongerThan259BytesIsCutAt259) {
  std::string longStart = "C:\\";
  while (longStart.size() < 300) longStart += "abcdefghi\\";
  longStart.resize(300);
  const OwnedStringHandle start{std::string_view(longStart)};
  const OwnedStringHandle title{std::string_view("t")};
  const OwnedStringHandle result{GETDISKDIR(nullptr, title.Address(), start.Address())};
  ASSERT_EQ(1u, platform::ShownPickers().size());
  EXPECT_EQ(longStart.substr(0, 259), platform::ShownPickers()[0].startFolder);
  EXPECT_EQ(longStart, start.Bytes());
  EXPECT_EQ("", result.Bytes());
}

TEST_F(GetDiskDirTest, TextsAreBytesAndEndAtTheirFirstNulForThePicker) {
  const std::string title("Ordner w\xE4hlen\0hidden", 20);
  const OwnedStringHandle titleHandle{std::string_view(title)};
  const OwnedStringHandle start{std::string_view("C:\\Gr\xFC\xDF")};
  const OwnedStringHandle result{GETDISKDIR(nullptr, titleHandle.Address(), start.Address())};
  ASSERT_EQ(1u, platform::ShownPickers().size());
  EXPECT_EQ("Ordner w\xE4hlen", platform::ShownPickers()[0].title);
  EXPECT_EQ("C:\\Gr\xFC\xDF", platform::ShownPickers()[0].startFolder);
  EXPECT_EQ(20u, titleHandle.Bytes().size());
}

//--- the "&Browse" button

class BrowseFolderTest : public apptest::StartedProgram {
 protected:
  void SetUp() override {
    platform::ResetShell();
    first_.WriteBook("FIRST.PMR", {Entry("Ann First", "ann@first.example")});
    first_.Write("A.PML", "\\TITLE First list\r\nAnn First\r\n");
    second_.WriteBook("SECOND.PMR", {Entry("Bob Second", "bob@second.example")});
    second_.Write("B.PML", "\\TITLE Second list\r\nBob Second\r\n");
    second_.Write("C.PML", "\\TITLE Another\r\n");
    Start(first_.Path());
    platform::SetPaneText(Window(), app::kOutputPaneId, "Ann First\tann@first.example\r\n");
  }
  void TearDown() override {
    StartedProgram::TearDown();
    platform::ResetShell();
  }

  std::int32_t ClickBrowse() {
    return static_cast<std::int32_t>(
        platform::SendCommand(Window(), app::kBrowseButtonId, platform::kButtonClicked));
  }

  // Everything a folder change may touch stays as the first folder left it.
  void ExpectStillOnFirstFolder() {
    EXPECT_EQ(first_.Path(), State().CurrentFolder);
    EXPECT_EQ(first_.Path(), platform::ControlText(Window(), app::kFolderTextId));
    EXPECT_EQ(std::vector<std::string>{"First list"}, ListRows(Window()));
    ASSERT_EQ(std::filesystem::path(Picked(first_)), std::filesystem::current_path());
    EXPECT_TRUE(State().Folder->FindBookName("ANN FIRST").has_value());
    EXPECT_FALSE(State().Folder->FindBookName("BOB SECOND").has_value());
    EXPECT_EQ("Ann First\tann@first.example\r\n", platform::PaneText(Window(), app::kOutputPaneId));
  }

  MailFolder first_;
  MailFolder second_;
};

TEST_F(BrowseFolderTest, OpensThePickerWithoutOwnerAtTheCurrentFolder) {
  ClickBrowse();
  ASSERT_EQ(1u, platform::ShownPickers().size());
  const platform::ShownPicker& shown = platform::ShownPickers()[0];
  EXPECT_EQ(0u, shown.owner);
  EXPECT_EQ("Select the Pegasus Mail folder to search", shown.title);
  EXPECT_EQ(Picked(first_), shown.startFolder);
}

TEST_F(BrowseFolderTest, AChosenFolderBecomesCurrentShownAndLoadedAndThePaneKeepsItsText) {
  platform::QueuePickerAnswer({Picked(second_), nullptr});
  EXPECT_EQ(0, ClickBrowse());

  EXPECT_EQ(AsCurrent(second_), State().CurrentFolder);
  EXPECT_EQ(AsCurrent(second_), platform::ControlText(Window(), app::kFolderTextId));
  EXPECT_EQ(std::filesystem::path(Picked(second_)), std::filesystem::current_path());
  EXPECT_EQ((std::vector<std::string>{"Another", "Second list"}), ListRows(Window()));
  EXPECT_TRUE(State().Folder->FindBookName("BOB SECOND").has_value());
  EXPECT_FALSE(State().Folder->FindBookName("ANN FIRST").has_value());
  EXPECT_EQ("Ann First\tann@first.example\r\n", platform::PaneText(Window(), app::kOutputPaneId));

  // The next picker starts where this one ended.
  ClickBrowse();
  ASSERT_EQ(2u, platform::ShownPickers().size());
  EXPECT_EQ(Picked(second_), platform::ShownPickers()[1].startFolder);
}

TEST_F(BrowseFolderTest, CancelChangesNothing) {
  platform::QueuePickerAnswer({"", nullptr});
  ClickBrowse();
  ExpectStillOnFirstFolder();
}

TEST_F(BrowseFolderTest, AFolderThatCannotBeMadeCurrentChangesNothing) {
  platform::QueuePickerAnswer({Picked(second_) + "/gone", nullptr});
  ClickBrowse();
  ExpectStillOnFirstFolder();
}

TEST_F(BrowseFolderTest, APathLongerThan255BytesIsMadeCurrentWhole) {
  std::string deep = Picked(second_);
  for (int i = 0; deep.size() <= 300; ++i)
    deep += "/level" + std::to_string(i) + "-padding-padding";
  std::filesystem::create_directories(deep);
  { std::ofstream(deep + "/D.PML", std::ios::binary) << "\\TITLE Deep list\r\n"; }
  platform::QueuePickerAnswer({deep, nullptr});
  ClickBrowse();
  EXPECT_EQ(deep + "\\", State().CurrentFolder);
  EXPECT_EQ(std::filesystem::path(deep), std::filesystem::current_path());
  EXPECT_EQ(std::vector<std::string>{"Deep list"}, ListRows(Window()));
}

TEST_F(BrowseFolderTest, APathThatEndsInABackslashAsADriveRootDoesGetsNoSecond) {
  // Here a folder whose name ends in a backslash stands in for D:\.
  const std::string root = Picked(second_) + "/R\\";
  std::filesystem::create_directories(root);
  platform::QueuePickerAnswer({root, nullptr});
  ClickBrowse();
  EXPECT_EQ(root, State().CurrentFolder);
  EXPECT_EQ(root, platform::ControlText(Window(), app::kFolderTextId));
  // And the next picker starts at the same path less that one backslash.
  ClickBrowse();
  ASSERT_EQ(2u, platform::ShownPickers().size());
  EXPECT_EQ(root.substr(0, root.size() - 1), platform::ShownPickers()[1].startFolder);
}

TEST_F(BrowseFolderTest, ChoosingTheCurrentFolderAgainReloadsBothTables) {
  first_.WriteBook("MORE.PMR", {Entry("Cy Later", "cy@first.example")});
  first_.Write("Z.PML", "\\TITLE Added later\r\n");
  platform::QueuePickerAnswer({Picked(first_), nullptr});
  ClickBrowse();
  EXPECT_EQ(AsCurrent(first_), State().CurrentFolder);
  EXPECT_EQ((std::vector<std::string>{"Added later", "First list"}), ListRows(Window()));
  EXPECT_TRUE(State().Folder->FindBookName("CY LATER").has_value());
  EXPECT_EQ("Ann First\tann@first.example\r\n", platform::PaneText(Window(), app::kOutputPaneId));
}

TEST_F(BrowseFolderTest, ASecondBrowseInsideTheFirstPickerNestsAndTheOuterChoiceIsAppliedLast) {
  MailFolder third;
  third.Write("T.PML", "\\TITLE Third list\r\n");
  int openInside = 0;
  std::string folderInside;
  platform::QueuePickerAnswer({Picked(third), [&] {
                                 platform::QueuePickerAnswer({Picked(second_), nullptr});
                                 ClickBrowse();
                                 openInside = platform::OpenDialogs();
                                 folderInside = State().CurrentFolder;
                               }});
  ClickBrowse();

  ASSERT_EQ(2u, platform::ShownPickers().size());
  // The inner picker opened while the outer one was still open, at the
  // folder that was current then.
  EXPECT_EQ(Picked(first_), platform::ShownPickers()[1].startFolder);
  EXPECT_EQ(1, openInside);
  EXPECT_EQ(AsCurrent(second_), folderInside);
  EXPECT_EQ(AsCurrent(third), State().CurrentFolder);
  EXPECT_EQ(AsCurrent(third), platform::ControlText(Window(), app::kFolderTextId));
  EXPECT_EQ(std::vector<std::string>{"Third list"}, ListRows(Window()));
  EXPECT_EQ(0, platform::OpenDialogs());
}

}  // namespace
