// Every field of one address-book record: for export, and for the writer of
// books.
//
// Each field (book_layout.h) is its own bytes up to its first NUL or,
// without one, to the end of its width; a short record gives what it holds.
//
// This is not how the index reads names and addresses (address_book.h:
// name and address each to the first NUL of the record); lookups keep those
// rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/book_layout.h"

namespace engine {

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

// The same fields as views into the record's bytes, for a reader that
// copies each text once, to where it keeps it.
struct BookRecordText {
  std::string_view name;
  std::string_view address;
  std::string_view company;
  std::string_view phone;
  std::string_view notes;
  std::string_view key;
  std::string_view street;
  std::string_view postal;
  std::string_view fax;
};

// The fields of `record` (at most kBookRecordSize bytes; more are
// ignored), as views into it. Pure.
BookRecordText CutBookRecord(std::string_view record);

// The fields of `record` (at most kBookRecordSize bytes; more are
// ignored). Pure.
BookRecord ReadBookRecordFields(std::string_view record);
// The same into `into`, whose strings keep their room: reading many records
// through one BookRecord allocates nothing once it has grown.
void ReadBookRecordFields(std::string_view record, BookRecord& into);

// Calls `visit(fields)` for every record of a whole address-book file (a
// short last record as far as it goes), first to last.
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
