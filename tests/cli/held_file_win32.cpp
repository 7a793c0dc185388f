#include <windows.h>

#include "tests/cli/held_file.h"

namespace clitest {

HeldFile::HeldFile(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {
  held_ = handle_ != INVALID_HANDLE_VALUE;
}

HeldFile::~HeldFile() {
  if (held_) CloseHandle(handle_);
}

}  // namespace clitest
