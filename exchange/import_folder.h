// The folder writer of `quillmer-cli import`: what a reader brought back
// (import_model.h) turned into the files of a Pegasus Mail folder, and
// those files written.
//
// PlanImport works out every byte first, without touching a file:
//   - one address book of the contacts, in the layout the program reads
//     (engine/book_layout.h), every field in the book's code page and cut to
//     its room (a character the code page lacks written as '?'; both
//     counted per contact and field);
//   - one list file per group: the title line, then one entry per address
//     the group reaches, nested groups flattened (cycles followed once),
//     each address once, letter case ignored. An entry is the member's name
//     when every record of the folder with that name, the new book's
//     included, holds exactly the member's address: then the window finds
//     that address whichever book the listing gives first. Otherwise the
//     address itself, which no record may claim as its name either (else
//     the address in angle brackets). A member without an address, or with
//     one no entry can reach, is left out and said why.
//   - file names of 8.3 upper-case letters and digits (IMPORT.PMR,
//     FRIENDS.PML), none equal to a name the folder has, letter case
//     ignored, nor to a device name of Windows (CON, NUL, COM1 ...).
// WriteImport then writes them: each under a temporary name, renamed when
// whole, never over a file that is there; when one fails, the files this
// run wrote are removed again, so nothing of a failed import stays.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/name_form.h"
#include "engine/folder_contents.h"
#include "exchange/import_model.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace exchange {

// The prefix of a list's title line, and how many characters of a title
// the line takes after it.
inline constexpr std::string_view kListTitlePrefix = "\\TITLE ";
inline constexpr std::size_t kListTitleRoom = 50;

// What one field (or a list's title) lost on its way into the file.
struct FieldLoss {
  std::string_view field;  // "name", "company", "key", "street", "postal",
                           // "phone", "fax", "notes", "email"
  std::size_t cut = 0;     // characters cut off at the field's end
  std::size_t lost = 0;    // characters the code page lacks, written as '?'
};

struct PlannedContact {
  std::size_t contact = 0;        // into ImportedFile::contacts
  std::vector<FieldLoss> losses;  // the fields that lost something, in record order
};

// A member a list leaves out, and why.
struct LeftOutMember {
  std::string member;  // UTF-8: its name, or its address when it has no name
  std::string why;     // "no address", ...
};

struct PlannedList {
  std::size_t group = 0;        // into ImportedFile::groups
  std::string file;             // its bare file name
  std::string title;            // in the code page, as the title line holds it
  FieldLoss titleLoss;          // field "title"
  std::size_t members = 0;      // the flattened group, each address once, left out ones included
  std::size_t asNames = 0;      // entries written as a name
  std::size_t asAddresses = 0;  // entries written as an address
  std::vector<LeftOutMember> leftOut;
  // Members the file names but gives nowhere (ImportedGroup::unresolved),
  // of the group and the groups flattened into it: left out too.
  std::size_t unresolved = 0;
  std::string bytes;  // the whole file
};

struct ImportPlan {
  // Empty when there are no contacts: then no book is written.
  std::string bookFile;
  std::string bookBytes;
  FieldLoss titleLoss;  // of the book's title, field "title"
  std::vector<PlannedContact> contacts;
  std::vector<PlannedList> lists;
};

// Plans the import of `file` into a folder whose entries are named
// `taken` (every name, hidden files and folders too) and whose books, as
// the window reads them, are `folder`'s (null for a folder that is not
// there yet). `bookTitle` is UTF-8, cut to the header's title field. Pure.
ImportPlan PlanImport(const ImportedFile& file, const engine::MailFolder* folder,
                      std::span<const std::string> taken, std::string_view bookTitle,
                      const platform::CodePageEncoder& encoder);

// What the new book may change of the lists the folder had: an entry whose
// name the new book holds with an address the entry did not reach before
// may reach that address now, when the listing gives the new book first.
class ExistingEntries {
 public:
  struct Turn {
    std::string now;     // an address the new book holds for the name
    std::string before;  // what the entry reached (empty: nothing)
  };
  ExistingEntries(const ImportPlan& plan, const engine::MailFolder& folder);
  // Whether the list entry `entry` (its bytes) may now lead elsewhere.
  std::optional<Turn> Turns(std::string_view entry) const;

 private:
  struct Addresses {
    std::vector<std::string> added;   // the new book's, reduced as expand shows them
    std::vector<std::string> before;  // the old books', the same way
  };
  std::unordered_map<std::string, Addresses> names_;  // by upper-cased name
};

// Why WriteImport failed: the file (its bare name) and what the system said.
struct ImportWriteFault {
  std::string file;
  platform::WriteFailure why = platform::WriteFailure::kWriteFailed;
};

// Writes the plan's files into `folder`, which must be there: the book
// first, then the lists in order. nullopt when all are written; else the
// first failure, and nothing of the plan is left in the folder.
std::optional<ImportWriteFault> WriteImport(const std::string& folder, const ImportPlan& plan,
                                            base::NameForm names = base::NameForm::kAnsi);

}  // namespace exchange
