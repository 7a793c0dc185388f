// File-system layer: the only place the engine asks for files.
//
// Every call switches the system's critical-error and open-file error boxes
// off for its duration (a drive without a medium fails silently) and restores
// the previous error mode. Failures are silent: an empty result, false, or
// nullopt. Names are bytes in the system's 8-bit code page; no conversion.
//
// Two implementations, chosen by the build: files_win32.cpp (the real thing)
// and files_posix.cpp (a stand-in for native tests: readdir order, names
// starting with a dot count as hidden, exclusive use through a non-blocking
// flock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Makes `path` the process's current directory. False, and nothing changed,
// when that cannot be done.
bool MakeFolderCurrent(const std::string& path);

// The process's current directory as the platform reports it: no trailing
// separator except at a drive root. Empty when it cannot be read.
std::string CurrentFolderPath();

// Bare names of the plain files in the current directory matching the
// wildcard `pattern` ("*.PMR"), letter case ignored; folders and hidden or
// system files left out. In the listing's own order, never sorted.
std::vector<std::string> ListMatchingFiles(std::string_view pattern);

// Looks up exactly one directory entry by its path (no wildcard added) and
// returns its name as stored (the long name, in its stored letter case).
// Any entry counts, file or folder, hidden or system, except "." and "..".
std::optional<std::string> LookUpEntryName(const std::string& path);

// True when `path` names a folder (a link to one counts); false for a file,
// a missing entry or a path that cannot be asked about.
bool IsFolder(const std::string& path);

// True when the folder `path` can be listed. A folder that can be entered
// but not listed (no permission to read it) is false, as is anything that
// is no folder.
bool CanListFolder(const std::string& path);

// The whole content of the file `path`, opened for exclusive use (shared
// with no other program) for the duration of the read. nullopt when it
// cannot be opened or read, for instance while another program holds it.
std::optional<std::string> ReadWholeFileExclusive(const std::string& path);

// A file opened for exclusive use (shared with no other program), read
// front to back in pieces, and closed when the holder goes. Opening and
// every read run with the error boxes off, as every call here does. Only
// plain disk files open; a device or a pipe named like one does not.
class ExclusiveFile {
 public:
  explicit ExclusiveFile(const std::string& path);
  ~ExclusiveFile();
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;

  bool IsOpen() const { return handle_ != kNone; }
  // The file's size when it was opened.
  std::uint64_t Size() const { return size_; }
  // Reads the next bytes of the file into `buffer`, filling all `capacity`
  // bytes unless the file ends first. The count read (0 at the end), or
  // nullopt when the file is not open or a read fails.
  std::optional<std::size_t> ReadNext(char* buffer, std::size_t capacity);

 private:
  static constexpr std::intptr_t kNone = -1;
  void Close();
  std::intptr_t handle_ = kNone;  // a file descriptor or a HANDLE
  std::uint64_t size_ = 0;
};

}  // namespace platform
