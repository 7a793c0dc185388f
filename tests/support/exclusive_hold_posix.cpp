#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "tests/support/exclusive_hold.h"

namespace testsupport {

ExclusiveHold::ExclusiveHold(const std::string& path)
    : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  held_ = fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

ExclusiveHold::~ExclusiveHold() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace testsupport
