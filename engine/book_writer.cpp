#include "engine/book_writer.h"

#include <algorithm>

namespace engine {

namespace {

// Writes `text` into `field` of a record or header: cut to leave room for a
// NUL unless full-width texts are asked for, then a NUL when there is room,
// then the filler.
void Put(std::string& bytes, BookField field, std::string_view text, const BookFilling& filling) {
  const std::size_t room = filling.fullWidth ? field.width : BookFieldRoom(field);
  const std::size_t count = std::min(text.size(), room);
  const auto at = bytes.begin() + static_cast<std::ptrdiff_t>(field.offset);
  std::copy_n(text.data(), count, at);
  if (count < field.width) {
    at[static_cast<std::ptrdiff_t>(count)] = '\0';
    std::fill(at + static_cast<std::ptrdiff_t>(count) + 1,
              at + static_cast<std::ptrdiff_t>(field.width), filling.filler);
  }
}

}  // namespace

std::string BookHeaderBytes(std::string_view title, const BookFilling& filling) {
  std::string bytes(kBookHeaderSize, filling.filler);
  Put(bytes, kBookTitleField, title, filling);
  return bytes;
}

std::string BookRecordBytes(const BookRecord& record, const BookFilling& filling) {
  // Bytes outside the text fields are NULs in every book seen.
  std::string bytes(kBookRecordSize, '\0');
  Put(bytes, kBookNameField, record.name, filling);
  Put(bytes, kBookCompanyField, record.company, filling);
  Put(bytes, kBookKeyField, record.key, filling);
  Put(bytes, kBookStreetField, record.street, filling);
  Put(bytes, kBookPostalField, record.postal, filling);
  Put(bytes, kBookPhoneField, record.phone, filling);
  Put(bytes, kBookFaxField, record.fax, filling);
  Put(bytes, kBookNotesField, record.notes, filling);
  Put(bytes, kBookAddressField, record.address, filling);
  return bytes;
}

std::string AddressBookBytes(std::string_view title, const std::vector<BookRecord>& records,
                             const BookFilling& filling) {
  std::string bytes = BookHeaderBytes(title, filling);
  bytes.reserve(kBookHeaderSize + kBookRecordSize * records.size());
  for (const BookRecord& record : records) bytes += BookRecordBytes(record, filling);
  return bytes;
}

}  // namespace engine
