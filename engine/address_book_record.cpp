#include "engine/address_book_record.h"

namespace engine {

namespace {

std::string_view Cut(std::string_view record, BookField field) {
  if (record.size() <= field.offset) return {};
  const std::string_view bytes = record.substr(field.offset, field.width);
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

BookRecord ReadBookRecordFields(std::string_view record) {
  BookRecord fields;
  ReadBookRecordFields(record, fields);
  return fields;
}

void ReadBookRecordFields(std::string_view record, BookRecord& into) {
  into.name.assign(Cut(record, kBookNameField));
  into.address.assign(Cut(record, kBookAddressField));
  into.company.assign(Cut(record, kBookCompanyField));
  into.phone.assign(Cut(record, kBookPhoneField));
  into.notes.assign(Cut(record, kBookNotesField));
  into.key.assign(Cut(record, kBookKeyField));
  into.street.assign(Cut(record, kBookStreetField));
  into.postal.assign(Cut(record, kBookPostalField));
  into.fax.assign(Cut(record, kBookFaxField));
}

}  // namespace engine
