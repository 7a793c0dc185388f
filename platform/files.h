// File-system layer: the only place the program asks for files.
//
// Every call switches the system's critical-error and open-file error boxes
// off for its duration (a drive without a medium fails silently) and restores
// the previous error mode. Failures are silent: an empty result, false, or
// nullopt; only the calls that write, at the end, say why they failed.
// Names are bytes in the system's 8-bit code page, no conversion,
// unless the caller says they are UTF-8 (NameForm::kUtf8, the command
// line's way): every call that takes or gives a name takes its form, the
// window's ANSI by default. The layer keeps no state of its own.
//
// Two implementations, chosen by the build: files_win32.cpp (the real thing)
// and files_posix.cpp; files.cpp holds what both share (a stand-in for native tests: readdir order,
// names starting with a dot count as hidden, exclusive use through a non-blocking flock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_failure.h"
#include "base/name_form.h"

namespace platform {

// The form of the names a call takes and gives: the ANSI code page's bytes
// (the window's, the default) or UTF-8, passed to the system's wide
// (UTF-16) calls on Windows (the command line's). Elsewhere names are bytes
// either way.
using base::NameForm;

// `name` (a name or path of this layer, or a word of the command line) in
// the form `form` as bytes of the ANSI code page, the way the program
// printed names before UTF-8 names: for a UTF-8 name on Windows, its ANSI
// bytes, or nullopt when the ANSI code page lacks one of its characters;
// otherwise `name` itself.
std::optional<std::string> AnsiFormOf(std::string_view name, NameForm form);

// Makes `path` the process's current directory. False, and nothing changed,
// when that cannot be done.
bool MakeFolderCurrent(const std::string& path, NameForm form = NameForm::kAnsi);

// The process's current directory as the platform reports it: no trailing
// separator except at a drive root. Empty when it cannot be read.
std::string CurrentFolderPath(NameForm form = NameForm::kAnsi);

// Whether `path` names a folder (a link to one counts).
bool IsFolder(const std::string& path, NameForm form = NameForm::kAnsi);

// The path of the entry `name` in `folder`: joined with kPathSeparator
// unless `folder` already ends in a separator; `name` alone when `folder`
// is empty.
std::string PathInFolder(const std::string& folder, std::string_view name);
// '\' on Windows, '/' elsewhere.
extern const char kPathSeparator;
// What may end a folder's path before a name: '/' here; '\', '/' and a
// drive's ':' on Windows.
bool IsPathSeparator(char c);

// Bare names of the plain files in `folder` matching the wildcard `pattern`
// ("*.PMR"), letter case ignored; folders and hidden or system files left
// out. In the listing's own order, never sorted. nullopt when the folder
// cannot be listed (no match is an empty list, not a failure). With
// `sizes`, each file's size as listed goes there, at its name's place.
std::optional<std::vector<std::string>> ListMatchingFiles(
    const std::string& folder, std::string_view pattern,
    std::vector<std::uint64_t>* sizes = nullptr, NameForm form = NameForm::kAnsi);

// Looks up exactly one directory entry by its path (no wildcard added) and
// returns its name as stored (the long name, in its stored letter case).
// Any entry counts, file or folder, hidden or system, except "." and "..".
std::optional<std::string> LookUpEntryName(const std::string& path,
                                           NameForm form = NameForm::kAnsi);

// Every entry name of `folder`: files and folders, hidden and system ones
// too, "." and ".." left out, in the listing's order; on Windows each
// entry's short (8.3) name as well, where it has one. What a new name must
// differ from. nullopt when the folder cannot be listed.
std::optional<std::vector<std::string>> ListEntryNames(const std::string& folder,
                                                       NameForm form = NameForm::kAnsi);

// Why a file could not be opened or read, from the system's own error.
using base::FileFailure;

// The whole content of the file `path`, read through an ExclusiveFile.
// nullopt when it cannot be opened or read, for instance while another
// program holds it; then `why`, when given, says why.
std::optional<std::string> ReadWholeFileExclusive(const std::string& path,
                                                  FileFailure* why = nullptr,
                                                  NameForm form = NameForm::kAnsi);
// The same into `content`, whose room is used again: a reader of many
// files keeps one. False when the file cannot be opened or read; then
// `content` holds nothing of it.
bool ReadWholeFileExclusive(const std::string& path, std::string& content,
                            FileFailure* why = nullptr, NameForm form = NameForm::kAnsi);

// A file opened for exclusive use (shared with no other program), read
// front to back in pieces, and closed when the holder goes. Opening and
// every read run with the error boxes off, as every call here does. Only
// plain disk files open; a device or a pipe named like one does not.
class ExclusiveFile {
 public:
  explicit ExclusiveFile(const std::string& path, NameForm form = NameForm::kAnsi);
  ~ExclusiveFile();
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;

  bool IsOpen() const { return handle_ != kNone; }
  // Why the file did not open; kNone when it did.
  FileFailure OpenFailure() const { return failure_; }
  // The file's size when it was opened.
  std::uint64_t Size() const { return size_; }
  // Reads the next bytes of the file into `buffer`, filling all `capacity`
  // bytes unless the file ends first. The count read (0 at the end), or
  // nullopt when the file is not open or a read fails. A file is read to
  // the end it has when it is read, which may lie past Size().
  std::optional<std::size_t> ReadNext(char* buffer, std::size_t capacity);
  // Reads the rest of the file into the room `grow(needed, used)` gives (a
  // std::span<char> of at least `needed` bytes, the first `used` of them
  // kept): first room for Size() and one byte more, since only a read that
  // comes back short proves the end was reached; a file that grew while it
  // was read is read on to its end. The count read, or nullopt when a read
  // fails. What `grow` throws goes through.
  template <typename Grow>
  std::optional<std::size_t> ReadToEnd(Grow&& grow) {
    std::span<char> room = grow(static_cast<std::size_t>(size_) + 1, std::size_t{0});
    std::size_t done = 0;
    for (;;) {
      const std::optional<std::size_t> got = ReadNext(room.data() + done, room.size() - done);
      if (!got) return std::nullopt;
      done += *got;
      if (done < room.size()) return done;
      room = grow(room.size() + room.size() / 2 + 4096, done);
    }
  }

 private:
  static constexpr std::intptr_t kNone = -1;
  void Close();
  std::intptr_t handle_ = kNone;  // a file descriptor or a HANDLE
  std::uint64_t size_ = 0;
  FileFailure failure_ = FileFailure::kNotAFile;
};

// ---- Writing new files. The one kind of writing there is: files made
// whole under a name of their own and then given their name, never over a
// file that is there.

// Why a file or folder could not be made.
enum class WriteFailure {
  kNone,
  kExists,        // the name is taken already
  kMissing,       // the folder it goes into is not there
  kNotPermitted,  // the system refuses access
  kWriteFailed,   // the disk is full, or a write failed otherwise
};

// Makes the folder `path`; its parent must be there. kExists when anything
// has that name already, a folder included.
WriteFailure MakeFolder(const std::string& path, NameForm form = NameForm::kAnsi);

// Makes the file `path`, which must not exist yet (kExists), holding
// `bytes`, written whole and flushed to the disk. When the writing fails,
// the file made is removed again.
WriteFailure WriteNewFile(const std::string& path, std::string_view bytes,
                          NameForm form = NameForm::kAnsi);

// Gives the file `from` the path `to` in the same folder, in one step, as
// long as nothing has that name (kExists then, and `from` stays): never
// replaces a file. Linux: renameat2 with RENAME_NOREPLACE (or link, where
// the file system lacks it); Windows: MoveFileEx without
// MOVEFILE_REPLACE_EXISTING.
WriteFailure RenameNoReplace(const std::string& from, const std::string& to,
                             NameForm form = NameForm::kAnsi);

// Removes the file `path`; false when it cannot be removed.
bool RemoveFile(const std::string& path, NameForm form = NameForm::kAnsi);
// Removes the folder `path` when it is empty; false when it cannot.
bool RemoveEmptyFolder(const std::string& path, NameForm form = NameForm::kAnsi);

}  // namespace platform
