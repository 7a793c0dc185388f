#include "tools/address_book_writer.h"

#include <algorithm>
#include <cstddef>

#include "base/ascii.h"
#include "engine/address_book_record.h"
#include "engine/book_layout.h"

namespace tools {

namespace {

using engine::BookField;

// Writes `text` into `field` of a record or header: cut to
// leave room for a NUL unless full-width texts are asked for, then a NUL
// when there is room, then the filler.
void Put(std::string& bytes, BookField field, std::string_view text, const Filling& filling) {
  const std::size_t room = filling.fullWidth ? field.width : field.width - 1;
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

std::string HeaderBytes(std::string_view title, const Filling& filling) {
  std::string bytes(engine::kBookHeaderSize, filling.filler);
  Put(bytes, engine::kBookTitleField, title, filling);
  return bytes;
}

std::string RecordBytes(const BookEntry& entry, const Filling& filling) {
  // Bytes outside the text fields are NULs in every book seen.
  std::string bytes(engine::kBookRecordSize, '\0');
  Put(bytes, engine::kBookNameField, entry.name, filling);
  Put(bytes, engine::kBookCompanyField, entry.company, filling);
  Put(bytes, engine::kBookKeyField, entry.key, filling);
  Put(bytes, engine::kBookStreetField, entry.street, filling);
  Put(bytes, engine::kBookPostalField, entry.postal, filling);
  Put(bytes, engine::kBookPhoneField, entry.phone, filling);
  Put(bytes, engine::kBookFaxField, entry.fax, filling);
  Put(bytes, engine::kBookNotesField, entry.notes, filling);
  Put(bytes, engine::kBookAddressField, entry.address, filling);
  return bytes;
}

std::string AddressBookBytes(std::string_view title, const std::vector<BookEntry>& entries,
                             const Filling& filling) {
  std::string bytes = HeaderBytes(title, filling);
  bytes.reserve(engine::kBookHeaderSize + engine::kBookRecordSize * entries.size());
  for (const BookEntry& entry : entries) bytes += RecordBytes(entry, filling);
  return bytes;
}

std::string AddressBookFromSource(std::string_view source) {
  std::string title;
  std::vector<BookEntry> entries;
  while (!source.empty()) {
    const auto end = source.find('\n');
    std::string_view line = source.substr(0, end);
    // Sources written on Windows end their lines in CR LF.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = base::TrimBlanks(line);
    source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.substr(0, 6) == "title:") {
      title = std::string(base::TrimBlanks(line.substr(6)));
      continue;
    }
    std::vector<std::string> fields;
    for (std::string_view rest = line;;) {
      const auto bar = rest.find('|');
      fields.emplace_back(base::TrimBlanks(rest.substr(0, bar)));
      if (bar == std::string_view::npos) break;
      rest = rest.substr(bar + 1);
    }
    fields.resize(9);
    entries.push_back(BookEntry{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
                                fields[6], fields[7], fields[8]});
  }
  return AddressBookBytes(title, entries);
}

}  // namespace tools
