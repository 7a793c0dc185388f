// Any bytes as one address book file: the records read from it must follow
// the field rules, and the first-match index must give the linear scan's
// answer for every name and for keys nobody has.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/address_book.h"
#include "engine/first_match_index.h"
#include "fuzz/fuzz_check.h"

using fuzzcheck::Require;

namespace {

std::string FieldOf(std::string_view slot, std::size_t offset, bool upper) {
  std::string field;
  for (std::size_t i = offset; i < slot.size() && slot[i] != '\0'; ++i) {
    field += upper ? fuzzcheck::UpperByte(slot[i]) : slot[i];
  }
  return field;
}

std::optional<std::size_t> LinearFind(const engine::StringTable& names, std::string_view key) {
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (names[k] == key) return k;
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view file(reinterpret_cast<const char*>(data), size);
  // Entries already in the tables stay in front of the new ones.
  engine::StringTable names = {"", "EARLIER"};
  engine::StringTable addresses = {"", "earlier@example.org"};
  engine::AppendBookRecords(file, names, addresses);
  Require(names.size() == addresses.size(), "tables of the same length");

  const std::size_t dataSize = size > 130 ? size - 128 : 0;
  const std::size_t slots = (dataSize + 457) / 458;
  Require(names.size() == 2 + slots, "one entry per 458-byte slot");
  for (std::size_t k = 0; k < slots; ++k) {
    const std::string_view slot = file.substr(128 + 458 * k, 458);
    Require(names[2 + k] == FieldOf(slot, 2, true), "name from offset 2, upper-cased");
    Require(addresses[2 + k] == FieldOf(slot, 342, false), "address from offset 342, as stored");
  }

  const engine::FirstMatchIndex index(names);
  std::vector<std::string_view> keys;
  for (const std::string_view name : names) keys.push_back(name);
  // Keys no book has: a name with one more byte, and one cut short.
  for (const std::string_view name : names) keys.push_back(name.substr(0, name.size() / 2));
  std::vector<std::string> longer;
  for (const std::string_view name : names) longer.push_back(std::string(name) + "\x01");
  for (const std::string& key : longer) keys.push_back(key);

  std::vector<std::optional<std::size_t>> found(keys.size());
  index.FindMany(keys, found);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::optional<std::size_t> expected = LinearFind(names, keys[i]);
    Require(index.Find(keys[i]) == expected, "Find gives the first match");
    Require(found[i] == expected, "FindMany gives the first match");
  }

  // As the folder's loader builds it: with the hashes worked out while the
  // names were upper-cased, which must be those a lookup gives its key.
  engine::StringTable loadedNames;
  engine::StringTable loadedAddresses;
  std::vector<std::uint32_t> hashes;
  if (size > 130)
    engine::AppendRecordSlots(file.substr(128), loadedNames, loadedAddresses, &hashes);
  Require(hashes.size() == loadedNames.size(), "one hash per name");
  const engine::FirstMatchIndex loaded(loadedNames, hashes);
  for (std::size_t k = 0; k < loadedNames.size(); ++k) {
    Require(loaded.Find(loadedNames[k]) == LinearFind(loadedNames, loadedNames[k]),
            "the load's hashes file each name where a lookup finds it");
  }
  return 0;
}
