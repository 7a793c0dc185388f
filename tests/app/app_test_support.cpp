#include "app_test_support.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"

namespace apptest {

namespace fs = std::filesystem;

namespace {

std::string& StartFolderForTest() {
  static std::string folder;
  return folder;
}

}  // namespace

MailFolder::MailFolder() : previous_(fs::current_path().string()) {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path folder =
      fs::temp_directory_path() /
      ("quillmer-app-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(counter++));
  fs::create_directories(folder);
  path_ = folder.string() + static_cast<char>(fs::path::preferred_separator);
}

MailFolder::~MailFolder() {
  std::error_code ignored;
  fs::current_path(previous_, ignored);
  fs::remove_all(path_, ignored);
}

void MailFolder::Write(const std::string& name, std::string_view bytes) const {
  std::ofstream out(path_ + name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.flush()) << name;
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
