#include "engine/mail_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/expansion.h"
#include "platform/files.h"
#include "tests/engine/book_fixture.h"
#include "tests/support/exclusive_hold.h"
#include "tests/support/file_opens.h"
#include "tools/address_book_writer.h"

namespace {

using V = std::vector<std::string>;

std::shared_ptr<const engine::MailFolder> Open(const fixture::TempFolder& folder) {
  engine::OpenedFolder opened = engine::OpenMailFolder(folder.path().string());
  EXPECT_EQ(opened.failure, engine::FolderFailure::kNone);
  return opened.folder;
}

V Titles(const engine::MailFolder& folder) {
  V titles;
  for (const engine::MailingList& list : folder.Lists()) titles.push_back(list.title);
  return titles;
}

TEST(OpenMailFolder, ReadsBooksAndListsWithoutEnteringTheFolder) {
  const fixture::TempFolder folder;
  folder.Write("a.PMR", tools::AddressBookBytes(
                            "A", {{"Ann", "ann@a", "", "", ""}, {"Bo", "bo@b", "", "", ""}}));
  folder.Write("club.PML", "\\TITLE Club\r\nann\r\nme@here\r\nbo \r\n");
  const std::filesystem::path before = std::filesystem::current_path();
  const auto opened = Open(folder);
  ASSERT_TRUE(opened);
  EXPECT_EQ(std::filesystem::current_path(), before);
  EXPECT_EQ(opened->Path(), folder.path().string());
  EXPECT_EQ(opened->BookFiles(), V{"a.PMR"});
  EXPECT_EQ(fixture::Entries(opened->BookNames()), (V{"ANN", "BO"}));
  EXPECT_EQ(Titles(*opened), V{"Club"});
  EXPECT_EQ(opened->ListFiles(0), "club.PML");

  // The list is read from the folder, not from the current directory, and
  // expanded against the folder's own books.
  const std::optional<std::string> bytes = engine::ReadListFile(*opened, opened->Lists()[0]);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(engine::ExpandListText(*bytes, *opened), "ann\tann@a\r\nme@here\r\nbo \r\n");
  EXPECT_EQ(engine::ReadListFile(*opened, {"missing.PML", ""}), std::nullopt);
  engine::WholeFile book;
  EXPECT_TRUE(engine::ReadBookFile(*opened, "a.PMR", book));
  EXPECT_EQ(book.Bytes().size(), 128u + 2 * 458u);
}

TEST(ReadBookFile, GivesEveryByteOfSmallAndLargeFilesInOneRoom) {
  // Any bytes (NULs, Ctrl-Z, lone LFs), of sizes on both sides of the room
  // growing into large blocks and past a whole 2 MiB one, read in turn
  // into the same room, larger and smaller than the file before.
  std::string bytes;
  for (std::size_t i = 0; bytes.size() < (std::size_t{5} << 20) + 8; ++i) {
    bytes += static_cast<char>((i * 2654435761u) >> 13);
  }
  const std::vector<std::pair<std::string, std::size_t>> files = {
      {"small.PMR", 1000},       {"large.PMR", 300 * 1024},   {"empty.PMR", 0},
      {"larger.PMR", 3u << 20},  {"odd.PMR", (2u << 20) + 7}, {"tiny.PMR", 1},
      {"largest.PMR", 5u << 20}, {"again.PMR", 128 + 458}};
  const fixture::TempFolder folder;
  for (const auto& [name, size] : files) folder.Write(name, bytes.substr(size % 7, size));
  const auto opened = Open(folder);
  ASSERT_TRUE(opened);
  engine::WholeFile content;
  for (const auto& [name, size] : files) {
    platform::FileFailure why = platform::FileFailure::kHeld;
    ASSERT_TRUE(engine::ReadBookFile(*opened, name, content, {}, &why)) << name;
    EXPECT_EQ(why, platform::FileFailure::kNone) << name;
    ASSERT_EQ(content.Bytes().size(), size) << name;
    EXPECT_TRUE(content.Bytes() == std::string_view(bytes).substr(size % 7, size)) << name;
  }
  // A file that is not there leaves nothing of the one before.
  platform::FileFailure why = platform::FileFailure::kNone;
  EXPECT_FALSE(engine::ReadBookFile(*opened, "gone.PMR", content, {}, &why));
  EXPECT_EQ(why, platform::FileFailure::kMissing);
  EXPECT_EQ(content.Bytes(), "");
}

TEST(OpenMailFolder, WithoutBookRecordsOpensNoBookButStillNamesThem) {
  const fixture::TempFolder folder;
  folder.Write("a.PMR", tools::AddressBookBytes("A", {{"Ann", "ann@a", "", "", ""}}));
  folder.Write("b.PMR", tools::AddressBookBytes("B", {{"Bo", "bo@b", "", "", ""}}));
  folder.Write("club.PML", "\\TITLE Club\r\nann\r\n");
  testsupport::FileOpens opens(folder.path().string());
  const engine::OpenedFolder opened =
      engine::OpenMailFolder(folder.path().string(), {.bookRecords = false});
  ASSERT_TRUE(opened.folder);
  V books = opened.folder->BookFiles();
  std::sort(books.begin(), books.end());
  EXPECT_EQ(books, (V{"a.PMR", "b.PMR"}));
  EXPECT_EQ(opened.folder->BookNames().size(), 0u);
  EXPECT_EQ(opened.folder->BookAddresses().size(), 0u);
  EXPECT_EQ(opened.folder->FindBookName("ANN"), std::nullopt);
  EXPECT_EQ(Titles(*opened.folder), V{"Club"});
  if (!opens.Watching()) GTEST_SKIP() << "no way to watch the opens here";
  // The list's title is read; no book is.
  EXPECT_EQ(opens.Take(), V{"club.PML"});

  // Read whole, as the window reads it, every book is opened once.
  ASSERT_TRUE(Open(folder));
  V all = opens.Take();
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (V{"a.PMR", "b.PMR", "club.PML"}));
}

TEST(OpenMailFolder, NumbersNothingAndKeepsTheListingOrderOfLists) {
  const fixture::TempFolder folder;
  const std::map<std::string, std::string> titleOf = {
      {"zeta.PML", "Zeta"}, {"alpha.pml", "Alpha"}, {"again.PML", "Zeta"}, {"empty.PML", ""}};
  folder.Write("zeta.PML", "\\TITLE Zeta\r\nBob\r\n");
  folder.Write("alpha.pml", "\\TITLE Alpha\rCarol");
  folder.Write("again.PML", "\\TITLE Zeta\r\n");
  folder.Write("empty.PML", "");
  folder.Write(".hidden.PML", "\\TITLE Hidden\r\n");
  folder.Write("book.PMR", "\\TITLE Book\r\n");
  std::filesystem::create_directory(folder.path() / "sub.PML");
  const auto opened = Open(folder);
  ASSERT_TRUE(opened);

  V titles;
  V files;
  const std::optional<V> listed = platform::ListMatchingFiles(folder.path().string(), "*.PML");
  ASSERT_TRUE(listed);
  for (const std::string& name : *listed) {
    files.push_back(name);
    titles.push_back(titleOf.at(name));
  }
  ASSERT_EQ(files.size(), 4u);
  V openedFiles;
  for (const engine::MailingList& list : opened->Lists()) openedFiles.push_back(list.file);
  EXPECT_EQ(openedFiles, files);
  EXPECT_EQ(Titles(*opened), titles);

  const fixture::TempFolder none;
  EXPECT_TRUE(Open(none)->Lists().empty());
}

TEST(OpenMailFolder, ReadsEachTitleAcrossPiecesOnlyToItsFirstLineEnd) {
  const fixture::TempFolder folder;
  // A first line longer than any one read, ended by CR, by CR LF, by Ctrl-Z,
  // or by the end of the file; and one with lone LFs only.
  const std::string longTitle(20000, 't');
  const std::map<std::string, std::string> expected = {
      {"cr.PML", longTitle},
      {"crlf.PML", longTitle},
      {"ctrlz.PML", longTitle},
      {"end.PML", longTitle},
      {"lf.PML", "a\nb\n" + std::string(9000, 'c')},
      {"short.PML", ""},
      {"empty.PML", ""},
      {"held.PML", ""}};
  folder.Write("cr.PML", "\\TITLE " + longTitle + "\rrest\r\n");
  folder.Write("crlf.PML", "\\TITLE " + longTitle + "\r\nrest");
  folder.Write("ctrlz.PML", "\\TITLE " + longTitle + "\x1A" + "after\r\n");
  folder.Write("end.PML", "\\TITLE " + longTitle);
  folder.Write("lf.PML", "\\TITLE a\nb\n" + std::string(9000, 'c'));
  folder.Write("short.PML", "1234567\r\nEntry");
  folder.Write("empty.PML", "");
  folder.Write("held.PML", "\\TITLE Held\r\n");
  // A list held by another program keeps its entry, with an empty title.
  testsupport::ExclusiveHold hold((folder.path() / "held.PML").string());
  ASSERT_TRUE(hold.Held());
  const auto opened = Open(folder);
  ASSERT_TRUE(opened);
  ASSERT_EQ(opened->Lists().size(), expected.size());
  for (const engine::MailingList& list : opened->Lists()) {
    EXPECT_TRUE(list.title == expected.at(list.file)) << list.file;
  }
}

TEST(OpenMailFolder, SaysWhatIsNoFolder) {
  const fixture::TempFolder folder;
  folder.Write("a.PMR", tools::AddressBookBytes("A", {{"Ann", "ann@a", "", "", ""}}));
  for (const std::string& bad :
       {(folder.path() / "missing").string(), std::string(), (folder.path() / "a.PMR").string(),
        (folder.path() / "a*").string()}) {
    const engine::OpenedFolder opened = engine::OpenMailFolder(bad);
    EXPECT_EQ(opened.folder, nullptr) << bad;
    EXPECT_EQ(opened.failure, engine::FolderFailure::kNotAFolder) << bad;
  }
  // With and without the trailing separator, the same folder.
  const engine::OpenedFolder withSeparator = engine::OpenMailFolder(
      folder.path().string() + static_cast<char>(std::filesystem::path::preferred_separator));
  ASSERT_TRUE(withSeparator.folder);
  EXPECT_EQ(fixture::Entries(withSeparator.folder->BookNames()), V{"ANN"});
}

}  // namespace

namespace {

// Held books and lists are named with their reason, in the order they were
// met (books first, in the listing's order whether read as one run or as
// two at once), and add nothing; a folder named like a book is no book and
// is not named. Without a retry nothing is waited for.
TEST(OpenMailFolder, NamesTheBooksAndListsItCouldNotRead) {
  const fixture::TempFolder folder;
  folder.Write("a.PMR", tools::AddressBookBytes("A", {{"Ann", "ann@a", "", "", ""}}));
  // Each held book is larger than the free one: read as two runs, each run
  // meets one of them, whatever the listing's order.
  const std::vector<tools::BookEntry> three = {
      {"Bo", "bo@b", "", "", ""}, {"Cy", "cy@c", "", "", ""}, {"Di", "di@d", "", "", ""}};
  folder.Write("b.PMR", tools::AddressBookBytes("B", three));
  folder.Write("c.PMR", tools::AddressBookBytes("C", three));
  folder.Write("club.PML", "\\TITLE Club\r\nann\r\n");
  folder.Write("team.PML", "\\TITLE Team\r\nbo\r\n");
  std::filesystem::create_directory(folder.path() / "dir.PMR");
  const auto open = [&] { return Open(folder); };
  EXPECT_TRUE(open()->Unreadable().empty());

  const testsupport::ExclusiveHold b((folder.path() / "b.PMR").string());
  const testsupport::ExclusiveHold c((folder.path() / "c.PMR").string());
  const testsupport::ExclusiveHold list((folder.path() / "club.PML").string());
  ASSERT_TRUE(b.Held() && c.Held() && list.Held());
  using Named = std::tuple<std::string, bool, platform::FileFailure>;
  const std::optional<V> books = platform::ListMatchingFiles(folder.path().string(), "*.PMR");
  ASSERT_TRUE(books);
  std::vector<Named> expected;
  for (const std::string& book : *books) {
    if (book != "a.PMR") expected.emplace_back(book, true, platform::FileFailure::kHeld);
  }
  expected.emplace_back("club.PML", false, platform::FileFailure::kHeld);
  std::shared_ptr<const engine::MailFolder> opened;
  for (const engine::Split split : {engine::Split::kNever, engine::Split::kAlways}) {
    opened = engine::OpenMailFolder(folder.path().string(), {.split = split}).folder;
    ASSERT_TRUE(opened);
    std::vector<Named> named;
    for (const engine::UnreadableFile& file : opened->Unreadable()) {
      named.emplace_back(file.file, file.book, file.reason);
    }
    EXPECT_EQ(named, expected) << "split " << static_cast<int>(split);
    EXPECT_EQ(fixture::Entries(opened->BookNames()), V{"ANN"});
  }
  const std::map<std::string, std::string> titles = {{"club.PML", ""}, {"team.PML", "Team"}};
  for (const engine::MailingList& l : opened->Lists()) EXPECT_EQ(l.title, titles.at(l.file));

  platform::FileFailure why = platform::FileFailure::kNone;
  engine::WholeFile content;
  ASSERT_TRUE(engine::ReadBookFile(*opened, "a.PMR", content));
  EXPECT_FALSE(engine::ReadBookFile(*opened, "b.PMR", content, {}, &why));
  EXPECT_EQ(content.Bytes(), "");
  EXPECT_EQ(why, platform::FileFailure::kHeld);
  EXPECT_EQ(engine::ReadListFile(*opened, opened->Lists()[0], {}, &why).has_value(),
            opened->Lists()[0].file == "team.PML");
}

}  // namespace
