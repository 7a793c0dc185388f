// POSIX stand-in for the Win32 file-system layer, written from what the
// callers expect of it: the directory's own (readdir) order, wildcards that
// ignore letter case, dot-files hidden, and exclusive use as a non-blocking
// flock, so a file another program holds locked counts as unreadable.
// There are no error boxes to switch off here.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "base/ascii.h"
#include "platform/files.h"

namespace platform {
namespace {

// Owns a file descriptor; closing it also drops its flock.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  bool Valid() const { return fd_ >= 0; }
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

class DirectoryStream {
 public:
  explicit DirectoryStream(DIR* dir) : dir_(dir) {}
  ~DirectoryStream() {
    if (dir_ != nullptr) closedir(dir_);
  }
  DirectoryStream(const DirectoryStream&) = delete;
  DirectoryStream& operator=(const DirectoryStream&) = delete;

  bool Valid() const { return dir_ != nullptr; }
  DIR* Get() const { return dir_; }

 private:
  DIR* dir_;
};

bool UsableAsPath(std::string_view path) {
  return !path.empty() && path.find('\0') == std::string_view::npos;
}

// '*' matches any run of bytes (also none), '?' exactly one byte, anything
// else itself with ASCII letter case ignored. Backtracks only to the last
// '*', so a long name cannot make it slow.
bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;
  std::size_t star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || base::AsciiUpperByte(pattern[p]) ==
                                                               base::AsciiUpperByte(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Whether `name` in the folder is a plain file, and its size then.
std::optional<std::uint64_t> RegularFileSizeIn(int dir_fd, const char* name) {
  struct stat info {};
  // Follows links, as opening the name would.
  if (fstatat(dir_fd, name, &info, 0) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

}  // namespace

// Names are bytes here, taken and given as they are, in either form.
std::optional<std::string> AnsiFormOf(std::string_view name, NameForm) {
  return std::string(name);
}

bool MakeFolderCurrent(const std::string& path, NameForm) {
  return UsableAsPath(path) && chdir(path.c_str()) == 0;
}

std::string CurrentFolderPath(NameForm) {
  std::string path(256, '\0');
  for (;;) {
    if (getcwd(path.data(), path.size()) != nullptr) {
      path.resize(path.find('\0'));
      return path;
    }
    if (errno != ERANGE || path.size() > (std::size_t{1} << 20)) return {};
    path.resize(path.size() * 2);
  }
}

bool IsFolder(const std::string& path, NameForm) {
  struct stat info {};
  return UsableAsPath(path) && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

const char kPathSeparator = '/';

bool IsPathSeparator(char c) {
  return c == '/';
}

std::optional<std::vector<std::string>> ListMatchingFiles(const std::string& folder,
                                                          std::string_view pattern,
                                                          std::vector<std::uint64_t>* sizes,
                                                          NameForm) {
  std::vector<std::string> names;
  if (sizes != nullptr) sizes->clear();
  if (!UsableAsPath(pattern) || !UsableAsPath(folder)) return std::nullopt;
  DirectoryStream dir(opendir(folder.c_str()));
  if (!dir.Valid()) return std::nullopt;
  const int dir_fd = dirfd(dir.Get());
  while (const dirent* entry = readdir(dir.Get())) {
    const std::string_view name(entry->d_name);
    if (name.empty() || name.front() == '.') continue;  // hidden, and "." / ".."
    if (!MatchesWildcard(pattern, name)) continue;
    const std::optional<std::uint64_t> size = RegularFileSizeIn(dir_fd, entry->d_name);
    if (!size) continue;
    names.emplace_back(name);
    if (sizes != nullptr) sizes->push_back(*size);
  }
  return names;
}

std::optional<std::string> LookUpEntryName(const std::string& path, NameForm) {
  if (!UsableAsPath(path)) return std::nullopt;
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return std::nullopt;
  std::string_view rest(path);
  while (rest.size() > 1 && rest.back() == '/') rest.remove_suffix(1);
  const std::size_t slash = rest.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? rest : rest.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  return std::string(name);
}

std::optional<std::vector<std::string>> ListEntryNames(const std::string& folder, NameForm) {
  if (!UsableAsPath(folder)) return std::nullopt;
  DirectoryStream dir(opendir(folder.c_str()));
  if (!dir.Valid()) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = readdir(dir.Get())) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    names.emplace_back(name);
  }
  return names;
}

namespace {

WriteFailure WriteFailureOf(int error) {
  switch (error) {
    case EEXIST:
      return WriteFailure::kExists;
    case ENOENT:
    case ENOTDIR:
      return WriteFailure::kMissing;
    case EACCES:
    case EPERM:
    case EROFS:
      return WriteFailure::kNotPermitted;
    default:
      return WriteFailure::kWriteFailed;
  }
}

}  // namespace

WriteFailure MakeFolder(const std::string& path, NameForm) {
  if (!UsableAsPath(path)) return WriteFailure::kMissing;
  return mkdir(path.c_str(), 0777) == 0 ? WriteFailure::kNone : WriteFailureOf(errno);
}

WriteFailure WriteNewFile(const std::string& path, std::string_view bytes, NameForm) {
  if (!UsableAsPath(path)) return WriteFailure::kMissing;
  FileDescriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666));
  if (!file.Valid()) return WriteFailureOf(errno);
  std::size_t done = 0;
  int error = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = write(file.Get(), bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      error = wrote < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(wrote);
  }
  if (error == 0 && fsync(file.Get()) != 0) error = errno;
  if (close(file.Release()) != 0 && error == 0) error = errno;
  if (error == 0) return WriteFailure::kNone;
  unlink(path.c_str());
  return error == EACCES || error == EPERM ? WriteFailure::kNotPermitted
                                           : WriteFailure::kWriteFailed;
}

WriteFailure RenameNoReplace(const std::string& from, const std::string& to, NameForm) {
  if (!UsableAsPath(from) || !UsableAsPath(to)) return WriteFailure::kMissing;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return WriteFailure::kNone;
  }
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return WriteFailureOf(errno);
  // A file system without the flag: a second link fails when the name is
  // taken, and the first then goes.
  if (link(from.c_str(), to.c_str()) != 0) return WriteFailureOf(errno);
  unlink(from.c_str());
  return WriteFailure::kNone;
}

bool RemoveFile(const std::string& path, NameForm) {
  return UsableAsPath(path) && unlink(path.c_str()) == 0;
}

bool RemoveEmptyFolder(const std::string& path, NameForm) {
  return UsableAsPath(path) && rmdir(path.c_str()) == 0;
}

ExclusiveFile::ExclusiveFile(const std::string& path, NameForm) {
  if (!UsableAsPath(path)) return;
  // O_NONBLOCK: a FIFO named like a book must not stall the open.
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file.Valid()) {
    failure_ = errno == ENOENT || errno == ENOTDIR ? FileFailure::kMissing
               : errno == EACCES || errno == EPERM ? FileFailure::kNotPermitted
                                                   : FileFailure::kNotAFile;
    return;
  }
  struct stat info {};
  if (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  if (flock(file.Get(), LOCK_EX | LOCK_NB) != 0) {
    failure_ = errno == EWOULDBLOCK ? FileFailure::kHeld : FileFailure::kReadFailed;
    return;
  }
  // Read once, front to back: the system may read ahead further.
  (void)posix_fadvise(file.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
  size_ = static_cast<std::uint64_t>(info.st_size);
  handle_ = file.Release();
  failure_ = FileFailure::kNone;
}

ExclusiveFile::~ExclusiveFile() {
  Close();
}

void ExclusiveFile::Close() {
  if (handle_ != kNone) close(static_cast<int>(handle_));
  handle_ = kNone;
}

std::optional<std::size_t> ExclusiveFile::ReadNext(char* buffer, std::size_t capacity) {
  if (handle_ == kNone) return std::nullopt;
  std::size_t done = 0;
  while (done < capacity) {
    const ssize_t got = read(static_cast<int>(handle_), buffer + done, capacity - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

}  // namespace platform
