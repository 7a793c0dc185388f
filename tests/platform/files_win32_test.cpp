// Win32 side of the file-layer tests: the helpers use the calls another
// Windows program would make, and the cases only Windows has (attributes,
// stored letter case, the error mode).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files_test_support.h"
#include "platform/files.h"

namespace files_test {

namespace {

void SetAttributes(const std::string& name, DWORD attributes) {
  ASSERT_NE(SetFileAttributesA(name.c_str(), attributes), 0) << name;
  // Wine keeps attributes in extended attributes; make sure they stuck.
  ASSERT_EQ(GetFileAttributesA(name.c_str()) & attributes, attributes) << name;
}

}  // namespace

std::string CreateHiddenBook() {
  const std::string name = "hidden.pmr";
  WriteFile(name, "hidden");
  SetAttributes(name, FILE_ATTRIBUTE_HIDDEN);
  return name;
}

namespace {

using Names = std::vector<std::string>;

class Win32FilesTest : public TempFolderTest {};

TEST_F(Win32FilesTest, SystemFilesAreLeftOut) {
  WriteFile("kept.pml", "");
  WriteFile("system.pml", "");
  SetAttributes("system.pml", FILE_ATTRIBUTE_SYSTEM);
  WriteFile("readonly.pml", "");
  SetAttributes("readonly.pml", FILE_ATTRIBUTE_READONLY);
  Names listed = platform::ListMatchingFiles(".", "*.PML").value();
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (Names{"kept.pml", "readonly.pml"}));
  SetFileAttributesA("readonly.pml", FILE_ATTRIBUTE_NORMAL);  // so the folder can go
}

TEST_F(Win32FilesTest, LookUpGivesTheStoredLetterCase) {
  CreateDirectoryA("MailBox", nullptr);
  WriteFile("MailBox\\MixedCase.PmR", "");
  const std::string folder = folder_.string();
  EXPECT_EQ(platform::LookUpEntryName(folder + "\\MAILBOX"), "MailBox");
  EXPECT_EQ(platform::LookUpEntryName(folder + "\\mailbox\\mixedcase.pmr"), "MixedCase.PmR");
  EXPECT_EQ(platform::LookUpEntryName("mailbox"), "MailBox");
  EXPECT_EQ(platform::LookUpEntryName(folder + "\\MAILBOX\\absent.pmr"), std::nullopt);
}

TEST_F(Win32FilesTest, LookUpTakesNoWildcards) {
  CreateDirectoryA("MailBox", nullptr);
  // A search for these would answer "MailBox": not the entry asked for.
  EXPECT_EQ(platform::LookUpEntryName("Mail*"), std::nullopt);
  EXPECT_EQ(platform::LookUpEntryName("MailBo?"), std::nullopt);
}

TEST_F(Win32FilesTest, FileOpenElsewhereIsUnreadableEvenWhenShared) {
  WriteFile("shared.pmr", "book");
  // Another program reading the file and sharing it with everyone: our own
  // open shares nothing, so it must still fail.
  HANDLE other = CreateFileA("shared.pmr", GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform::ReadWholeFileExclusive("shared.pmr"), std::nullopt);
  CloseHandle(other);
  EXPECT_EQ(platform::ReadWholeFileExclusive("shared.pmr"), "book");
}

TEST_F(Win32FilesTest, DevicesAreNotFiles) {
  EXPECT_EQ(platform::ReadWholeFileExclusive("NUL"), std::nullopt);
}

TEST_F(Win32FilesTest, EveryCallPutsThePreviousErrorModeBack) {
  WriteFile("a.pmr", "a");
  const std::string folder = folder_.string();
  const UINT original = GetErrorMode();
  for (const UINT mode :
       {0u, static_cast<UINT>(SEM_NOGPFAULTERRORBOX), static_cast<UINT>(SEM_FAILCRITICALERRORS)}) {
    SetErrorMode(mode);
    const auto expect_mode = [&](const char* call) {
      EXPECT_EQ(GetErrorMode(), mode) << "after " << call << " from mode " << mode;
      SetErrorMode(mode);
    };
    platform::MakeFolderCurrent(folder);
    expect_mode("MakeFolderCurrent");
    platform::MakeFolderCurrent("Z:\\quillmer\\absent");
    expect_mode("MakeFolderCurrent, failing");
    platform::CurrentFolderPath();
    expect_mode("CurrentFolderPath");
    platform::ListMatchingFiles(".", "*.PMR");
    expect_mode("ListMatchingFiles");
    platform::ListMatchingFiles(".", "*.ABSENT");
    expect_mode("ListMatchingFiles, nothing found");
    platform::LookUpEntryName(folder);
    expect_mode("LookUpEntryName");
    platform::LookUpEntryName("absent");
    expect_mode("LookUpEntryName, nothing found");
    platform::ReadWholeFileExclusive("a.pmr");
    expect_mode("ReadWholeFileExclusive");
    platform::ReadWholeFileExclusive("absent.pmr");
    expect_mode("ReadWholeFileExclusive, missing");
  }
  SetErrorMode(original);
}

}  // namespace
}  // namespace files_test
