// POSIX side of the file-layer tests: another program's hold is a flock on
// its own descriptor, hidden means a leading dot, and only regular files are
// files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "files_test_support.h"
#include "platform/files.h"

namespace files_test {

std::string CreateHiddenBook() {
  const std::string name = ".hidden.pmr";
  WriteFile(name, "hidden");
  return name;
}

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

class PosixFilesTest : public TempFolderTest {};

TEST_F(PosixFilesTest, PipeNamedLikeABookIsNeitherListedNorAwaited) {
  ASSERT_EQ(mkfifo("pipe.pmr", 0600), 0);
  WriteFile("real.pmr", "r");
  EXPECT_EQ(platform::ListMatchingFiles(".", "*.PMR").value(), (Names{"real.pmr"}));
  // Opening a pipe for reading would wait for a writer forever.
  EXPECT_EQ(platform::ReadWholeFileExclusive("pipe.pmr"), std::nullopt);
}

TEST_F(PosixFilesTest, SharedLockElsewhereMakesAFileUnreadable) {
  WriteFile("shared.pmr", "book");
  const int other = open("shared.pmr", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_SH | LOCK_NB), 0);
  EXPECT_EQ(platform::ReadWholeFileExclusive("shared.pmr"), std::nullopt);
  close(other);
  EXPECT_EQ(platform::ReadWholeFileExclusive("shared.pmr"), "book");
}

TEST_F(PosixFilesTest, LinksCountAsWhatTheyPointAt) {
  WriteFile("target.txt", "linked");
  fs::create_directory("dir");
  fs::create_symlink("target.txt", "link.pmr");
  fs::create_symlink("dir", "dirlink.pmr");
  fs::create_symlink("absent", "dangling.pmr");
  EXPECT_EQ(platform::ListMatchingFiles(".", "*.PMR").value(), (Names{"link.pmr"}));
  EXPECT_EQ(platform::ReadWholeFileExclusive("link.pmr"), "linked");
  // A lookup is of the entry itself, so even a dangling link is found.
  EXPECT_EQ(platform::LookUpEntryName("dangling.pmr"), "dangling.pmr");
  EXPECT_TRUE(platform::IsFolder("dirlink.pmr"));
  EXPECT_TRUE(platform::ListMatchingFiles("dirlink.pmr", "*").has_value());
  EXPECT_FALSE(platform::IsFolder("dangling.pmr"));
  EXPECT_FALSE(platform::ListMatchingFiles("dangling.pmr", "*").has_value());
}

TEST_F(PosixFilesTest, WildcardsBacktrackAndIgnoreOnlyAsciiCase) {
  for (const char* name :
       {"ab.pmr", "a.b.pmr", "abpmr", "\xE9.pmr", "\xC9.PMR", "long.name.p.mr"}) {
    WriteFile(name, "");
  }
  Names listed = platform::ListMatchingFiles(".", "*.P*R").value();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (Names{"a.b.pmr", "ab.pmr", "long.name.p.mr", "\xC9.PMR", "\xE9.pmr"}));
  EXPECT_EQ(platform::ListMatchingFiles(".", "\xE9.PMR").value(), (Names{"\xE9.pmr"}));
  EXPECT_EQ(platform::ListMatchingFiles(".", "A?.pmr").value(), (Names{"ab.pmr"}));
}

TEST_F(PosixFilesTest, LookUpOfTrailingSlashAndDotEntries) {
  fs::create_directory("Mail");
  EXPECT_EQ(platform::LookUpEntryName((folder_ / "Mail").string() + "/"), "Mail");
  EXPECT_EQ(platform::LookUpEntryName("/"), std::nullopt);
  EXPECT_EQ(platform::LookUpEntryName("."), std::nullopt);
  EXPECT_EQ(platform::LookUpEntryName("Mail/.."), std::nullopt);
}

TEST_F(PosixFilesTest, AFolderThatCanBeEnteredButNotReadIsNotListable) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  fs::create_directory("locked");
  ASSERT_EQ(chmod("locked", 0311), 0);
  EXPECT_TRUE(platform::IsFolder("locked"));
  EXPECT_FALSE(platform::ListMatchingFiles("locked", "*").has_value());
  EXPECT_TRUE(platform::MakeFolderCurrent("locked"));
  EXPECT_FALSE(platform::ListMatchingFiles(".", "*").has_value());
  ASSERT_TRUE(platform::MakeFolderCurrent(folder_.string()));
  ASSERT_EQ(chmod("locked", 0755), 0);
}

}  // namespace
}  // namespace files_test
