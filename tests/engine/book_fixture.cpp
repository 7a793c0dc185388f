#include "tests/engine/book_fixture.h"

#include <stdexcept>
#include <utility>

#include "engine/book_layout.h"
#include "tools/address_book_writer.h"

namespace fixture {

namespace {

// Visible filler after every NUL, and texts that fill their field whole.
constexpr tools::Filling kTestFilling{'x', true};

}  // namespace

std::string RecordBytes(const Record& r) {
  using namespace engine;
  const std::pair<const std::string&, BookField> fields[] = {
      {r.name, kBookNameField},     {r.company, kBookCompanyField}, {r.key, kBookKeyField},
      {r.street, kBookStreetField}, {r.postal, kBookPostalField},   {r.phone, kBookPhoneField},
      {r.fax, kBookFaxField},       {r.notes, kBookNotesField},     {r.address, kBookAddressField}};
  for (const auto& [text, field] : fields) {
    if (text.size() > field.width) throw std::invalid_argument("field text too long");
  }
  return engine::BookRecordBytes(r, kTestFilling);
}

std::string RecordWithRawName(std::string_view name340, std::string_view address) {
  std::string out = RecordBytes({.name = "", .address = std::string(address)});
  constexpr std::size_t kRun = engine::kBookAddressField.offset - engine::kBookNameField.offset;
  out.replace(engine::kBookNameField.offset, kRun, name340.substr(0, kRun));
  return out;
}

std::string HeaderBytes(std::string_view title) {
  return engine::BookHeaderBytes(title, kTestFilling);
}

std::string BookBytes(std::string_view title, const std::vector<Record>& records) {
  std::string out = HeaderBytes(title);
  for (const Record& r : records) out += RecordBytes(r);
  return out;
}

}  // namespace fixture
