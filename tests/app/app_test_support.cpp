#include "app_test_support.h"

#include <filesystem>

#include "app/main_window.h"

namespace apptest {

namespace fs = std::filesystem;

namespace {

std::string& StartFolderForTest() {
  static std::string folder;
  return folder;
}

}  // namespace

MailFolder::MailFolder()
    : path_(folder_.path().string() + static_cast<char>(fs::path::preferred_separator)) {}

void MailFolder::Write(const std::string& name, std::string_view bytes) const {
  ASSERT_NO_THROW(folder_.Write(name, bytes)) << name;
}

void MailFolder::WriteBook(const std::string& name,
                           const std::vector<tools::BookEntry>& entries) const {
  Write(name, tools::AddressBookBytes("Test book", entries));
}

void StartedProgram::Start(const std::string& folder) {
  StartFolderForTest() = folder;
  app::StartUp(state_, [] { return StartFolderForTest(); });
}

void StartedProgram::TearDown() {
  platform::DestroyMainWindow(state_.MainWindow);
}

platform::Window StartedProgram::Window() const {
  return state_.MainWindow;
}

}  // namespace apptest
