#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "tests/cli/held_file.h"

namespace clitest {

HeldFile::HeldFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY)) {
  held_ = fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

HeldFile::~HeldFile() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace clitest
