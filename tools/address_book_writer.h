// Address books (*.PMR) described by a readable text source, for the sample
// mail folder and for tests, written by the engine's writer of the layout
// (engine/book_writer.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/address_book_record.h"
#include "engine/book_writer.h"

namespace tools {

// One record's texts: name, e-mail address, company, phone, notes, key,
// street, postal address, fax.
using BookEntry = engine::BookRecord;

// The layout's writer is the engine's (engine/book_writer.h).
using Filling = engine::BookFilling;
using engine::AddressBookBytes;

// The book described by a readable text source:
//   title: <book title>
//   <name> | <address> [| <company> [| <phone> [| <notes> [| <key> [| <street>
//     [| <postal> [| <fax>]]]]]]]
// Blank lines and lines starting with '#' are ignored; fields are trimmed
// of the blanks around the bars. Bytes are copied as they are: a source in
// code page 1252 gives a book in code page 1252.
std::string AddressBookFromSource(std::string_view source);

}  // namespace tools
