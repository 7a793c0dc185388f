// The address book export formats of `quillmer-cli books`: one contact (a
// record's fields, already UTF-8) at a time, appended to the output. Pure.
//
//   CSV    RFC 4180: fields quoted only where they hold a comma, a double
//          quote, CR or LF; quotes doubled; rows end in CR LF.
//   vCard  3.0 (RFC 2426): text escaped (\\ \, \; and \n for a line
//          break), lines ending in CR LF and folded at 75 octets, never
//          inside a UTF-8 character.
//   LDIF   RFC 2849, in the shape Thunderbird's address book imports;
//          values base64-encoded where the RFC requires, lines end in LF.
// Empty fields are left out of vCard and LDIF entries.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/address_book_record.h"

namespace cli {

// A record's fields, already UTF-8, and the book it came from.
struct Contact : engine::BookRecord {
  std::string book;  // the address book's file name
};

// One CSV row of `fields`, with its CR LF.
void AppendCsvRow(std::initializer_list<std::string_view> fields, std::string& out);

// The header row and the rows of `books --format csv`.
void AppendContactCsvHeader(std::string& out);
void AppendContactCsv(const Contact& contact, std::string& out);

void AppendContactVCard(const Contact& contact, std::string& out);

void AppendContactLdif(const Contact& contact, std::string& out);

}  // namespace cli
