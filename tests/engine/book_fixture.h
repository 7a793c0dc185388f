// Test fixtures: address books in the full on-disk record layout, and
// temporary folders (the tests' common ones) holding real files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/address_book_record.h"
#include "engine/string_table.h"
#include "tests/support/temp_folder.h"

namespace fixture {

// A table's entries as strings, and a table holding given strings: tests
// state what they expect as plain lists.
inline std::vector<std::string> Entries(const engine::StringTable& table) {
  return {table.begin(), table.end()};
}
inline engine::StringTable TableOf(const std::vector<std::string>& entries) {
  engine::StringTable table;
  for (const std::string& entry : entries) table.push_back(entry);
  return table;
}

// The lowest index holding `key`, by a linear scan: what every lookup must
// answer.
inline std::optional<std::size_t> LinearFind(const std::vector<std::string>& names,
                                             std::string_view key) {
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (names[k] == key) return k;
  }
  return std::nullopt;
}

// One record's fields as an address book stores them. Each text is written
// into its fixed-size field followed by NUL and the field's filler bytes,
// unless it fills the field (then it has no NUL).
using Record = engine::BookRecord;

// The record bytes of `r`, written by the project's book writer: filler bytes
// after a field's NUL are 'x', so a reader that ignores the NUL picks up
// garbage visibly, and a text as long as its field has no NUL.
std::string RecordBytes(const Record& r);

// A record whose name runs without NUL from its field's start up to the
// address field (`name340`, as many bytes as lie between them), then the
// address.
std::string RecordWithRawName(std::string_view name340, std::string_view address);

// The header: the book's title in its field, the rest filled.
std::string HeaderBytes(std::string_view title);

// Header plus the records, back to back.
std::string BookBytes(std::string_view title, const std::vector<Record>& records);

using TempFolder = testsupport::TempFolder;

}  // namespace fixture
