#include "engine/address_book_record.h"

namespace engine {

template struct BookRecord<std::string_view>;
template struct BookRecord<std::string>;

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
      .address = Cut(record, kBookAddressField),
      .company = Cut(record, kBookCompanyField),
      .phone = Cut(record, kBookPhoneField),
      .notes = Cut(record, kBookNotesField),
      .key = Cut(record, kBookKeyField),
      .street = Cut(record, kBookStreetField),
      .postal = Cut(record, kBookPostalField),
      .fax = Cut(record, kBookFaxField),
  };
}

}  // namespace engine
