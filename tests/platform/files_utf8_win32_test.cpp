// The Win32 file layer with UTF-8 names, as the command line uses it: every
// call told NameForm::kUtf8 takes and gives UTF-8 and reaches names outside
// the ANSI code page through the wide calls, while a call told the ANSI form
// in the same process keeps the ANSI calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "files_test_support.h"
#include "platform/files.h"

namespace files_test {

namespace {

namespace fs = std::filesystem;

constexpr platform::NameForm kUtf8 = platform::NameForm::kUtf8;

// "Почта Ωμέγα", "Друзья.PML", "Βιβλίο.PMR" in UTF-8 and in UTF-16.
const std::string kFolder =
    "\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0 \xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1";
const std::string kList = "\xD0\x94\xD1\x80\xD1\x83\xD0\xB7\xD1\x8C\xD1\x8F.PML";
const std::string kBook = "\xCE\x92\xCE\xB9\xCE\xB2\xCE\xBB\xCE\xAF\xCE\xBF.PMR";
const std::wstring kWideFolder = L"\u041F\u043E\u0447\u0442\u0430 \u03A9\u03BC\u03AD\u03B3\u03B1";
const std::wstring kWideList = L"\u0414\u0440\u0443\u0437\u044C\u044F.PML";
const std::wstring kWideBook = L"\u0392\u03B9\u03B2\u03BB\u03AF\u03BF.PMR";

class Utf8NamesTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    const fs::path folder = folder_ / kWideFolder;
    fs::create_directory(folder);
    WriteFile(folder / kWideList, "\\TITLE Friends\r\n");
    WriteFile(folder / kWideBook, "book");
  }
};

TEST_F(Utf8NamesTest, FoldersAndFilesNamedOutsideTheCodePageAreFoundAndRead) {
  EXPECT_TRUE(platform::IsFolder(kFolder, kUtf8));
  EXPECT_EQ(platform::ListMatchingFiles(kFolder, "*.PML", nullptr, kUtf8),
            std::vector<std::string>{kList});
  EXPECT_EQ(platform::ListMatchingFiles(kFolder, "*.PMR", nullptr, kUtf8),
            std::vector<std::string>{kBook});
  const std::string list = platform::PathInFolder(kFolder, kList);
  EXPECT_EQ(platform::LookUpEntryName(list, kUtf8), kList);
  platform::FileFailure why = platform::FileFailure::kHeld;
  EXPECT_EQ(platform::ReadWholeFileExclusive(list, &why, kUtf8), "\\TITLE Friends\r\n");
  EXPECT_EQ(why, platform::FileFailure::kNone);
  {
    const HANDLE held = CreateFileW((folder_ / kWideFolder / kWideList).c_str(), GENERIC_READ, 0,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(platform::ReadWholeFileExclusive(list, &why, kUtf8), std::nullopt);
    EXPECT_EQ(why, platform::FileFailure::kHeld);
    CloseHandle(held);
  }
  // The same names in the ANSI form name nothing; the UTF-8 ones still do.
  EXPECT_FALSE(platform::IsFolder(kFolder));
  EXPECT_EQ(platform::ReadWholeFileExclusive(list), std::nullopt);
  EXPECT_FALSE(platform::ExclusiveFile(list).IsOpen());
  EXPECT_TRUE(platform::ExclusiveFile(list, kUtf8).IsOpen());
  ASSERT_TRUE(platform::MakeFolderCurrent(kFolder, kUtf8));
  const std::string current = platform::CurrentFolderPath(kUtf8);
  EXPECT_EQ(current.substr(current.size() - kFolder.size()), kFolder) << current;
  EXPECT_EQ(platform::ListMatchingFiles(".", "*.PMR", nullptr, kUtf8),
            std::vector<std::string>{kBook});
}

TEST_F(Utf8NamesTest, BytesThatAreNoUtf8NameNothing) {
  const std::string bad = "\xC9t\xE9.PML";  // Latin-1, not UTF-8
  WriteFile(folder_ / L"\u00C9t\u00E9.PML", "x");
  EXPECT_FALSE(platform::IsFolder(bad, kUtf8));
  platform::FileFailure why = platform::FileFailure::kNone;
  EXPECT_EQ(platform::ReadWholeFileExclusive(bad, &why, kUtf8), std::nullopt);
  EXPECT_EQ(why, platform::FileFailure::kNotAFile);
  EXPECT_EQ(platform::LookUpEntryName(bad, kUtf8), std::nullopt);
  EXPECT_FALSE(platform::MakeFolderCurrent(bad, kUtf8));
  EXPECT_EQ(platform::ReadWholeFileExclusive("\xC3\x89t\xC3\xA9.PML", nullptr, kUtf8), "x");
  // Those bytes are the ANSI name of the same file.
  EXPECT_EQ(platform::ReadWholeFileExclusive(bad), "x");
}

// Names print as the ANSI code page writes them where it can.
TEST_F(Utf8NamesTest, AnsiFormIsTheCodePagesBytesWhereItHasEveryLetter) {
  if (GetACP() != 1252) GTEST_SKIP() << "written for code page 1252, this system has " << GetACP();
  EXPECT_EQ(platform::AnsiFormOf("plain.PML", kUtf8), "plain.PML");
  EXPECT_EQ(platform::AnsiFormOf("\xC3\x89t\xC3\xA9.PML", kUtf8), "\xC9t\xE9.PML");
  EXPECT_EQ(platform::AnsiFormOf(kList, kUtf8), std::nullopt);
  // No best fit: Greek Omega is not written as a Latin letter.
  EXPECT_EQ(platform::AnsiFormOf("\xCE\xA9", kUtf8), std::nullopt);
  // An ANSI name is its own ANSI form.
  EXPECT_EQ(platform::AnsiFormOf("\xC9t\xE9.PML", platform::NameForm::kAnsi), "\xC9t\xE9.PML");
}

}  // namespace
}  // namespace files_test
