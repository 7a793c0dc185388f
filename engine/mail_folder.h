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

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/address_book.h"
#include "engine/mailing_list.h"
#include "engine/string_table.h"

namespace engine {

class MailFolder {
 public:
  // A folder with no books and no lists: what the window shows before any
  // folder could be read.
  MailFolder() = default;
  // `nameHashes`, when it holds the NameHash of every name, spares the
  // index hashing them again.
  MailFolder(std::string path, std::vector<std::string> bookFiles, StringTable names,
             StringTable addresses, std::vector<MailingList> lists,
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

 private:
  std::string path_;
  std::vector<std::string> bookFiles_;
  StringTable names_;
  StringTable addresses_;
  FirstMatchIndex index_;
  std::vector<MailingList> lists_;
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

// What OpenMailFolder reads beyond the folder's listing. The window always
// reads everything; a command that prints only the lists' titles, or reads
// the books on its own, need not pay for the books' records.
struct FolderParts {
  // The books' records and the index over their names. Without them no
  // book is opened: BookFiles() still names every book, while BookNames()
  // and BookAddresses() are empty.
  bool bookRecords = true;
};

// Reads the folder at `path` (relative paths from the current directory):
// first its address books, each read in record-aligned pieces through one
// buffer while it is held for exclusive use, then its lists' titles, each
// read only as far as its first line. Silent about single files: a book
// that cannot be opened or read to its end adds nothing, a list that
// cannot be read keeps its entry with an empty title.
OpenedFolder OpenMailFolder(const std::string& path, const FolderParts& parts = {});

// The whole of `list`'s file in `folder`, read for exclusive use; nullopt
// when it cannot be opened or read.
std::optional<std::string> ReadListFile(const MailFolder& folder, const MailingList& list);

// The whole of the book `file` (one of BookFiles()) in `folder`, read the
// same way.
std::optional<std::string> ReadBookFile(const MailFolder& folder, std::string_view file);

}  // namespace engine
