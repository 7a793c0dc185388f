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
  app::StartUp([] { return StartFolderForTest(); });
}

void StartedProgram::TearDown() {
  platform::DestroyMainWindow(app::MainWindow);
  app::MainWindow = nullptr;
}

platform::Window StartedProgram::Window() const {
  return app::MainWindow;
}

std::string Visible(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      shown += "<CR>";
    } else if (c == '\n') {
      shown += "<LF>\n";
    } else if (c == '\t') {
      shown += "<TAB>";
    } else if (byte < 32 || byte > 126) {
      shown += "<";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
      shown += ">";
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace apptest
