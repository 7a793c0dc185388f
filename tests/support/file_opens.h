// The names of the files opened in one folder while a FileOpens watches it:
// what proves that a command reads only what it needs. Linux only (inotify);
// elsewhere Watching() is false and the tests that need it skip.
#pragma once

#include <string>
#include <vector>

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#endif

namespace testsupport {

class FileOpens {
 public:
  explicit FileOpens(const std::string& folder) {
#ifdef __linux__
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0 && inotify_add_watch(fd_, folder.c_str(), IN_OPEN) < 0) {
      close(fd_);
      fd_ = -1;
    }
#else
    (void)folder;
#endif
  }
  ~FileOpens() {
#ifdef __linux__
    if (fd_ >= 0) close(fd_);
#endif
  }
  FileOpens(const FileOpens&) = delete;
  FileOpens& operator=(const FileOpens&) = delete;

  bool Watching() const {
    return fd_ >= 0;
  }

  // The bare names opened since the watch began or since the last call, in
  // the order of the opens: one per open, except that opens of one file
  // right after each other may come as one. The folder itself (opened to
  // list it) is left out.
  std::vector<std::string> Take() {
    std::vector<std::string> names;
#ifdef __linux__
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
      const ssize_t got = read(fd_, buffer, sizeof buffer);
      if (got <= 0) break;
      for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
        inotify_event event;
        std::memcpy(&event, buffer + at, sizeof event);
        if (event.len > 0 && (event.mask & IN_ISDIR) == 0) {
          names.emplace_back(buffer + at + sizeof event);
        }
        at += sizeof event + event.len;
      }
    }
#endif
    return names;
  }

 private:
  int fd_ = -1;
};

}  // namespace testsupport
