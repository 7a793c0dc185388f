// Holds a file open for exclusive use, as another program (a mail client
// writing it) would, so that the code under test finds it unreadable.
#pragma once

#include <string>

namespace clitest {

class HeldFile {
 public:
  explicit HeldFile(const std::string& path);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;
  bool held() const { return held_; }

 private:
  void* handle_ = nullptr;
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace clitest
