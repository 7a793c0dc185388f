// Any bytes as an address book followed by a mailing list (the first two
// bytes say where the book ends): the expansion must equal the plain
// reading of the line rules with a linear lookup, and the title must be the
// first line from its 8th byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/address_book.h"
#include "engine/expansion.h"
#include "engine/first_match_index.h"
#include "engine/mailing_list.h"
#include "fuzz/fuzz_check.h"
#include "tests/support/expansion_reference.h"

using fuzzcheck::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t split = (std::size_t{data[0]} << 8 | data[1]) % (input.size() + 1);
  const std::string_view book = input.substr(0, split);
  const std::string_view list = input.substr(split);

  engine::StringTable names;
  engine::StringTable addresses;
  engine::AppendBookRecords(book, names, addresses);
  const engine::FirstMatchIndex index(names);
  const std::string text = engine::ExpandListText(list, index, addresses);

  const std::vector<std::string> lines = fuzzcheck::Lines(list);
  const std::string expected = reference::Expansion(lines, names, addresses);
  Require(text == expected, "expansion text");
  // A long list's halves, made at once and joined, give the same text.
  Require(engine::ExpandListText(list, index, addresses, engine::Split::kAlways) == expected,
          "expansion text in halves");

  const std::string title = engine::ListTitleOf(list);
  const std::string first = lines.empty() ? std::string() : lines.front();
  Require(title == (first.size() > 7 ? first.substr(7) : std::string()), "title");
  return 0;
}
