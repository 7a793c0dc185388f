#include <windows.h>

#include "tests/support/exclusive_hold.h"

namespace testsupport {

ExclusiveHold::ExclusiveHold(const std::string& path)
    : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {
  held_ = handle_ != INVALID_HANDLE_VALUE;
}

ExclusiveHold::~ExclusiveHold() {
  if (held_) CloseHandle(handle_);
}

}  // namespace testsupport
