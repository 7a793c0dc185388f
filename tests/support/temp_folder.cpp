#include "tests/support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace testsupport {

TempFolder::TempFolder(std::string_view prefix)
    : previousCurrent_(std::filesystem::current_path()) {
  // Test programs run side by side: a name another process took first is
  // skipped, so the folder is always one this holder made.
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const std::filesystem::path root = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = root / (std::string(prefix) + "-" + std::to_string(stamp % 1000000007) + "-" +
                    std::to_string(counter++));
    if (std::filesystem::create_directory(path_)) return;
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previousCurrent_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

void TempFolder::Write(const std::string& name, std::string_view bytes) const {
  std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write test file " + name);
}

}  // namespace testsupport
