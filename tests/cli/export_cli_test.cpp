// quillmer-cli export in process: what each target makes of one folder,
// the report, and the name-based UIDs underneath.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/sha1.h"
#include "cli/cli.h"
#include "exchange/export_titles.h"
#include "exchange/name_uuid.h"
#include "tests/cli/cli_runner.h"
#include "tests/engine/book_fixture.h"

namespace {

using fixture::Record;

using clitest::Cli;
using clitest::Outcome;

std::string Hex(const std::array<std::uint8_t, 20>& digest) {
  std::ostringstream hex;
  for (const std::uint8_t b : digest)
    hex << "0123456789abcdef"[b >> 4] << "0123456789abcdef"[b & 15];
  return hex.str();
}

// Published digests, across the one- and two-block tails, and Python's
// uuid.uuid5(uuid.NAMESPACE_DNS, "python.org").
TEST(NameUuid, MatchesPublishedDigestsAndVersion5Uuids) {
  const std::map<std::string, std::string> digests = {
      {"", "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
      {"abc", "a9993e364706816aba3e25717850c26c9cd0d89d"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
      {std::string(1000000, 'a'), "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
  };
  for (const auto& [input, digest] : digests) {
    EXPECT_EQ(Hex(base::Sha1(input)), digest) << input.size();
    EXPECT_EQ(Hex(base::sha1_detail::Sha1Using(input, false)), digest) << input.size();
  }
  // Where the processor has SHA instructions, they give what the rounds
  // worked out one by one give, for every length of tail and block count.
  if (base::sha1_detail::HasShaInstructions()) {
    std::string bytes;
    unsigned seed = 7;
    for (std::size_t size = 0; size <= 300; ++size) {
      EXPECT_EQ(Hex(base::sha1_detail::Sha1Using(bytes, true)),
                Hex(base::sha1_detail::Sha1Using(bytes, false)))
          << size;
      seed = seed * 1103515245 + 12345;
      bytes += static_cast<char>(seed >> 16);
    }
  }
  const std::array<std::uint8_t, 16> dns = {0x6b, 0xa7, 0xb8, 0x10, 0x9d, 0xad, 0x11, 0xd1,
                                            0x80, 0xb4, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
  EXPECT_EQ(exchange::NameUuid(dns, "python.org"), "886313e1-3b8a-5372-9b90-0c9aee199e5d");
}

// One book and four lists: a name, the same address again in other letter
// case, a plain address, an unknown name and a record without address; a
// second list reaching the same people; an empty one; and two lists with
// the same title.
class ExportFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    mail.Write(
        "PEOPLE.PMR",
        fixture::BookBytes("People", {Record{.name = "Jo Smith", .address = "jo@example.org"},
                                      Record{.name = "Nomail", .address = ""},
                                      Record{.name = "Ren\xE9", .address = "rene@example.fr"},
                                      Record{.name = "Jo Smith", .address = "jo@example.org"}}));
    mail.Write("TEAM.PML",
               "\\TITLE Team\r\njo smith\r\nJO@EXAMPLE.ORG\r\ncarol@example.net\r\nghost\r\n"
               "nomail\r\n");
    mail.Write("CREW.PML", "\\TITLE Crew; \"A\"\r\nren\xE9\r\ncarol@example.net\r\n");
    mail.Write("EMPTY.PML", "\\TITLE Empty\r\nghost\r\n");
    mail.Write("TWIN.PML", "\\TITLE Team\r\njo smith\r\n");
  }
  std::string Folder() const { return mail.path().string(); }

  fixture::TempFolder mail;
};

// The report's lines in file-name order (the folder's own order is the
// listing's), with the rename of whichever "Team" list comes second
// (`twin`) taken out; it must be there exactly once.
std::string Normalized(std::string text, const std::string& twin) {
  const std::string rename = "renamed to '" + twin + "'";
  const std::size_t at = text.find(rename);
  if (at == std::string::npos || text.find(rename, at + 1) != std::string::npos) return text;
  if (text.compare(at + rename.size(), 2, "; ") == 0) {
    text.erase(at, rename.size() + 2);
  } else {
    text.replace(at, rename.size(), "unchanged");
  }
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  std::string sorted;
  for (const std::string& line : lines) sorted += line + "\n";
  return sorted;
}

TEST_F(ExportFolder, ReportSaysPerListWhatArrivesAndWhatTheTargetChanges) {
  // file, title, members, left out, made for plain addresses, changes.
  const std::string keeps =
      "CREW.PML\tCrew; \"A\"\t2\t0\t1\tunchanged\n"
      "EMPTY.PML\tEmpty\t0\t1\t0\tunchanged\n"
      "TEAM.PML\tTeam\t2\t2\t1\t1 duplicate entry merged\n"
      "TWIN.PML\tTeam\t1\t0\t0\tunchanged\n";
  const std::string drops =
      "CREW.PML\tCrew; \"A\"\t2\t0\t1\tunchanged\n"
      "EMPTY.PML\tEmpty\t0\t1\t0\tleft out: no members\n"
      "TEAM.PML\tTeam\t2\t2\t1\t1 duplicate entry merged\n"
      "TWIN.PML\tTeam\t1\t0\t0\tunchanged\n";
  // Thunderbird refuses , ; " < > and two blanks in a list's name; a mutt
  // list is known by its alias key.
  const std::string thunderbird =
      "CREW.PML\tCrew; \"A\"\t2\t0\t1\trenamed to 'Crew - 'A''\n"
      "EMPTY.PML\tEmpty\t0\t1\t0\tunchanged\n"
      "TEAM.PML\tTeam\t2\t2\t1\t1 duplicate entry merged\n"
      "TWIN.PML\tTeam\t1\t0\t0\tunchanged\n";
  const std::string mutt =
      "CREW.PML\tCrew; \"A\"\t2\t0\t1\trenamed to 'crew-a'\n"
      "EMPTY.PML\tEmpty\t0\t1\t0\tleft out: no members\n"
      "TEAM.PML\tTeam\t2\t2\t1\t1 duplicate entry merged\n"
      "TWIN.PML\tTeam\t1\t0\t0\tunchanged\n";
  const std::string outlook =
      "CREW.PML\tCrew; \"A\"\t2\t0\t1\trenamed to 'Crew, \"A\"'\n"
      "EMPTY.PML\tEmpty\t0\t1\t0\tleft out: no members\n"
      "TEAM.PML\tTeam\t2\t2\t1\t1 duplicate entry merged\n"
      "TWIN.PML\tTeam\t1\t0\t0\tunchanged\n";
  const std::string vcard4 =  // plain addresses stay MEMBER:mailto:
      "CREW.PML\tCrew; \"A\"\t2\t0\t0\tunchanged\n"
      "EMPTY.PML\tEmpty\t0\t1\t0\tunchanged\n"
      "TEAM.PML\tTeam\t2\t2\t0\t1 duplicate entry merged\n"
      "TWIN.PML\tTeam\t1\t0\t0\tunchanged\n";
  const std::map<std::string, std::string> cases = {
      {"thunderbird", thunderbird},
      {"apple", keeps},
      {"vcard4", vcard4},
      {"ldap", drops},
      {"google", drops},
      {"mutt", mutt},
      {"outlook", outlook},
  };
  for (const auto& [target, expected] : cases) {
    const Outcome o = Cli({"export", "--to", target, "--report", Folder()});
    EXPECT_EQ(o.status, cli::kExitOk) << target;
    EXPECT_EQ(o.err, "") << target;
    EXPECT_EQ(Normalized(o.out, target == "mutt" ? "team-2" : "Team (2)"), expected)
        << target << "\n"
        << o.out;
  }
}

// What marks each target's form, on the same folder; a second run gives
// the same bytes (the same UIDs), and the summary is one line.
TEST_F(ExportFolder, EachTargetWritesListsInItsOwnFormAndRunsRepeatExactly) {
  const std::map<std::string, std::vector<std::string>> cases = {
      {"thunderbird",
       {"dn: cn=Empty\nobjectclass: top\nobjectclass: groupOfNames\ncn: Empty\n"
        "description: EMPTY.PML\n\n",
        "description: TEAM.PML\nmember: cn=Jo Smith,mail=jo@example.org\n"
        "member: cn=carol@example.net,mail=carol@example.net\n\n"}},
      {"ldap",
       {"dn: ou=lists,dc=example,dc=org\nobjectclass: top\nobjectclass: organizationalUnit\n",
        "cn: Jo Smith\nsn: Smith\nmail: jo@example.org\n",
        "dn: cn=Crew\\; \\\"A\\\",ou=lists,dc=example,dc=org\n"}},
      {"vcard4",
       {"BEGIN:VCARD\r\nVERSION:4.0\r\nUID:urn:uuid:", "KIND:group\r\nFN:Crew; \"A\"\r\n",
        "MEMBER:mailto:carol@example.net\r\n"}},
      {"apple",
       {"X-ADDRESSBOOKSERVER-KIND:group\r\nX-ADDRESSBOOKSERVER-MEMBER:urn:uuid:",
        "FN:Ren\xC3\xA9\r\n"}},
      {"google",
       {"\r\nJo Smith,Jo,Smith,,,,Team ", "* myContacts,* Other,jo@example.org,",
        "\r\nNomail,,Nomail,,,,* myContacts,,,"}},
      {"outlook", {",Ren\xE9,,,,,,rene@example.fr,Ren\xE9,,\"Crew, \"\"A\"\"\"\r\n"}},
      {"mutt",
       {"alias jo-smith Jo Smith <jo@example.org>\n", "alias carol carol@example.net\n",
        "alias crew-a ren, carol\n"}},
  };
  for (const auto& [target, marks] : cases) {
    std::vector<std::string> args = {"export", "--to", target, Folder()};
    if (target == "ldap") args.insert(args.begin() + 3, "--base=dc=example,dc=org");
    const Outcome first = Cli(args);
    EXPECT_EQ(first.status, cli::kExitOk) << target << first.err;
    for (const std::string& mark : marks) {
      EXPECT_NE(first.out.find(mark), std::string::npos) << target << ": " << mark << "\n"
                                                         << first.out;
    }
    EXPECT_EQ(Cli(args).out, first.out) << target;
    // A list the target cannot hold is named, then the one-line summary.
    const bool dropsEmpty =
        target == "ldap" || target == "google" || target == "outlook" || target == "mutt";
    const std::string dropped = "quillmer-cli: list 'Empty' (EMPTY.PML) left out: " + target +
                                " cannot hold a list without members\n";
    EXPECT_EQ(first.err.rfind(dropped, 0) == 0, dropsEmpty) << first.err;
    const std::string summary = dropsEmpty ? first.err.substr(dropped.size()) : first.err;
    EXPECT_EQ(std::count(summary.begin(), summary.end(), '\n'), 1) << first.err;
    // vcard4 keeps plain addresses as mailto: members, making no contact.
    const std::string contacts = target == "vcard4" ? "3 contacts (0 made" : "4 contacts (1 made";
    EXPECT_EQ(summary.rfind("quillmer-cli: export to " + target + ": " + contacts, 0), 0)
        << first.err;
  }
}

}  // namespace

namespace {

// The titles people write, as each target takes them when they come in
// this order: changed as little as the target needs, and told apart the
// way it tells names apart.
TEST(ExportTitles, EachTargetMakesTitlesAcceptableAndUnique) {
  const std::vector<std::string> titles = {"Team <core>",
                                           "Board, Committee & Friends",
                                           "Choir; sopranos",
                                           "The \"Old\" Team",
                                           "Two  spaces",
                                           "Two spaces",
                                           "Caf\xC3\xA9 Cr\xC3\xA8me",
                                           "CAF\xC3\x89 CR\xC3\x88ME",
                                           "a:::b;c",
                                           "Team (core)"};
  const std::map<std::string, std::pair<const exchange::TitleRules*, std::vector<std::string>>>
      cases = {
          {"any",
           {&exchange::kAnyTitle,
            {"Team <core>", "Board, Committee & Friends", "Choir; sopranos", "The \"Old\" Team",
             "Two  spaces", "Two spaces", "Caf\xC3\xA9 Cr\xC3\xA8me",
             "CAF\xC3\x89 CR\xC3\x88ME (2)", "a:::b;c", "Team (core)"}}},
          {"thunderbird",
           {&exchange::kThunderbirdTitle,
            {"Team (core)", "Board - Committee & Friends", "Choir - sopranos", "The 'Old' Team",
             "Two spaces", "Two spaces (2)", "Caf\xC3\xA9 Cr\xC3\xA8me",
             "CAF\xC3\x89 CR\xC3\x88ME (2)", "a:::b - c", "Team (core) (2)"}}},
          {"ldap",
           {&exchange::kLdapTitle,
            {"Team <core>", "Board, Committee & Friends", "Choir; sopranos", "The \"Old\" Team",
             "Two  spaces", "Two spaces (2)", "Caf\xC3\xA9 Cr\xC3\xA8me",
             "CAF\xC3\x89 CR\xC3\x88ME (2)", "a:::b;c", "Team (core)"}}},
          {"google",
           {&exchange::kGoogleTitle,
            {"Team <core>", "Board, Committee & Friends", "Choir; sopranos", "The \"Old\" Team",
             "Two  spaces", "Two spaces", "Caf\xC3\xA9 Cr\xC3\xA8me",
             "CAF\xC3\x89 CR\xC3\x88ME (2)", "a:b;c", "Team (core)"}}},
          {"outlook",
           {&exchange::kOutlookTitle,
            {"Team <core>", "Board, Committee & Friends", "Choir, sopranos", "The \"Old\" Team",
             "Two  spaces", "Two spaces", "Caf\xC3\xA9 Cr\xC3\xA8me",
             "CAF\xC3\x89 CR\xC3\x88ME (2)", "a:::b,c", "Team (core)"}}},
          {"mutt",
           {&exchange::kMuttTitle,
            {"team-core", "board-committee-friends", "choir-sopranos", "the-old-team", "two-spaces",
             "two-spaces-2", "caf-cr-me", "caf-cr-me-2", "a-b-c", "team-core-2"}}},
      };
  for (const auto& [target, rules_and_expected] : cases) {
    const auto& [rules, expected] = rules_and_expected;
    exchange::UniqueNames names(*rules);
    std::vector<std::string> got;
    for (const std::string& title : titles) got.push_back(names.Claim(title));
    EXPECT_EQ(got, expected) << target;
  }
}

}  // namespace
