// One mail folder as the program sees it once read: its path, the address
// book index (BookNames and BookAddresses, address_book.h, and the
// first-match index over the names, first_match_index.h) and the catalogue
// of its mailing lists (mailing_list.h). A MailFolder is made whole by the
// loader (OpenMailFolder, mail_folder.h) and never changed after, so it is
// handed around by shared ownership: whoever still works with a folder
// keeps it alive, whatever has become current since.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_failure.h"
#include "base/name_form.h"
#include "engine/first_match_index.h"
#include "engine/mailing_list.h"
#include "engine/string_table.h"

namespace engine {

// A book or list file of a folder that is there but could not be read.
struct UnreadableFile {
  std::string file;  // its bare name
  bool book;         // an address book; else a mailing list
  base::FileFailure reason;
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
             std::vector<std::uint32_t> nameHashes = {},
             base::NameForm nameForm = base::NameForm::kAnsi);
  // The index points into the names: the folder stays where it was made.
  MailFolder(const MailFolder&) = delete;
  MailFolder& operator=(const MailFolder&) = delete;

  const std::string& Path() const { return path_; }
  // The form the path and every file name are in: how the folder's files
  // are named to the file layer when they are read again.
  base::NameForm Names() const { return nameForm_; }

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
  base::NameForm nameForm_ = base::NameForm::kAnsi;
};

}  // namespace engine
