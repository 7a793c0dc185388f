// The address book index: every record of every Pegasus Mail address book
// (*.PMR) of one folder, as two parallel tables, indexed from 0. The tables
// belong to the folder's MailFolder (folder_contents.h), whose loader
// (mail_folder.h) reads the books; what is here takes bytes.
//
//   BookNames[k]      the name of record slot k, upper-cased with UpperCase
//   BookAddresses[k]  the e-mail address of slot k, exactly as stored
//
// Of each record (book_layout.h) the name is read from the start of its
// field and the address from the start of its own, each up to its first NUL
// or, without one, to the end of the record: not of the field. Each book is
// cut into records on its own; a short last record is read as far as it
// goes with the same rules (names and addresses of the next book are not
// shifted by it).
//
// Order: the books in the directory listing's order, records first to last.
// Nothing is merged: a lookup takes the lowest index with an equal name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/book_layout.h"
#include "engine/string_table.h"

namespace engine {

// A file must reach past its header into the first record's name to add
// anything.
inline constexpr std::size_t kSmallestUsefulBook = kBookHeaderSize + kBookNameField.offset;

// UpperCase(text) written to `out`, which has room for text.size() + 8
// bytes (the bytes after the text's are left undefined), and the NameHash
// (first_match_index.h) of what was written: one pass over the text for
// both.
std::uint32_t UpperCaseHashed(std::string_view text, char* out);

// Appends the record slots of one whole address-book file to the tables.
// Files of kSmallestUsefulBook bytes or fewer add nothing. Pure: bytes in,
// entries out.
void AppendBookRecords(std::string_view file, StringTable& names, StringTable& addresses);

// Appends the slots of `records`, record data that starts at a record
// boundary; only its last slot may be short. What AppendBookRecords does
// after the header, for a book read piece by piece. With `hashes`, the
// NameHash of each name added is appended to it too, for the index.
void AppendRecordSlots(std::string_view records, StringTable& names, StringTable& addresses,
                       std::vector<std::uint32_t>* hashes = nullptr);

}  // namespace engine
