// Win32 file-system layer: ANSI calls, bytes in and out, no code-page
// conversion. Every call runs under an ErrorModeGuard.
#include <windows.h>

#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "platform/files.h"

namespace platform {
namespace {

// Switches the critical-error and open-file error boxes off while alive and
// puts the previous mode back, so a drive without a medium fails silently.
class ErrorModeGuard {
 public:
  ErrorModeGuard() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~ErrorModeGuard() { SetErrorMode(previous_); }
  ErrorModeGuard(const ErrorModeGuard&) = delete;
  ErrorModeGuard& operator=(const ErrorModeGuard&) = delete;

 private:
  UINT previous_;
};

// Owns a handle and closes it with `Closer`. Calls fail with
// INVALID_HANDLE_VALUE (CreateFileA, FindFirstFileA) or with null: both mean
// "none".
template <typename Closer>
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (Valid()) Closer{}(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  bool Valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  HANDLE Release() { return std::exchange(handle_, nullptr); }

 private:
  HANDLE handle_;
};

struct CloseKernelHandle {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A search handle is closed with FindClose, not CloseHandle.
struct CloseSearch {
  void operator()(HANDLE handle) const { FindClose(handle); }
};

using FileHandle = ScopedHandle<CloseKernelHandle>;
using FindHandle = ScopedHandle<CloseSearch>;

// The API sees a C string: a NUL inside the bytes would silently name a
// different (shorter) path, so such a path names nothing.
bool UsableAsPath(std::string_view path) {
  return !path.empty() && path.find('\0') == std::string_view::npos;
}

bool IsDotEntry(const char* name) {
  return (name[0] == '.' && name[1] == '\0') ||
         (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

// What the error of a failed CreateFile means for the caller.
FileFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
      return FileFailure::kMissing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileFailure::kHeld;
    case ERROR_ACCESS_DENIED:
      return FileFailure::kNotPermitted;
    default:
      return FileFailure::kNotAFile;
  }
}

// ReadFile takes a 32-bit count; large files are read in pieces of this size.
constexpr DWORD kReadPiece = 64u * 1024u * 1024u;

}  // namespace

bool MakeFolderCurrent(const std::string& path) {
  if (!UsableAsPath(path)) return false;
  ErrorModeGuard guard;
  return SetCurrentDirectoryA(path.c_str()) != 0;
}

std::string CurrentFolderPath() {
  ErrorModeGuard guard;
  std::string path;
  // The directory may change between asking for the size and reading it, so
  // try again while the buffer turns out too small.
  for (;;) {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);  // includes the NUL
    if (needed == 0) return {};
    path.resize(needed);
    const DWORD written = GetCurrentDirectoryA(needed, path.data());
    if (written == 0) return {};
    if (written < needed) {
      path.resize(written);
      return path;
    }
  }
}

bool IsFolder(const std::string& path) {
  if (!UsableAsPath(path)) return false;
  ErrorModeGuard guard;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

const char kPathSeparator = '\\';

bool IsPathSeparator(char c) {
  // "D:" names the drive's current folder; a name follows it directly.
  return c == '\\' || c == '/' || c == ':';
}

std::optional<std::vector<std::string>> ListMatchingFiles(const std::string& folder,
                                                          std::string_view pattern) {
  std::vector<std::string> names;
  if (!UsableAsPath(pattern) || !UsableAsPath(folder)) return std::nullopt;
  const std::string search_path = PathInFolder(folder, pattern);
  ErrorModeGuard guard;
  WIN32_FIND_DATAA entry{};
  FindHandle search(FindFirstFileA(search_path.c_str(), &entry));
  if (!search.Valid()) {
    // No match at all is an empty listing; anything else is a failure.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;
    return std::nullopt;
  }
  constexpr DWORD kLeftOut =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if ((entry.dwFileAttributes & kLeftOut) == 0) names.emplace_back(entry.cFileName);
  } while (FindNextFileA(search.Get(), &entry) != 0);
  return names;
}

std::optional<std::string> LookUpEntryName(const std::string& path) {
  // Wildcards would turn the exact lookup into a search that answers with
  // some other entry's name.
  if (!UsableAsPath(path) || path.find_first_of("*?") != std::string::npos) return std::nullopt;
  ErrorModeGuard guard;
  WIN32_FIND_DATAA entry{};
  FindHandle search(FindFirstFileA(path.c_str(), &entry));
  if (!search.Valid() || IsDotEntry(entry.cFileName)) return std::nullopt;
  return std::string(entry.cFileName);
}

ExclusiveFile::ExclusiveFile(const std::string& path) {
  if (!UsableAsPath(path)) return;
  ErrorModeGuard guard;
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) {
    const DWORD error = GetLastError();
    // A folder opened as a file is refused as access denied; it is no file.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    failure_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                   ? FileFailure::kNotAFile
                   : FailureOf(error);
    return;
  }
  // Only disk files: a device name such as CON or a pipe could block or never end.
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) return;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) == 0 || size.QuadPart < 0) {
    failure_ = FileFailure::kReadFailed;
    return;
  }
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  handle_ = reinterpret_cast<std::intptr_t>(file.Release());
  failure_ = FileFailure::kNone;
}

ExclusiveFile::~ExclusiveFile() {
  Close();
}

void ExclusiveFile::Close() {
  if (handle_ != kNone) {
    ErrorModeGuard guard;
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
  }
  handle_ = kNone;
}

std::optional<std::size_t> ExclusiveFile::ReadNext(char* buffer, std::size_t capacity) {
  if (handle_ == kNone) return std::nullopt;
  ErrorModeGuard guard;
  std::size_t done = 0;
  while (done < capacity) {
    const std::size_t left = capacity - done;
    const DWORD piece = left < kReadPiece ? static_cast<DWORD>(left) : kReadPiece;
    DWORD got = 0;
    if (ReadFile(reinterpret_cast<HANDLE>(handle_), buffer + done, piece, &got, nullptr) == 0) {
      return std::nullopt;
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

}  // namespace platform
