// The address book export formats of `quillmer-cli books`: one contact (a
// record's fields, already UTF-8) at a time, appended to the output. Pure.
//
//   CSV    RFC 4180: fields quoted only where they hold a comma, a double
//          quote, CR or LF; quotes doubled; rows end in CR LF.
//   vCard  3.0 (RFC 2426): text escaped (\\ \, \; and \n for a line
//          break), lines ending in CR LF and folded at 75 octets, never
//          inside a UTF-8 character; vCard 4.0 (RFC 6350, for export)
//          escapes \; only inside compound values (N, ADR, ORG).
//   LDIF   RFC 2849, in the shape Thunderbird's address book imports;
//          values base64-encoded where the RFC requires, lines end in LF.
// Empty fields are left out of vCard and LDIF entries.
//
// The pieces below the contact writers (escaping, folding, distinguished
// names) are shared with `quillmer-cli export`, which writes lists too.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/address_book_record.h"
#include "platform/codepage.h"

namespace exchange {

// A contact's texts, UTF-8, as the writers below take them: a record's
// fields, views of texts its holder keeps, and the book it came from.
struct ContactText : engine::BookRecordText {
  std::string_view book;  // the address book's file name
};

// A record's fields, already UTF-8, and the book it came from.
struct Contact : engine::BookRecord {
  std::string book;  // the address book's file name

  operator ContactText() const {
    return {{name, address, company, phone, notes, key, street, postal, fax}, book};
  }
};

// The texts of `record` in UTF-8: each field that is ASCII (most are) as
// the record's own bytes, any other converted into `scratch`, whose room
// is reserved first so that these views last until `scratch` is used
// again. Counts the bytes the code page leaves undefined in `undefined`.
engine::BookRecordText Utf8Texts(const engine::BookRecordText& record,
                                 const platform::CodePageConverter& converter, std::string& scratch,
                                 std::size_t& undefined);

// One CSV row of `fields`, with its CR LF.
void AppendCsvRow(std::initializer_list<std::string_view> fields, std::string& out);

// The header row and the rows of `books --format csv`.
void AppendContactCsvHeader(std::string& out);
void AppendContactCsv(const ContactText& contact, std::string& out);

// What sets one vCard apart from `books --format vcard`'s: the version
// (4.0 drops the 3.0-only TYPE values) and a UID, written as given.
struct VCardShape {
  bool version4 = false;
  std::string_view uid = {};
};
void AppendContactVCard(const ContactText& contact, std::string& out, VCardShape shape = {});

// The dn `books --format ldif` gives a contact: cn=NAME,mail=ADDRESS (the
// address when there is no name, no mail= part when there is no address).
std::string ContactDn(const ContactText& contact);
void AppendContactDn(const ContactText& contact, std::string& out);
void AppendContactLdif(const ContactText& contact, std::string& out);
// The same entry under the dn `dn`.
void AppendContactLdif(const ContactText& contact, std::string_view dn, std::string& out);

// `text` escaped as a vCard text value (\\ \, \n, and \; where
// `semicolons`: in every vCard 3.0 value, in vCard 4.0's compound ones).
std::string VCardText(std::string_view text, bool semicolons = true);
// NAME:VALUE as one content line, folded at 75 octets, with its CR LF.
void AppendVCardProperty(std::string_view name, std::string_view value, std::string& out);

// `value` as one RFC 4514 attribute value of a distinguished name.
std::string DnValue(std::string_view value);
void AppendDnValue(std::string_view value, std::string& out);
// NAME: VALUE as one LDIF line (base64 where RFC 2849 requires it); nothing
// for an empty value. The blank line that ends an entry is the caller's.
void AppendLdifAttribute(std::string_view name, std::string_view value, std::string& out);
// LDIF may end lines in CR LF or LF alone; importers that split lines at LF
// (abook among them) lose entries after a CR, so LF it is.
inline constexpr std::string_view kLdifLineEnd = "\n";

// A name written "Family, Given" or "Given Family", cut into its parts
// (trimmed); a name of one word is all family.
struct NameParts {
  std::string_view family;
  std::string_view given;
};
NameParts SplitName(std::string_view name);

}  // namespace exchange
