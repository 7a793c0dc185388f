// The start folder and the stored spelling of a folder path.
#include "app/start_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app_test_support.h"
#include "platform/files.h"

namespace {

// A file system as a lookup table: path (any case) -> stored name.
std::optional<std::string> FakeLookUp(const std::string& path) {
  static const std::map<std::string, std::string> stored{
      {"D:\\MAIL", "Mail"},
      {"D:\\Mail", "Mail"},
      {"D:\\PROGRA~1", "Program Files"},
      {"D:\\PROGRA~1\\PMAIL", "PMail"},
      {"\\\\server\\share\\Mail", "Mail"},
      {"\\\\server\\share\\MAIL", "Mail"},
      {"\\\\server\\share\\Mail\\PEGASUS", "Pegasus"},
  };
  const auto found = stored.find(path);
  if (found == stored.end()) return std::nullopt;
  return found->second;
}

TEST(CanonicalFolderPath, SpellsEveryComponentAsStoredAndUpperCasesTheDrive) {
  EXPECT_EQ("D:\\Mail", app::CanonicalFolderPath("D:\\MAIL", FakeLookUp));
  EXPECT_EQ("D:\\Mail", app::CanonicalFolderPath("d:\\Mail", FakeLookUp));
  EXPECT_EQ("D:\\Program Files\\PMail",
            app::CanonicalFolderPath("D:\\PROGRA~1\\PMAIL", FakeLookUp));
  EXPECT_EQ("D:", app::CanonicalFolderPath("D:", FakeLookUp));
  EXPECT_EQ("D:", app::CanonicalFolderPath("d:", FakeLookUp));
  EXPECT_EQ("\\", app::CanonicalFolderPath("", FakeLookUp));
}

TEST(CanonicalFolderPath, AComponentThatCannotBeFoundGivesEmpty) {
  EXPECT_EQ("", app::CanonicalFolderPath("D:\\Mail\\Nowhere", FakeLookUp));
  EXPECT_EQ("", app::CanonicalFolderPath("D:\\Nowhere\\Mail", FakeLookUp));
}

TEST(CanonicalFolderPath, KeepsANetworkShareAsItIs) {
  EXPECT_EQ("\\\\server\\share\\Mail\\Pegasus",
            app::CanonicalFolderPath("\\\\server\\share\\Mail\\PEGASUS", FakeLookUp));
  EXPECT_EQ("\\\\server\\share", app::CanonicalFolderPath("\\\\server\\share", FakeLookUp));
}

TEST(StartFolder, IsTheProgramFilesFolderWithOneTrailingBackslash) {
  EXPECT_EQ("D:\\Mail\\", app::StartFolderOf("D:\\MAIL\\QUILLMER.EXE", FakeLookUp));
  // Renamed program file: still its folder.
  EXPECT_EQ("D:\\Mail\\", app::StartFolderOf("D:\\MAIL\\QM-OLD.EXE", FakeLookUp));
  EXPECT_EQ("D:\\Program Files\\PMail\\",
            app::StartFolderOf("D:\\PROGRA~1\\PMAIL\\QUILLM~1.EXE", FakeLookUp));
  EXPECT_EQ("D:\\", app::StartFolderOf("d:\\QUILLMER.EXE", FakeLookUp));
  EXPECT_EQ("\\\\server\\share\\Mail\\",
            app::StartFolderOf("\\\\server\\share\\MAIL\\QUILLMER.EXE", FakeLookUp));
  EXPECT_EQ("\\\\server\\share\\",
            app::StartFolderOf("\\\\server\\share\\QUILLMER.EXE", FakeLookUp));
}

TEST(StartFolder, AFolderWhoseSpellingCannotBeReadIsKeptAsTheSystemGaveIt) {
  EXPECT_EQ("C:\\Hidden\\Mail\\", app::StartFolderOf("c:\\Hidden\\Mail\\QUILLMER.EXE", FakeLookUp));
}

#ifdef _WIN32
TEST(StartFolder, ReadsTheStoredSpellingFromTheFileSystem) {
  apptest::MailFolder root;
  std::filesystem::create_directories(root.Path() + "Mixed Case Mail Folder");
  std::string shouted = root.Path() + "MIXED CASE MAIL FOLDER";
  // The window's lookup: ANSI names.
  const app::EntryLookUp lookUp = [](const std::string& path) {
    return platform::LookUpEntryName(path);
  };
  const std::string canonical = app::CanonicalFolderPath(shouted, lookUp);
  ASSERT_FALSE(canonical.empty());
  EXPECT_EQ("Mixed Case Mail Folder", canonical.substr(canonical.rfind('\\') + 1));
  EXPECT_EQ(canonical + "\\", app::StartFolderOf(shouted + "\\QUILLMER.EXE", lookUp));
  // The test program's own folder, as the system names it.
  const std::string own = app::StartFolder();
  EXPECT_EQ('\\', own.back());
  EXPECT_NE('\\', own[own.size() - 2]);
  EXPECT_TRUE(std::filesystem::exists(own + "quillmer_app_tests.exe"));
}
#endif

}  // namespace
