// Win32 file-system layer. Every call runs under an ErrorModeGuard. Names
// are bytes of the ANSI code page handed to the ANSI calls unchanged (the
// window's way), or, where the caller says NameForm::kUtf8 (the command
// line's way), UTF-8 turned into UTF-16 for the wide calls and back. Each call is
// written once, for either kind of character, through Api<Char>.
#include <windows.h>

#include <climits>
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
// The mode is the calling thread's own: books are read from two threads at
// once, and the process-wide mode of one would be put back under the other.
class ErrorModeGuard {
 public:
  ErrorModeGuard() {
    if (SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_) == 0) {
      set_ = false;
    }
  }
  ~ErrorModeGuard() {
    if (set_) SetThreadErrorMode(previous_, nullptr);
  }
  ErrorModeGuard(const ErrorModeGuard&) = delete;
  ErrorModeGuard& operator=(const ErrorModeGuard&) = delete;

 private:
  DWORD previous_ = 0;
  bool set_ = true;
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

template <typename Char>
bool IsDotEntry(const Char* name) {
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

// UTF-8 as UTF-16; nullopt when it is no UTF-8.
std::optional<std::wstring> WideOf(std::string_view utf8) {
  std::wstring wide;
  if (utf8.empty()) return wide;
  if (utf8.size() > INT_MAX / 2) return std::nullopt;
  const int size = static_cast<int>(utf8.size());
  const int length =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  wide.resize(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8Of(std::wstring_view wide) {
  std::string utf8;
  if (wide.empty() || wide.size() > INT_MAX / 4) return utf8;
  const int size = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return utf8;
  utf8.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// The system calls for one kind of character, with the path going in and
// the names coming out in this layer's bytes.
template <typename Char>
struct Api;

template <>
struct Api<char> {
  using FindData = WIN32_FIND_DATAA;
  static std::optional<std::string> Path(const std::string& path) { return path; }
  static std::string Name(std::string_view name) { return std::string(name); }
  static BOOL SetCurrent(const char* path) { return SetCurrentDirectoryA(path); }
  static DWORD GetCurrent(DWORD size, char* buffer) { return GetCurrentDirectoryA(size, buffer); }
  static DWORD Attributes(const char* path) { return GetFileAttributesA(path); }
  static HANDLE FindFirst(const char* path, FindData* data) { return FindFirstFileA(path, data); }
  static BOOL FindNext(HANDLE search, FindData* data) { return FindNextFileA(search, data); }
  static HANDLE OpenExclusive(const char* path) {
    return CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  }
  static HANDLE CreateNew(const char* path) {
    return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static BOOL MakeDirectory(const char* path) { return CreateDirectoryA(path, nullptr); }
  static BOOL Move(const char* from, const char* to, DWORD flags) {
    return MoveFileExA(from, to, flags);
  }
  static BOOL Delete(const char* path) { return DeleteFileA(path); }
  static BOOL RemoveFolder(const char* path) { return RemoveDirectoryA(path); }
};

template <>
struct Api<wchar_t> {
  using FindData = WIN32_FIND_DATAW;
  static std::optional<std::wstring> Path(const std::string& path) { return WideOf(path); }
  static std::string Name(std::wstring_view name) { return Utf8Of(name); }
  static BOOL SetCurrent(const wchar_t* path) { return SetCurrentDirectoryW(path); }
  static DWORD GetCurrent(DWORD size, wchar_t* buffer) {
    return GetCurrentDirectoryW(size, buffer);
  }
  static DWORD Attributes(const wchar_t* path) { return GetFileAttributesW(path); }
  static HANDLE FindFirst(const wchar_t* path, FindData* data) {
    return FindFirstFileW(path, data);
  }
  static BOOL FindNext(HANDLE search, FindData* data) { return FindNextFileW(search, data); }
  static HANDLE OpenExclusive(const wchar_t* path) {
    return CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  }
  static HANDLE CreateNew(const wchar_t* path) {
    return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static BOOL MakeDirectory(const wchar_t* path) { return CreateDirectoryW(path, nullptr); }
  static BOOL Move(const wchar_t* from, const wchar_t* to, DWORD flags) {
    return MoveFileExW(from, to, flags);
  }
  static BOOL Delete(const wchar_t* path) { return DeleteFileW(path); }
  static BOOL RemoveFolder(const wchar_t* path) { return RemoveDirectoryW(path); }
};

template <typename Char>
bool MakeCurrent(const std::string& path) {
  const auto native = Api<Char>::Path(path);
  return native && Api<Char>::SetCurrent(native->c_str()) != 0;
}

template <typename Char>
std::string CurrentPath() {
  std::basic_string<Char> path;
  // The directory may change between asking for the size and reading it, so
  // try again while the buffer turns out too small.
  for (;;) {
    const DWORD needed = Api<Char>::GetCurrent(0, nullptr);  // includes the NUL
    if (needed == 0) return {};
    path.resize(needed);
    const DWORD written = Api<Char>::GetCurrent(needed, path.data());
    if (written == 0) return {};
    if (written < needed) {
      path.resize(written);
      return Api<Char>::Name(path);
    }
  }
}

template <typename Char>
DWORD AttributesOf(const std::string& path) {
  const auto native = Api<Char>::Path(path);
  return native ? Api<Char>::Attributes(native->c_str()) : INVALID_FILE_ATTRIBUTES;
}

// FindFirstFile on `path`; an invalid handle also when the path is no UTF-8.
template <typename Char>
HANDLE FindFirst(const std::string& path, typename Api<Char>::FindData* entry) {
  const auto native = Api<Char>::Path(path);
  if (!native) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_HANDLE_VALUE;
  }
  return Api<Char>::FindFirst(native->c_str(), entry);
}

template <typename Char>
std::optional<std::vector<std::string>> ListFiles(const std::string& searchPath,
                                                  std::vector<std::uint64_t>* sizes) {
  std::vector<std::string> names;
  if (sizes != nullptr) sizes->clear();
  typename Api<Char>::FindData entry{};
  FindHandle search(FindFirst<Char>(searchPath, &entry));
  if (!search.Valid()) {
    // No match at all is an empty listing; anything else is a failure.
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;
    return std::nullopt;
  }
  constexpr DWORD kLeftOut =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if ((entry.dwFileAttributes & kLeftOut) != 0) continue;
    names.push_back(Api<Char>::Name(entry.cFileName));
    if (sizes != nullptr) {
      sizes->push_back((std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow);
    }
  } while (Api<Char>::FindNext(search.Get(), &entry) != 0);
  return names;
}

template <typename Char>
std::optional<std::string> EntryName(const std::string& path) {
  typename Api<Char>::FindData entry{};
  FindHandle search(FindFirst<Char>(path, &entry));
  if (!search.Valid() || IsDotEntry(entry.cFileName)) return std::nullopt;
  return Api<Char>::Name(entry.cFileName);
}

// ReadFile and WriteFile take a 32-bit count; large files are read and written in pieces of this
// size.
constexpr DWORD kReadPiece = 64u * 1024u * 1024u;

template <typename Char>
std::optional<std::vector<std::string>> ListEntries(const std::string& searchPath) {
  std::vector<std::string> names;
  typename Api<Char>::FindData entry{};
  FindHandle search(FindFirst<Char>(searchPath, &entry));
  if (!search.Valid()) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return names;
    return std::nullopt;
  }
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    names.push_back(Api<Char>::Name(entry.cFileName));
    if (entry.cAlternateFileName[0] != 0) {
      names.push_back(Api<Char>::Name(entry.cAlternateFileName));
    }
  } while (Api<Char>::FindNext(search.Get(), &entry) != 0);
  return names;
}

WriteFailure WriteFailureOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return WriteFailure::kExists;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME:
      return WriteFailure::kMissing;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
      return WriteFailure::kNotPermitted;
    default:
      return WriteFailure::kWriteFailed;
  }
}

template <typename Char>
WriteFailure MakeDirectoryAt(const std::string& path) {
  const auto native = Api<Char>::Path(path);
  if (!native) return WriteFailure::kMissing;
  return Api<Char>::MakeDirectory(native->c_str()) != 0 ? WriteFailure::kNone
                                                        : WriteFailureOf(GetLastError());
}

template <typename Char>
WriteFailure WriteNew(const std::string& path, std::string_view bytes) {
  const auto native = Api<Char>::Path(path);
  if (!native) return WriteFailure::kMissing;
  FileHandle file(Api<Char>::CreateNew(native->c_str()));
  if (!file.Valid()) return WriteFailureOf(GetLastError());
  DWORD error = 0;
  std::size_t done = 0;
  while (done < bytes.size() && error == 0) {
    const std::size_t left = bytes.size() - done;
    const DWORD piece = left < kReadPiece ? static_cast<DWORD>(left) : kReadPiece;
    DWORD wrote = 0;
    if (WriteFile(file.Get(), bytes.data() + done, piece, &wrote, nullptr) == 0) {
      error = GetLastError();
    } else if (wrote == 0) {
      error = ERROR_DISK_FULL;
    }
    done += wrote;
  }
  if (error == 0 && FlushFileBuffers(file.Get()) == 0) error = GetLastError();
  if (CloseHandle(file.Release()) == 0 && error == 0) error = GetLastError();
  if (error == 0) return WriteFailure::kNone;
  Api<Char>::Delete(native->c_str());
  return error == ERROR_ACCESS_DENIED ? WriteFailure::kNotPermitted : WriteFailure::kWriteFailed;
}

template <typename Char>
WriteFailure MoveNoReplace(const std::string& from, const std::string& to) {
  const auto nativeFrom = Api<Char>::Path(from);
  const auto nativeTo = Api<Char>::Path(to);
  if (!nativeFrom || !nativeTo) return WriteFailure::kMissing;
  // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` is there.
  return Api<Char>::Move(nativeFrom->c_str(), nativeTo->c_str(), MOVEFILE_WRITE_THROUGH) != 0
             ? WriteFailure::kNone
             : WriteFailureOf(GetLastError());
}

template <typename Char>
bool DeleteAt(const std::string& path) {
  const auto native = Api<Char>::Path(path);
  return native && Api<Char>::Delete(native->c_str()) != 0;
}

template <typename Char>
bool RemoveDirectoryAt(const std::string& path) {
  const auto native = Api<Char>::Path(path);
  return native && Api<Char>::RemoveFolder(native->c_str()) != 0;
}

// The file at `path` opened for exclusive use, or an invalid handle and
// `failure` says why.
template <typename Char>
HANDLE OpenExclusive(const std::string& path, FileFailure& failure) {
  const auto native = Api<Char>::Path(path);
  if (!native) {
    failure = FileFailure::kNotAFile;
    return INVALID_HANDLE_VALUE;
  }
  const HANDLE file = Api<Char>::OpenExclusive(native->c_str());
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A folder opened as a file is refused as access denied; it is no file.
    const DWORD attributes = Api<Char>::Attributes(native->c_str());
    failure = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                  ? FileFailure::kNotAFile
                  : FailureOf(error);
  }
  return file;
}

}  // namespace

std::optional<std::string> AnsiFormOf(std::string_view name, NameForm form) {
  std::string ansi(name);
  // A system whose ANSI code page is UTF-8 writes every name as it is.
  if (form != NameForm::kUtf8 || GetACP() == CP_UTF8) return ansi;
  const std::optional<std::wstring> wide = WideOf(name);
  if (!wide || wide->empty()) return ansi;
  const int size = static_cast<int>(wide->size());
  BOOL lost = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide->data(), size, nullptr,
                                         0, nullptr, &lost);
  if (length <= 0 || lost) return std::nullopt;
  ansi.resize(static_cast<std::size_t>(length));
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide->data(), size, ansi.data(), length,
                      nullptr, &lost);
  if (lost) return std::nullopt;
  return ansi;
}

bool MakeFolderCurrent(const std::string& path, NameForm form) {
  if (!UsableAsPath(path)) return false;
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? MakeCurrent<wchar_t>(path) : MakeCurrent<char>(path);
}

std::string CurrentFolderPath(NameForm form) {
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? CurrentPath<wchar_t>() : CurrentPath<char>();
}

bool IsFolder(const std::string& path, NameForm form) {
  if (!UsableAsPath(path)) return false;
  ErrorModeGuard guard;
  const DWORD attributes =
      form == NameForm::kUtf8 ? AttributesOf<wchar_t>(path) : AttributesOf<char>(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

const char kPathSeparator = '\\';

bool IsPathSeparator(char c) {
  // "D:" names the drive's current folder; a name follows it directly.
  return c == '\\' || c == '/' || c == ':';
}

std::optional<std::vector<std::string>> ListMatchingFiles(const std::string& folder,
                                                          std::string_view pattern,
                                                          std::vector<std::uint64_t>* sizes,
                                                          NameForm form) {
  if (!UsableAsPath(pattern) || !UsableAsPath(folder)) return std::nullopt;
  const std::string search_path = PathInFolder(folder, pattern);
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? ListFiles<wchar_t>(search_path, sizes)
                                 : ListFiles<char>(search_path, sizes);
}

std::optional<std::string> LookUpEntryName(const std::string& path, NameForm form) {
  // Wildcards would turn the exact lookup into a search that answers with
  // some other entry's name.
  if (!UsableAsPath(path) || path.find_first_of("*?") != std::string::npos) return std::nullopt;
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? EntryName<wchar_t>(path) : EntryName<char>(path);
}

std::optional<std::vector<std::string>> ListEntryNames(const std::string& folder, NameForm form) {
  if (!UsableAsPath(folder)) return std::nullopt;
  const std::string search_path = PathInFolder(folder, "*");
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? ListEntries<wchar_t>(search_path)
                                 : ListEntries<char>(search_path);
}

WriteFailure MakeFolder(const std::string& path, NameForm form) {
  if (!UsableAsPath(path)) return WriteFailure::kMissing;
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? MakeDirectoryAt<wchar_t>(path) : MakeDirectoryAt<char>(path);
}

WriteFailure WriteNewFile(const std::string& path, std::string_view bytes, NameForm form) {
  if (!UsableAsPath(path)) return WriteFailure::kMissing;
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? WriteNew<wchar_t>(path, bytes) : WriteNew<char>(path, bytes);
}

WriteFailure RenameNoReplace(const std::string& from, const std::string& to, NameForm form) {
  if (!UsableAsPath(from) || !UsableAsPath(to)) return WriteFailure::kMissing;
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? MoveNoReplace<wchar_t>(from, to) : MoveNoReplace<char>(from, to);
}

bool RemoveFile(const std::string& path, NameForm form) {
  if (!UsableAsPath(path)) return false;
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? DeleteAt<wchar_t>(path) : DeleteAt<char>(path);
}

bool RemoveEmptyFolder(const std::string& path, NameForm form) {
  if (!UsableAsPath(path)) return false;
  ErrorModeGuard guard;
  return form == NameForm::kUtf8 ? RemoveDirectoryAt<wchar_t>(path) : RemoveDirectoryAt<char>(path);
}

ExclusiveFile::ExclusiveFile(const std::string& path, NameForm form) {
  if (!UsableAsPath(path)) return;
  ErrorModeGuard guard;
  FileHandle file(form == NameForm::kUtf8 ? OpenExclusive<wchar_t>(path, failure_)
                                          : OpenExclusive<char>(path, failure_));
  if (!file.Valid()) return;
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
