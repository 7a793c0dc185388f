// Holds a file open for exclusive use until destroyed, as another program (a
// mail client writing it) would: share mode 0 on Windows, an flock elsewhere.
// The code under test must then find the file unreadable.
#pragma once

#include <string>

namespace testsupport {

class ExclusiveHold {
 public:
  explicit ExclusiveHold(const std::string& path);
  ~ExclusiveHold();
  ExclusiveHold(const ExclusiveHold&) = delete;
  ExclusiveHold& operator=(const ExclusiveHold&) = delete;
  bool Held() const { return held_; }

 private:
  void* handle_ = nullptr;  // Windows
  int fd_ = -1;             // elsewhere
  bool held_ = false;
};

}  // namespace testsupport
