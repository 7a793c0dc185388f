#include "engine/mail_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/address_book.h"
#include "engine/mailing_list.h"
#include "tests/engine/book_fixture.h"
#include "tools/address_book_writer.h"

namespace {

using V = std::vector<std::string>;

// What the lists loader saw when it ran: the books must be loaded by then.
std::vector<std::size_t> namesSeenByLists;
void RecordingLoadLists() {
  namesSeenByLists.push_back(engine::BookNames.size());
  engine::LoadListCatalogue();
}

TEST(OpenMailFolder, LoadsBooksThenListsFromTheFolder) {
  engine::CreateTables();
  namesSeenByLists.clear();
  const fixture::TempFolder folder;
  folder.Write("a.PMR", tools::AddressBookBytes(
                            "A", {{"Ann", "ann@a", "", "", ""}, {"Bo", "bo@b", "", "", ""}}));
  folder.Write("club.PML", "\\TITLE Club\r\nann\r\n");
  ASSERT_TRUE(engine::OpenMailFolder(folder.path().string(), RecordingLoadLists));
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), folder.path()));
  EXPECT_EQ(namesSeenByLists, std::vector<std::size_t>{2});
  EXPECT_EQ(engine::BookNames, (V{"ANN", "BO"}));
  EXPECT_EQ(engine::ListTitles, (V{"", "Club"}));
}

TEST(OpenMailFolder, AFolderThatCannotBeMadeCurrentChangesNothing) {
  engine::CreateTables();
  namesSeenByLists.clear();
  const fixture::TempFolder folder;
  folder.Write("a.PMR", tools::AddressBookBytes("A", {{"Ann", "ann@a", "", "", ""}}));
  folder.Write("club.PML", "\\TITLE Club\r\n");
  ASSERT_TRUE(engine::OpenMailFolder(folder.path().string(), RecordingLoadLists));
  const std::filesystem::path before = std::filesystem::current_path();
  for (const std::string& bad :
       {(folder.path() / "missing").string(), std::string(), (folder.path() / "a.PMR").string()}) {
    EXPECT_FALSE(engine::OpenMailFolder(bad, RecordingLoadLists)) << bad;
    EXPECT_EQ(std::filesystem::current_path(), before) << bad;
    EXPECT_EQ(engine::BookNames, V{"ANN"}) << bad;
    EXPECT_EQ(engine::ListTitles, (V{"", "Club"})) << bad;
  }
  EXPECT_EQ(namesSeenByLists.size(), 1u);
  EXPECT_EQ(engine::FindBookName("ANN"), 0u);
}

}  // namespace
