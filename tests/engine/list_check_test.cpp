// Where entries lead and what a check finds in a list, over a folder's
// tables given as plain lists.
#include "engine/list_check.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/address_syntax.h"
#include "engine/entry_reach.h"
#include "tests/engine/book_fixture.h"

namespace {

using V = std::vector<std::string>;

// A folder of one book's records: names upper-cased as the loader stores
// them, addresses as the records hold them.
engine::MailFolder FolderOf(const V& names, const V& addresses) {
  return engine::MailFolder("mail", {"PEOPLE.PMR"}, fixture::TableOf(names),
                            fixture::TableOf(addresses), {});
}

const V kNames{"JO SMITH", "NOMAIL", "PAT",    "PAT",        "SAM",
               "SAM",      "BROKEN", "QUOTED", "EMPTYFIRST", "EMPTYFIRST"};
const V kAddresses{"jo@example.org",
                   "",
                   "pat@home.example",
                   "PAT@HOME.EXAMPLE",
                   "sam@one.example",
                   "sam@two.example",
                   "broken.example.org",
                   "\"Q\" <q@example.org>",
                   "",
                   "later@example.org"};

TEST(ReachOf, NamesLeadToTheirFirstRecordAndAddressesToThemselves) {
  const engine::MailFolder folder = FolderOf(kNames, kAddresses);
  struct Case {
    std::string entry;
    std::optional<std::size_t> record;
    std::string address;
  };
  const std::vector<Case> cases = {
      {"jo smith", 0, "jo@example.org"},
      {"JO SMITH", 0, "jo@example.org"},
      {"jo smith ", std::nullopt, ""},  // the blank belongs to the name
      {"sam", 4, "sam@one.example"},    // the first of two
      {"nomail", 1, ""},
      {"quoted", 7, "q@example.org"},  // reduced as Strip Names reduces
      {"emptyfirst", 8, ""},           // the first record counts, empty or not
      {"ann@example.net", std::nullopt, "ann@example.net"},
      {"Ann <ann@example.net>", std::nullopt, "ann@example.net"},
      {"stranger", std::nullopt, ""},
      {"<@>", std::nullopt, "@"},
      {" <> @", std::nullopt, "@"},
  };
  for (const Case& c : cases) {
    const engine::Reach reach = engine::ReachOf(folder, c.entry);
    EXPECT_EQ(reach.record, c.record) << c.entry;
    EXPECT_EQ(reach.address, c.address) << c.entry;
  }
  EXPECT_EQ(engine::RecordReach(folder, 7), "q@example.org");
}

TEST(AmbiguousNames, SameNameWithAddressesThatDifferBeyondLetterCase) {
  const engine::MailFolder folder = FolderOf(kNames, kAddresses);
  const std::unordered_set<std::string_view> ambiguous = engine::AmbiguousNames(folder);
  EXPECT_EQ(ambiguous, (std::unordered_set<std::string_view>{"SAM", "EMPTYFIRST"}));
  EXPECT_TRUE(engine::AmbiguousNames(FolderOf({}, {})).empty());
}

std::string Findings(std::string_view list) {
  const engine::MailFolder folder = FolderOf(kNames, kAddresses);
  std::string text;
  for (const engine::EntryFinding& f :
       engine::CheckList(folder, engine::AmbiguousNames(folder), list)) {
    text += std::to_string(f.line) + " " + std::string(engine::FindingKindName(f.kind)) + " " +
            std::string(f.entry) + "\n";
  }
  return text;
}

// Each kind, entries that are fine around them, and entries with two
// findings (in the order of the kinds).
TEST(CheckList, EachKindWithItsLineInTheFilesOrder) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\\TITLE Team\r\njo smith\r\nstranger\r\nnomail\r\npat\r\nsam\r\n"
       "JO@EXAMPLE.ORG\r\nbroken\r\nann@example.net\r\n\r\n\\note\r\nbad@@x..org\r\n",
       "3 unknown stranger\n4 no-address nomail\n6 ambiguous sam\n7 duplicate JO@EXAMPLE.ORG\n"
       "8 not-an-address broken\n12 not-an-address bad@@x..org\n"},
      // Two kinds for one entry.
      {"emptyfirst\r\n", "1 no-address emptyfirst\n1 ambiguous emptyfirst\n"},
      {"broken\r\nBROKEN\r\n",
       "1 not-an-address broken\n2 duplicate BROKEN\n2 not-an-address BROKEN\n"},
      // An entry with "@" that reduces to nothing, or to "@".
      {"<@>\r\n< >@\r\n", "1 not-an-address <@>\n2 duplicate < >@\n2 not-an-address < >@\n"},
      // The address in a written-out name is what is checked.
      {"\"Jo\" <jo@x.org>\r\nJo <jo smith@x.org>\r\n", "2 not-an-address Jo <jo smith@x.org>\n"},
      // A name's address and the same address written out are one.
      {"Q <Q@EXAMPLE.ORG>\r\nquoted\r\n", "2 duplicate quoted\n"},
      // Lines of a list that are no entries, and a list cut by Ctrl-Z.
      {"\\TITLE x\r\n\r\n\\stranger\r\n", ""},
      {"jo smith\r\n\x1Astranger\r\n", ""},
      {"", ""},
  };
  for (const auto& [list, expected] : cases) EXPECT_EQ(Findings(list), expected) << list;
}

// Addresses that pass and fail the local@domain look.
TEST(LooksLikeAddress, TellsAddressesFromOtherText) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"a@b", true},
      {"first.last+tag@sub.example.org", true},
      {"x@caf\xE9.example", true},
      {"jo@x-y.org", true},
      {"a@b@c.org", false},
      {"@example.org", false},
      {"jo@", false},
      {"jo smith@x.org", false},
      {"jo@x_y.org", false},
      {"jo@.x.org", false},
      {"jo@x.org.", false},
      {"jo@x..org", false},
      {"jo@x(y).org", false},
      {"jo\"@x.org", false},
      {"jo\x7F@x.org", false},
      {"", false},
  };
  for (const auto& [address, good] : cases) {
    EXPECT_EQ(engine::LooksLikeAddress(address), good) << address;
  }
  EXPECT_EQ(engine::CaseFolded("Jo@Example.ORG"), engine::CaseFolded("jo@example.org"));
  EXPECT_NE(engine::CaseFolded("j\xE9@x"), engine::CaseFolded("j\xC9@x"));
}

}  // namespace
