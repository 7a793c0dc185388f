// The file layer on real temporary folders; the same tests run natively and,
// built for Windows, under Wine against the Win32 calls.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files_test_support.h"

namespace files_test {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

Names Sorted(Names names) {
  std::sort(names.begin(), names.end());
  return names;
}

class ListMatchingFilesTest : public TempFolderTest {};

TEST_F(ListMatchingFilesTest, MatchesExtensionInAnyLetterCase) {
  for (const char* name :
       {"x.pmr", "A.PMR", "Mixed.PmR", "x.pml", "xpmr", "pmr.txt", "x.pmr.bak"}) {
    WriteFile(name, "book");
  }
  EXPECT_EQ(Sorted(platform::ListMatchingFiles(".", "*.PMR").value()),
            (Names{"A.PMR", "Mixed.PmR", "x.pmr"}));
  EXPECT_EQ(Sorted(platform::ListMatchingFiles(".", "*.pml").value()), (Names{"x.pml"}));
  EXPECT_EQ(Sorted(platform::ListMatchingFiles(".", "?.pmr").value()), (Names{"A.PMR", "x.pmr"}));
}

TEST_F(ListMatchingFilesTest, LeavesOutFoldersAndHiddenFiles) {
  WriteFile("kept.pmr", "");
  fs::create_directory("folder.pmr");
  const std::string hidden = CreateHiddenBook();
  ASSERT_TRUE(fs::exists(hidden));
  EXPECT_EQ(platform::ListMatchingFiles(".", "*.PMR").value(), (Names{"kept.pmr"}));
}

TEST_F(ListMatchingFilesTest, KeepsTheListingsOwnOrder) {
  // Names whose sorted order is unlikely to be the directory's own.
  Names created;
  for (int i = 0; i < 24; ++i) {
    std::string name = "b";
    name += std::to_string((i * 7919) % 97);
    created.push_back(name + ".pmr");
    WriteFile(created.back(), "");
  }
  Names listed_by_library;
  for (const auto& entry : fs::directory_iterator(".")) {
    listed_by_library.push_back(entry.path().filename().string());
  }
  const Names listed = platform::ListMatchingFiles(".", "*.PMR").value();
  EXPECT_EQ(listed, listed_by_library);
  EXPECT_EQ(Sorted(listed), Sorted(created));
}

TEST_F(ListMatchingFilesTest, EmptyFolderAndUnusablePatternsGiveNothing) {
  EXPECT_EQ(platform::ListMatchingFiles(".", "*.PMR"), Names{});
  WriteFile("a.pmr", "");
  EXPECT_EQ(platform::ListMatchingFiles(".", ""), std::nullopt);
  EXPECT_EQ(platform::ListMatchingFiles(".", std::string_view("a.pmr\0*", 7)), std::nullopt);
  // A folder that is not there cannot be listed; one without a match can.
  EXPECT_EQ(platform::ListMatchingFiles("no such folder", "*.PMR"), std::nullopt);
  EXPECT_EQ(platform::ListMatchingFiles("a.pmr", "*.PMR"), std::nullopt);
  EXPECT_EQ(platform::ListMatchingFiles("", "*.PMR"), std::nullopt);
}

class ReadWholeFileExclusiveTest : public TempFolderTest {};

TEST_F(ReadWholeFileExclusiveTest, ReturnsEveryByteUnchanged) {
  constexpr char kBytes[] =
      "head\0er\r\nline\rlone\nlf\x1A"
      "after\xFF\x80";
  const std::string bytes(kBytes, sizeof kBytes - 1);
  WriteFile("book.pmr", bytes);
  EXPECT_EQ(platform::ReadWholeFileExclusive("book.pmr"), bytes);
  WriteFile("empty.pmr", "");
  EXPECT_EQ(platform::ReadWholeFileExclusive("empty.pmr"), std::string());

  std::string large(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>((i * 131) >> 3);
  WriteFile("large.pmr", large);
  const auto read = platform::ReadWholeFileExclusive((folder_ / "large.pmr").string());
  ASSERT_TRUE(read.has_value());
  EXPECT_TRUE(*read == large) << "size " << read->size() << " of " << large.size();
}

TEST_F(ReadWholeFileExclusiveTest, MissingFolderAndUnusablePathsAreUnreadableAndSayWhy) {
  using platform::FileFailure;
  fs::create_directory("folder.pmr");
  WriteFile("a.pmr", "x");
  const std::vector<std::pair<std::string, FileFailure>> cases = {
      {"missing.pmr", FileFailure::kMissing},
      {platform::PathInFolder("no-folder", "a.pmr"), FileFailure::kMissing},
      {"folder.pmr", FileFailure::kNotAFile},
      {"", FileFailure::kNotAFile},
      {std::string("a.pmr\0b", 7), FileFailure::kNotAFile},
  };
  for (const auto& [path, reason] : cases) {
    FileFailure why = FileFailure::kNone;
    EXPECT_EQ(platform::ReadWholeFileExclusive(path, &why), std::nullopt) << path;
    EXPECT_EQ(why, reason) << path;
    EXPECT_EQ(platform::ExclusiveFile(path).OpenFailure(), reason) << path;
  }
  FileFailure why = FileFailure::kHeld;
  EXPECT_EQ(platform::ReadWholeFileExclusive("a.pmr", &why), "x");
  EXPECT_EQ(why, FileFailure::kNone);
}

TEST_F(ReadWholeFileExclusiveTest, FileHeldByAnotherIsUnreadableUntilReleased) {
  WriteFile("held.pml", "\\TITLE Held\r\n");
  {
    ExclusiveHold hold("held.pml");
    ASSERT_TRUE(hold.Held());
    platform::FileFailure why = platform::FileFailure::kNone;
    EXPECT_EQ(platform::ReadWholeFileExclusive("held.pml", &why), std::nullopt);
    EXPECT_EQ(why, platform::FileFailure::kHeld);
    EXPECT_EQ(platform::ExclusiveFile("held.pml").OpenFailure(), platform::FileFailure::kHeld);
  }
  EXPECT_EQ(platform::ExclusiveFile("held.pml").OpenFailure(), platform::FileFailure::kNone);
  EXPECT_EQ(platform::ReadWholeFileExclusive("held.pml"), "\\TITLE Held\r\n");
  // The read itself let go of the file: another program can take it now.
  ExclusiveHold after("held.pml");
  EXPECT_TRUE(after.Held());
}

class ExclusiveFileTest : public TempFolderTest {};

TEST_F(ExclusiveFileTest, ReadsInFullPiecesUntilTheEnd) {
  std::string bytes(10 * 1000 + 7, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 37) >> 2);
  WriteFile("book.pmr", bytes);
  platform::ExclusiveFile file("book.pmr");
  ASSERT_TRUE(file.IsOpen());
  EXPECT_EQ(file.Size(), bytes.size());
  std::string read;
  char piece[1000];
  std::vector<std::size_t> counts;
  for (;;) {
    const std::optional<std::size_t> got = file.ReadNext(piece, sizeof piece);
    ASSERT_TRUE(got.has_value());
    counts.push_back(*got);
    read.append(piece, *got);
    if (*got < sizeof piece) break;
  }
  EXPECT_TRUE(read == bytes);
  // Every piece but the last is whole; the last holds the 7 bytes left.
  EXPECT_EQ(counts.size(), 11u);
  EXPECT_EQ(counts.back(), 7u);
  EXPECT_EQ(file.ReadNext(piece, sizeof piece), 0u);
}

TEST_F(ExclusiveFileTest, HoldsTheFileForItsWholeLife) {
  WriteFile("held.pml", "\\TITLE Held\r\n");
  {
    platform::ExclusiveFile file("held.pml");
    ASSERT_TRUE(file.IsOpen());
    char first[3];
    EXPECT_EQ(file.ReadNext(first, sizeof first), 3u);
    // Between two reads another program still cannot have it.
    ExclusiveHold during("held.pml");
    EXPECT_FALSE(during.Held());
    EXPECT_FALSE(platform::ExclusiveFile("held.pml").IsOpen());
  }
  ExclusiveHold after("held.pml");
  EXPECT_TRUE(after.Held());
  // And a file another program holds does not open.
  EXPECT_FALSE(platform::ExclusiveFile("held.pml").IsOpen());
}

TEST_F(ExclusiveFileTest, MissingFoldersAndUnusablePathsDoNotOpen) {
  fs::create_directory("folder.pmr");
  WriteFile("a.pmr", "x");
  char piece[4];
  for (const std::string& path : {std::string("missing.pmr"), std::string("folder.pmr"),
                                  std::string(), std::string("a.pmr\0b", 7)}) {
    platform::ExclusiveFile file(path);
    EXPECT_FALSE(file.IsOpen()) << path;
    EXPECT_EQ(file.ReadNext(piece, sizeof piece), std::nullopt) << path;
  }
}

class FolderTest : public TempFolderTest {};

TEST_F(FolderTest, MakesFolderCurrentAndReportsIt) {
  fs::create_directory("sub");
  WriteFile("sub/inner.pmr", "");
  ASSERT_TRUE(platform::MakeFolderCurrent("sub"));
  const std::string current = platform::CurrentFolderPath();
  EXPECT_TRUE(fs::equivalent(current, folder_ / "sub")) << current;
  EXPECT_NE(current.back(), '/');
  EXPECT_NE(current.back(), '\\');
  EXPECT_EQ(platform::ListMatchingFiles(".", "*.PMR").value(), (Names{"inner.pmr"}));

  ASSERT_TRUE(platform::MakeFolderCurrent(folder_.string()));
  EXPECT_TRUE(fs::equivalent(platform::CurrentFolderPath(), folder_));
}

TEST_F(FolderTest, FilesOfAnotherFolderAreNamedFolderPlusName) {
  fs::create_directory("sub");
  WriteFile("sub/inner.pmr", "inner bytes");
  WriteFile("outer.pmr", "");
  EXPECT_TRUE(platform::IsFolder("sub"));
  EXPECT_TRUE(platform::IsFolder(folder_.string()));
  EXPECT_FALSE(platform::IsFolder("outer.pmr"));
  EXPECT_FALSE(platform::IsFolder("missing"));
  EXPECT_FALSE(platform::IsFolder(""));
  // With or without a separator at the end, and relative or absolute, the
  // folder's own files and nothing of the current one.
  const std::string absolute = (folder_ / "sub").string();
  for (const std::string& sub : {std::string("sub"), absolute, absolute + "/"}) {
    EXPECT_EQ(platform::ListMatchingFiles(sub, "*.PMR"), Names{"inner.pmr"}) << sub;
    EXPECT_EQ(platform::ReadWholeFileExclusive(platform::PathInFolder(sub, "inner.pmr")),
              "inner bytes")
        << sub;
  }
  EXPECT_EQ(platform::PathInFolder("", "a.pmr"), "a.pmr");
  EXPECT_EQ(platform::ReadWholeFileExclusive(platform::PathInFolder("", "outer.pmr")), "");
}

TEST_F(FolderTest, FailureLeavesTheCurrentFolderAlone) {
  WriteFile("plain.pmr", "");
  const std::string before = platform::CurrentFolderPath();
  ASSERT_FALSE(before.empty());
  for (const std::string& bad :
       {std::string("missing"), std::string("plain.pmr"), std::string(), std::string("sub\0x", 5),
        (folder_ / "missing" / "deeper").string()}) {
    EXPECT_FALSE(platform::MakeFolderCurrent(bad)) << bad;
    EXPECT_EQ(platform::CurrentFolderPath(), before) << bad;
  }
}

// What the command line asks before it uses a folder: is the name a folder
// at all, and can the folder be listed.
TEST_F(FolderTest, TellsFoldersFromOtherEntriesAndListsThem) {
  fs::create_directory("empty");
  fs::create_directory("full");
  WriteFile("full/book.pmr", "");
  WriteFile("plain.pmr", "");
  for (const std::string& folder :
       {std::string("."), std::string("empty"), std::string("full"), std::string("full/"),
        folder_.string(), (folder_ / "full").string()}) {
    EXPECT_TRUE(platform::IsFolder(folder)) << folder;
    EXPECT_TRUE(platform::ListMatchingFiles(folder, "*").has_value()) << folder;
  }
  for (const std::string& other :
       {std::string("plain.pmr"), std::string("missing"), std::string("full/book.pmr"),
        std::string(), std::string("full\0x", 6), (folder_ / "missing" / "deeper").string()}) {
    EXPECT_FALSE(platform::IsFolder(other)) << other;
    EXPECT_FALSE(platform::ListMatchingFiles(other, "*").has_value()) << other;
  }
  // Asking changes nothing: the current folder stays where it was.
  EXPECT_TRUE(fs::equivalent(platform::CurrentFolderPath(), folder_));
}

class LookUpEntryNameTest : public TempFolderTest {};

TEST_F(LookUpEntryNameTest, GivesTheLastComponentsName) {
  fs::create_directory("Mail");
  WriteFile("Mail/Book.PMR", "");
  EXPECT_EQ(platform::LookUpEntryName((folder_ / "Mail").string()), "Mail");
  EXPECT_EQ(platform::LookUpEntryName((folder_ / "Mail" / "Book.PMR").string()), "Book.PMR");
  EXPECT_EQ(platform::LookUpEntryName("Mail"), "Mail");
  // Hidden entries count too: this is a lookup, not a listing.
  const std::string hidden = CreateHiddenBook();
  EXPECT_EQ(platform::LookUpEntryName(hidden), hidden);
}

TEST_F(LookUpEntryNameTest, MissingEntriesGiveNothing) {
  fs::create_directory("Mail");
  EXPECT_EQ(platform::LookUpEntryName("Absent"), std::nullopt);
  EXPECT_EQ(platform::LookUpEntryName((folder_ / "Absent" / "Mail").string()), std::nullopt);
  EXPECT_EQ(platform::LookUpEntryName(""), std::nullopt);
  EXPECT_EQ(platform::LookUpEntryName(std::string("Mail\0x", 6)), std::nullopt);
}

}  // namespace
}  // namespace files_test
