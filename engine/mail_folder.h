// The one way to read a mail folder, for the window's start-up, its
// "&Browse" button and the command line alike: OpenMailFolder makes the
// MailFolder (folder_contents.h) of what the folder holds, reading its books
// in one run or two, and the reads after it take a book or list whole. A
// file that is there but cannot be read is tried again as the caller's
// RetryDeadline says.
//
// The loader here is the only engine code that reads files. Files are
// named as folder + bare name; the process's current directory plays no
// part (making the folder current is the window's own step).
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/file_failure.h"
#include "engine/folder_contents.h"
#include "engine/growable_buffer.h"
#include "engine/mailing_list.h"
#include "engine/parallel.h"

namespace engine {

// How long a file that is there but cannot be read is tried again: never
// (the default, the window's way), or every kRetryStep until `fromNow` has
// passed since the deadline was made. A sharing violation clears once the
// mail program has finished saving the file.
class RetryDeadline {
 public:
  static constexpr std::chrono::milliseconds kRetryStep{50};

  RetryDeadline() = default;
  explicit RetryDeadline(std::chrono::milliseconds fromNow)
      : until_(std::chrono::steady_clock::now() + fromNow) {}

  // Waits one step (less when the deadline is nearer) and says true, or
  // says false at once when the deadline has passed.
  bool WaitToRetry() const;

 private:
  std::optional<std::chrono::steady_clock::time_point> until_;
};

// How OpenMailFolder reads. The window takes the defaults: it reads
// everything, once, and waits for nothing.
struct OpenOptions {
  // For every book and list file of the load, one deadline in all.
  RetryDeadline retry = {};
  // The books' records and the index over their names. Without them no
  // book is opened: BookFiles() still names every book, while BookNames()
  // and BookAddresses() are empty. A command that prints only the lists'
  // titles, or reads the books on its own, need not pay for them.
  bool bookRecords = true;
  // Whether the books may be read as two runs at once (parallel.h), each
  // run reading and cutting its own books one file at a time, the second's
  // records joined after the first's.
  Split split = Split::kNever;
  // The form `path` is in, and with it every name the folder gives and
  // every later read of its files (MailFolder::Names()).
  base::NameForm names = base::NameForm::kAnsi;
};

// Why a folder could not be opened.
enum class FolderFailure {
  kNone,
  kNotAFolder,  // missing, a file, or a name with wildcards
  kCannotList,  // there, but its entries cannot be listed
};

struct OpenedFolder {
  std::shared_ptr<const MailFolder> folder;  // null exactly when failure is set
  FolderFailure failure = FolderFailure::kNone;
};

// Reads the folder at `path` (relative paths from the current directory):
// first its address books, each read in record-aligned pieces through one
// buffer while it is held for exclusive use, then its lists' titles, each
// read only as far as its first line. A single file does not stop the load:
// a book that cannot be opened or read to its end adds nothing, a list that
// cannot be read keeps its entry with an empty title; each is tried again
// as `options.retry` says and, if still unreadable, named in Unreadable().
OpenedFolder OpenMailFolder(const std::string& path, const OpenOptions& options = {});

// The whole of `list`'s file in `folder`, read for exclusive use and tried
// again as `retry` says; nullopt when it cannot be opened or read, and then
// `why`, when given, says why.
std::optional<std::string> ReadListFile(const MailFolder& folder, const MailingList& list,
                                        const RetryDeadline& retry = {},
                                        base::FileFailure* why = nullptr);

// A file's bytes read whole, in room that a reader of many files keeps
// from one to the next. A book of more than a few hundred kilobytes lies in
// large blocks from the system (large pages where it has them), which
// neither the read nor the scans after it walk 4 KiB at a time.
class WholeFile {
 public:
  std::string_view Bytes() const { return {room_.data(), size_}; }

 private:
  friend bool ReadBookFile(const MailFolder&, std::string_view, WholeFile&, const RetryDeadline&,
                           base::FileFailure*);
  GrowableBuffer room_;
  std::size_t size_ = 0;
};

// The whole of the book `file` (one of BookFiles()) in `folder`, read the
// same way into `content`; false where a list would give nullopt, and then
// `content` holds nothing of the book.
bool ReadBookFile(const MailFolder& folder, std::string_view file, WholeFile& content,
                  const RetryDeadline& retry = {}, base::FileFailure* why = nullptr);

}  // namespace engine
