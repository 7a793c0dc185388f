// Writes Pegasus Mail address books (*.PMR) in their full on-disk layout
// (engine/book_layout.h), for the sample mail folder and for tests: the
// header, then one record per entry. Each text field is cut to leave room
// for its NUL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/address_book_record.h"

namespace tools {

// One record's texts: name, e-mail address, company, phone, notes, key,
// street, postal address, fax.
using BookEntry = engine::BookRecord;

// What fills the bytes that a field's text leaves free. Real books hold NULs
// there and keep one NUL after every text. Tests ask for a visible filler
// and for texts that fill their whole field without a NUL, so that a reader
// which ignores a NUL, or needs one, reads visibly wrong bytes.
struct Filling {
  char filler = '\0';
  bool fullWidth = false;  // a text as long as its field keeps every byte
};

// The header, the title in its field.
std::string HeaderBytes(std::string_view title, const Filling& filling = {});
// One whole record.
std::string RecordBytes(const BookEntry& entry, const Filling& filling = {});
// The header and one record per entry, back to back.
std::string AddressBookBytes(std::string_view title, const std::vector<BookEntry>& entries,
                             const Filling& filling = {});

// The book described by a readable text source:
//   title: <book title>
//   <name> | <address> [| <company> [| <phone> [| <notes> [| <key> [| <street>
//     [| <postal> [| <fax>]]]]]]]
// Blank lines and lines starting with '#' are ignored; fields are trimmed
// of the blanks around the bars. Bytes are copied as they are: a source in
// code page 1252 gives a book in code page 1252.
std::string AddressBookFromSource(std::string_view source);

}  // namespace tools
