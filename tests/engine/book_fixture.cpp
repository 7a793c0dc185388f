#include "tests/engine/book_fixture.h"

#include <stdexcept>
#include <utility>

#include "tools/address_book_writer.h"

namespace fixture {

namespace {

// Visible filler after every NUL, and texts that fill their field whole.
constexpr tools::Filling kTestFilling{'x', true};

}  // namespace

std::string RecordBytes(const Record& r) {
  const std::pair<const std::string&, std::size_t> widths[] = {
      {r.name, 40},  {r.company, 40}, {r.key, 12},   {r.street, 60},  {r.postal, 60},
      {r.phone, 24}, {r.fax, 24},     {r.notes, 80}, {r.address, 100}};
  for (const auto& [text, width] : widths) {
    if (text.size() > width) throw std::invalid_argument("field text too long");
  }
  return tools::RecordBytes(r, kTestFilling);
}

std::string RecordWithRawName(std::string_view name340, std::string_view address) {
  std::string out = RecordBytes({.name = "", .address = std::string(address)});
  out.replace(2, 340, name340.substr(0, 340));
  return out;
}

std::string HeaderBytes(std::string_view title) {
  return tools::HeaderBytes(title, kTestFilling);
}

std::string BookBytes(std::string_view title, const std::vector<Record>& records) {
  std::string out = HeaderBytes(title);
  for (const Record& r : records) out += RecordBytes(r);
  return out;
}

}  // namespace fixture
