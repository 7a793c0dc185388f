// Shared by the file-layer tests: a fresh temporary folder made current for
// each test, and the two helpers whose OS calls differ between platforms
// (defined in files_win32_test.cpp and files_posix_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "tests/support/exclusive_hold.h"
#include "tests/support/temp_folder.h"

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
  void SetUp() override { ASSERT_TRUE(platform::MakeFolderCurrent(folder_.string())); }

  // Goes, and the previous current folder comes back, after each test.
  testsupport::TempFolder temp_{"quillmer-files"};
  const std::filesystem::path& folder_ = temp_.path();
};

}  // namespace files_test
