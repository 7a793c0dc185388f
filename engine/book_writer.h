// Writes Pegasus Mail address books (*.PMR) in their full on-disk layout
// (book_layout.h): the header, then one record per entry. The one writer of
// the layout, for the import and for the sample folder and tests alike.
// Each text field is cut to leave room for its NUL. Pure: texts in, bytes
// out; the texts are bytes of the book's code page already.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/address_book_record.h"
#include "engine/book_layout.h"

namespace engine {

// How many bytes of text a field keeps: one fewer than its width, for the
// NUL that ends the text.
constexpr std::size_t BookFieldRoom(BookField field) {
  return field.width - 1;
}

// What fills the bytes that a field's text leaves free. Real books hold NULs
// there and keep one NUL after every text. Tests ask for a visible filler
// and for texts that fill their whole field without a NUL, so that a reader
// which ignores a NUL, or needs one, reads visibly wrong bytes.
struct BookFilling {
  char filler = '\0';
  bool fullWidth = false;  // a text as long as its field keeps every byte
};

// The header, the title in its field.
std::string BookHeaderBytes(std::string_view title, const BookFilling& filling = {});
// One whole record.
std::string BookRecordBytes(const BookRecord& record, const BookFilling& filling = {});
// The header and one record per entry, back to back.
std::string AddressBookBytes(std::string_view title, const std::vector<BookRecord>& records,
                             const BookFilling& filling = {});

}  // namespace engine
