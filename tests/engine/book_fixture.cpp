#include "tests/engine/book_fixture.h"

#include <stdexcept>

namespace fixture {

namespace {

void PutField(std::string& out, std::string_view text, std::size_t size) {
  if (text.size() > size) throw std::invalid_argument("field text too long");
  std::string field(size, 'x');
  field.replace(0, text.size(), text);
  if (text.size() < size) field[text.size()] = '\0';
  out += field;
}

}  // namespace

std::string RecordBytes(const Record& r) {
  std::string out = "\x01\x00";
  out.resize(2);
  PutField(out, r.name, 40);
  PutField(out, r.company, 40);
  PutField(out, r.key, 12);
  PutField(out, r.street, 60);
  PutField(out, r.post, 60);
  PutField(out, r.phone, 24);
  PutField(out, r.fax, 24);
  PutField(out, r.notes, 80);
  PutField(out, r.address, 100);
  out += std::string_view("\0\0\0\0", 4);
  PutField(out, "", 9);
  out += "zzz";
  return out;
}

std::string RecordWithRawName(std::string_view name340, std::string_view address) {
  std::string out = RecordBytes({.name = "", .address = std::string(address)});
  out.replace(2, 340, name340.substr(0, 340));
  return out;
}

std::string HeaderBytes(std::string_view title) {
  std::string out;
  PutField(out, title, 28);
  out += std::string(100, 'h');
  return out;
}

std::string BookBytes(std::string_view title, const std::vector<Record>& records) {
  std::string out = HeaderBytes(title);
  for (const Record& r : records) out += RecordBytes(r);
  return out;
}

}  // namespace fixture
