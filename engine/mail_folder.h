// One mail folder as the program sees it, and the one way to read it, for
// the window's start-up, its "&Browse" button and the command line alike.
//
// A MailFolder holds what one folder yields: its path, the address book
// index (BookNames, BookAddresses and the first-match index over the names,
// address_book.h) and the catalogue of its mailing lists (mailing_list.h).
// It is made whole by OpenMailFolder and never changed after, so it is
// handed around by shared ownership: whoever still works with a folder
// keeps it alive, whatever has become current since.
//
// The loader here is the only engine code that reads files. Files are
// named as folder + bare name; the process's current directory plays no
// part (making the folder current is the window's own step).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_failure.h"
#include "engine/first_match_index.h"
#include "engine/mailing_list.h"
#include "engine/parallel.h"
#include "engine/string_table.h"

namespace engine {

// A book or list file of a folder that is there but could not be read.
struct UnreadableFile {
  std::string file;  // its bare name
  bool book;         // an address book; else a mailing list
  base::FileFailure reason;
};

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
};

class MailFolder {
 public:
  // A folder with no books and no lists: what the window shows before any
  // folder could be read.
  MailFolder() = default;
  // `nameHashes`, when it holds the NameHash of every name, spares the
  // index hashing them again.
  MailFolder(std::string path, std::vector<std::string> bookFiles, StringTable names,
             StringTable addresses, std::vector<MailingList> lists,
             std::vector<UnreadableFile> unreadable = {},
             std::vector<std::uint32_t> nameHashes = {});
  // The index points into the names: the folder stays where it was made.
  MailFolder(const MailFolder&) = delete;
  MailFolder& operator=(const MailFolder&) = delete;

  const std::string& Path() const { return path_; }

  // The bare file names of the *.PMR books, in the listing's order.
  const std::vector<std::string>& BookFiles() const { return bookFiles_; }

  // Every record slot of every *.PMR book, books in the listing's order,
  // records first to last: the name upper-cased, the address as stored.
  const StringTable& BookNames() const { return names_; }
  const StringTable& BookAddresses() const { return addresses_; }
  const FirstMatchIndex& BookNameIndex() const { return index_; }
  // The lowest slot whose name equals `key` (upper-cased by the caller).
  std::optional<std::size_t> FindBookName(std::string_view key) const { return index_.Find(key); }

  // The catalogue, one entry per *.PML file in the listing's order.
  const std::vector<MailingList>& Lists() const { return lists_; }
  const std::string& ListTitles(std::size_t k) const { return lists_[k].title; }
  const std::string& ListFiles(std::size_t k) const { return lists_[k].file; }

  // The books and lists that are there but could not be read (a book adds
  // no records, a list has an empty title), in the order they were met.
  // Folders, devices and files gone since the listing are not named.
  const std::vector<UnreadableFile>& Unreadable() const { return unreadable_; }

 private:
  std::string path_;
  std::vector<std::string> bookFiles_;
  StringTable names_;
  StringTable addresses_;
  FirstMatchIndex index_;
  std::vector<MailingList> lists_;
  std::vector<UnreadableFile> unreadable_;
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

// The whole of the book `file` (one of BookFiles()) in `folder`, read the
// same way into `bytes`, whose room is used again (a reader of every book
// keeps one); false where a list would give nullopt, and then `bytes`
// holds nothing of the book.
bool ReadBookFile(const MailFolder& folder, std::string_view file, std::string& bytes,
                  const RetryDeadline& retry = {}, base::FileFailure* why = nullptr);

}  // namespace engine
