#include "engine/address_book_record.h"

namespace engine {

namespace {

std::string_view Cut(std::string_view record, BookField field) {
  if (record.size() <= field.offset) return {};
  const std::string_view bytes = record.substr(field.offset, field.width);
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

BookRecordFields ReadBookRecordFields(std::string_view record) {
  return BookRecordFields{
      .name = Cut(record, kBookNameField),
      .company = Cut(record, kBookCompanyField),
      .key = Cut(record, kBookKeyField),
      .street = Cut(record, kBookStreetField),
      .postal = Cut(record, kBookPostalField),
      .phone = Cut(record, kBookPhoneField),
      .fax = Cut(record, kBookFaxField),
      .notes = Cut(record, kBookNotesField),
      .email = Cut(record, kBookEmailField),
  };
}

}  // namespace engine
