// Every field of one address-book record: for export, and for the writer of
// books.
//
// Record layout (458 bytes): 2 bytes, name 40 (offset 2), company 40 (42),
// key 12 (82), street address 60 (94), postal address 60 (154), phone 24
// (214), fax 24 (238), notes 80 (262), e-mail address 100 (342), 16 bytes
// not used here (4 bytes, image 9, 3 bytes). Each field is its own bytes up
// to its first NUL or, without one, to the end of its width; a short record
// gives what it holds.
//
// This is not how the index reads names and addresses (address_book.h:
// name from offset 2 and address from 342, each to the first NUL of the
// record); lookups keep those rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/address_book.h"

namespace engine {

// Where each text field of a record lies: its offset and width in bytes.
struct BookField {
  std::size_t offset;
  std::size_t width;
};

inline constexpr BookField kBookNameField{2, 40};
inline constexpr BookField kBookCompanyField{42, 40};
inline constexpr BookField kBookKeyField{82, 12};
inline constexpr BookField kBookStreetField{94, 60};
inline constexpr BookField kBookPostalField{154, 60};
inline constexpr BookField kBookPhoneField{214, 24};
inline constexpr BookField kBookFaxField{238, 24};
inline constexpr BookField kBookNotesField{262, 80};
inline constexpr BookField kBookAddressField{342, 100};

// One record's fields, named once for every reader and writer of books.
// The order is not the record's: name and e-mail address first, then what
// some readers add.
struct BookRecord {
  std::string name;
  std::string address;  // the e-mail address
  std::string company = {};
  std::string phone = {};
  std::string notes = {};
  std::string key = {};
  std::string street = {};
  std::string postal = {};
  std::string fax = {};
};

// The fields of `record` (at most 458 bytes; more are ignored). Pure.
BookRecord ReadBookRecordFields(std::string_view record);
// The same into `into`, whose strings keep their room: reading many records
// through one BookRecord allocates nothing once it has grown.
void ReadBookRecordFields(std::string_view record, BookRecord& into);

// Calls `visit(fields)` for every record of a whole address-book file
// (128-byte header, then 458-byte records; a short last record as far as it
// goes), first to last.
template <typename Visit>
void ForEachBookRecord(std::string_view file, Visit&& visit) {
  if (file.size() <= kBookHeaderSize) return;
  BookRecord fields;
  for (std::size_t start = kBookHeaderSize; start < file.size(); start += kBookRecordSize) {
    ReadBookRecordFields(file.substr(start, kBookRecordSize), fields);
    visit(static_cast<const BookRecord&>(fields));
  }
}

}  // namespace engine
