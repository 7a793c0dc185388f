// Shared by the file-layer tests: a fresh temporary folder made current for
// each test, and the two helpers whose OS calls differ between platforms
// (defined in files_win32_test.cpp and files_posix_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "tests/support/exclusive_hold.h"

namespace files_test {

using testsupport::ExclusiveHold;

// Creates a file in the current folder that the platform counts as hidden and
// whose name matches "*.PMR"; returns the name it was given.
std::string CreateHiddenBook();

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    folder_ = std::filesystem::temp_directory_path() /
              ("quillmer-files-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(folder_);
    previous_ = std::filesystem::current_path();
    ASSERT_TRUE(platform::MakeFolderCurrent(folder_.string()));
  }
  void TearDown() override {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  std::filesystem::path folder_;
  std::filesystem::path previous_;
};

}  // namespace files_test
