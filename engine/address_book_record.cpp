#include "engine/address_book_record.h"

namespace engine {

namespace {

struct Field {
  std::size_t offset;
  std::size_t width;
};

constexpr Field kName{2, 40};
constexpr Field kCompany{42, 40};
constexpr Field kKey{82, 12};
constexpr Field kStreet{94, 60};
constexpr Field kPostal{154, 60};
constexpr Field kPhone{214, 24};
constexpr Field kFax{238, 24};
constexpr Field kNotes{262, 80};
constexpr Field kEmail{342, 100};

std::string_view Cut(std::string_view record, Field field) {
  if (record.size() <= field.offset) return {};
  const std::string_view bytes = record.substr(field.offset, field.width);
  return bytes.substr(0, bytes.find('\0'));
}

}  // namespace

BookRecordFields ReadBookRecordFields(std::string_view record) {
  return BookRecordFields{
      .name = Cut(record, kName),
      .company = Cut(record, kCompany),
      .key = Cut(record, kKey),
      .street = Cut(record, kStreet),
      .postal = Cut(record, kPostal),
      .phone = Cut(record, kPhone),
      .fax = Cut(record, kFax),
      .notes = Cut(record, kNotes),
      .email = Cut(record, kEmail),
  };
}

}  // namespace engine
