#include "engine/address_book_record.h"

#include <algorithm>
#include <cstdint>

#include "base/words.h"

namespace engine {

namespace {

constexpr std::size_t WholeWords(std::size_t bytes) {
  return (bytes + 7) / 8 * 8;
}

// Every field read as whole words stays inside a whole record.
static_assert(kBookAddressField.offset + WholeWords(kBookAddressField.width) <= kBookRecordSize);
static_assert(kBookStreetField.offset + WholeWords(kBookStreetField.width) <= kBookRecordSize);
static_assert(kBookKeyField.offset + WholeWords(kBookKeyField.width) <= kBookRecordSize);

std::string_view Cut(std::string_view record, BookField field) {
  if (record.size() <= field.offset) return {};
  if (record.size() == kBookRecordSize) {
    // A whole record: its NUL found eight bytes at a time; a word may reach
    // into the next field, which the width then cuts off.
    const char* at = record.data() + field.offset;
    for (std::size_t i = 0; i < field.width; i += 8) {
      const std::uint64_t zeros = base::ZeroBytes(base::LoadWord(at + i));
      if (zeros != 0) {
        const std::size_t nul = i + base::FirstMarkedByte(zeros);
        return {at, std::min(nul, field.width)};
      }
    }
    return {at, field.width};
  }
  const std::string_view bytes = record.substr(field.offset, field.width);
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

BookRecord ReadBookRecordFields(std::string_view record) {
  BookRecord fields;
  ReadBookRecordFields(record, fields);
  return fields;
}

BookRecordText CutBookRecord(std::string_view record) {
  return {
      Cut(record, kBookNameField),   Cut(record, kBookAddressField), Cut(record, kBookCompanyField),
      Cut(record, kBookPhoneField),  Cut(record, kBookNotesField),   Cut(record, kBookKeyField),
      Cut(record, kBookStreetField), Cut(record, kBookPostalField),  Cut(record, kBookFaxField)};
}

void ReadBookRecordFields(std::string_view record, BookRecord& into) {
  const BookRecordText text = CutBookRecord(record);
  into.name.assign(text.name);
  into.address.assign(text.address);
  into.company.assign(text.company);
  into.phone.assign(text.phone);
  into.notes.assign(text.notes);
  into.key.assign(text.key);
  into.street.assign(text.street);
  into.postal.assign(text.postal);
  into.fax.assign(text.fax);
}

}  // namespace engine
