#include "engine/expansion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/address_book.h"
#include "engine/first_match_index.h"
#include "engine/mailing_list.h"
#include "tests/engine/book_fixture.h"
#include "tests/support/expansion_reference.h"
#include "tests/support/upper_reference.h"

namespace {

using V = std::vector<std::string>;

// The expansion, which a long list's two halves made at once must give too,
// wherever its middle falls.
std::string Expand(std::string_view file, const V& names, const V& addresses) {
  const engine::StringTable nameTable = fixture::TableOf(names);
  const engine::FirstMatchIndex index(nameTable);
  const engine::StringTable addressTable = fixture::TableOf(addresses);
  std::string text = engine::ExpandListText(file, index, addressTable);
  EXPECT_TRUE(engine::ExpandListText(file, index, addressTable, engine::Split::kAlways) == text)
      << "in halves: " << file.substr(0, 80);
  return text;
}

TEST(ExpandListText, ResolvesNamesAndKeepsEverythingElse) {
  const V names{"ANN", "BO", "SALES", "JO SMITH"};
  const V addresses{"ann@a", "bo@b", "sales@s", "jo@example.org"};
  EXPECT_EQ(Expand("\\TITLE Friends\r\n\r\nJo Smith\r\nplain@example.com\r\nNobody Known\r\n",
                   names, addresses),
            "Jo Smith\tjo@example.org\r\nplain@example.com\r\nNobody Known\r\n");
  // The line as written goes out; spaces belong to the key.
  EXPECT_EQ(Expand("sales\rSALES \r\n\tAnn\r\n\\ann\r\n", names, addresses),
            "sales\tsales@s\r\nSALES \r\n\tAnn\r\n");
  EXPECT_EQ(Expand("", names, addresses), "");
  EXPECT_EQ(Expand("\\TITLE only\r\n\r\n\r\n\\x", names, addresses), "");
}

TEST(ExpandListText, FirstMatchAmongDuplicatesAndEmptyAddresses) {
  const V names{"DUP", "X", "DUP"};
  const V addresses{"first@d", "", "second@d"};
  EXPECT_EQ(Expand("dup\r\nx\r\n", names, addresses), "dup\tfirst@d\r\nx\t\r\n");
}

TEST(ExpandListText, FoldsTheCodePage437PairsOnly) {
  const V names{
      "\x9A"
      "BER",
      "CAF\xE9"};
  const V addresses{"u@u", "c@c"};
  EXPECT_EQ(Expand("\x81"
                   "ber\r\n\x9A"
                   "BER\r\ncaf\xE9\r\ncaf\xC9\r\n",
                   names, addresses),
            "\x81"
            "ber\tu@u\r\n\x9A"
            "BER\tu@u\r\ncaf\xE9\tc@c\r\ncaf\xC9\r\n");
}

// Keys are upper-cased eight bytes at a time, plain ASCII all at once:
// every letter at every place of a word, the bytes just outside a-z, and
// keys ending at every place of their last word.
TEST(ExpandListText, FoldsPlainAsciiKeysAtEveryPlaceOfAWord) {
  V names;
  V addresses;
  V lines = {"\\TITLE Letters"};
  const std::string letters = "abcdefghijklmnopqrstuvwxyz`{@[";
  for (std::size_t place = 0; place < letters.size() + 8; ++place) {
    for (std::size_t length = 1; length <= 17; ++length) {
      std::string line;
      for (std::size_t i = 0; i < length; ++i) line += letters[(place + i) % letters.size()];
      names.push_back(reference::Upper(line));
      addresses.push_back("a" + std::to_string(names.size()) + "@x");
      lines.push_back(line);
    }
  }
  lines.push_back("`{@[");  // folds to itself: no name has it
  std::string file;
  for (const std::string& line : lines) file += line + "\r\n";
  EXPECT_EQ(Expand(file, names, addresses), reference::Expansion(lines, names, addresses));
  EXPECT_EQ(Expand("zoe\r\nZoe\r\n", {"ZOE"}, {"z@x"}), "zoe\tz@x\r\nZoe\tz@x\r\n");
}

TEST(ExpandListText, FollowsTheLineRules) {
  const V names{"ANN", "ANN\nBO"};
  const V addresses{"ann@a", "lf@x"};
  // LF alone stays in the line; after a Ctrl-Z nothing is read.
  EXPECT_EQ(Expand("\\TITLE A\nann\nbo", names, addresses), "");
  EXPECT_EQ(Expand("ann\nbo\rann", names, addresses), "ann\nbo\tlf@x\r\nann\tann@a\r\n");
  EXPECT_EQ(Expand("ann\r\nan\x1A"
                   "n\r\nann\r\n",
                   names, addresses),
            "ann\tann@a\r\nan\r\n");
  // The halves are cut after the first line end from the middle on: CR LF,
  // a CR alone, a CR with nothing after it, none at all, or one past a
  // Ctrl-Z (the first, where there are two).
  EXPECT_EQ(Expand("ann\r\nann\r\nbo\r\n\nann", names, addresses),
            "ann\tann@a\r\nann\tann@a\r\nbo\r\n\nann\r\n");
  EXPECT_EQ(Expand("ann\rann\n\rann\r\nbo", names, addresses),
            "ann\tann@a\r\nann\n\r\nann\tann@a\r\nbo\r\n");
  EXPECT_EQ(Expand("bo\r\nann\r", names, addresses), "bo\r\nann\tann@a\r\n");
  EXPECT_EQ(Expand("ann\r\nann\nbo\nann", names, addresses), "ann\tann@a\r\nann\nbo\nann\r\n");
  EXPECT_EQ(Expand("ann\r\x1A\r\nann\r\nann\r\nann\r\n", names, addresses), "ann\tann@a\r\n");
  EXPECT_EQ(Expand("ann\r\x1A\r\nbo\r\nbo\r\x1A\r\nbo\r\n", names, addresses), "ann\tann@a\r\n");
  // NULs in a line are ordinary bytes of the entry and of its key.
  const V nulNames{std::string("A\0B", 3)};
  EXPECT_EQ(Expand(std::string("a\0b\r\na\0c", 8), nulNames, {"nul@x"}),
            std::string("a\0b\tnul@x\r\na\0c\r\n", 16));
}

TEST(ExpandListText, HandlesAFiftyMegabyteLine) {
  std::string file(50u << 20, 'w');
  const std::string expected = file + "\r\n";
  EXPECT_EQ(Expand(file, {"ANN"}, {"ann@a"}), expected);
}

TEST(ExpandListText, ListsOfEveryLengthMatchALinearScan) {
  // Names with duplicates (the first must win), an empty address, code page
  // 437 letters; entries that hit in mixed letter case, miss, or repeat.
  V names;
  V addresses;
  for (int i = 0; i < 700; ++i) {
    names.push_back("PERSON \x9A" + std::to_string(i % 500));
    addresses.push_back(i == 3 ? "" : "p" + std::to_string(i) + "@Example.org");
  }
  std::mt19937 random(3);
  for (const std::size_t count : {1u, 63u, 64u, 65u, 200u, 10000u}) {
    std::vector<std::string> lines = {"\\TITLE Everyone"};
    for (std::size_t e = 0; e < count; ++e) {
      const auto r = static_cast<unsigned>(random() % 800);  // 500 and up are not in the books
      switch (random() % 5) {
        case 0:
          lines.push_back("person \x81" + std::to_string(r));
          break;
        case 1:
          lines.push_back("PeRsOn \x9A" + std::to_string(r));
          break;
        case 2:
          lines.push_back("friend" + std::to_string(r) + "@elsewhere.net");
          break;
        case 3:
          lines.push_back(lines.size() > 1 ? lines[1 + random() % (lines.size() - 1)]
                                           : std::string("x"));
          break;
        default:
          lines.push_back("Person \x9A" + std::to_string(r) + " ");
          break;
      }
      if (random() % 50 == 0) lines.push_back("");
      if (random() % 50 == 0) lines.push_back("\\comment");
    }
    std::string file;
    for (const std::string& line : lines) file += line + "\r\n";
    const std::string expected = reference::Expansion(lines, names, addresses);
    const std::string text = Expand(file, names, addresses);
    ASSERT_EQ(text.size(), expected.size()) << count << " entries";
    EXPECT_TRUE(text == expected) << count << " entries";
  }
}

}  // namespace
