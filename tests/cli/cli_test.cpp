// quillmer-cli commands run in process on real mail folders.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "engine/list_check.h"
#include "exchange/contact_formats.h"
#include "exchange/export_targets.h"
#include "platform/files.h"
#include "tests/cli/cli_runner.h"
#include "tests/engine/book_fixture.h"
#include "tests/support/exclusive_hold.h"
#include "tests/support/file_opens.h"
#include "tools/address_book_writer.h"

namespace {

using fixture::Record;

using clitest::Cli;
using clitest::Outcome;

// The club's folder: one book, and a list mixing names (in other letter
// cases), a plain address, a name nobody has and one with a trailing blank.
class MailFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    mail.Write("FRIENDS.PMR",
               fixture::BookBytes("Friends",
                                  {Record{.name = "Jo Smith", .address = "jo@example.org"},
                                   Record{.name = "Alice", .address = "Alice.Liddell@Example.org"},
                                   Record{.name = "Sales Team", .address = "sales@example.com"}}));
    mail.Write(
        "CLUB.PML",
        "\\TITLE Friends of the club\r\n\r\njo smith\r\ncarol@example.net\r\nNobody Known\r\n"
        "ALICE\r\nsales team \r\n");
  }
  std::string Folder() const { return mail.path().string(); }

  fixture::TempFolder mail;
};

const std::string kClub =
    "jo smith\tjo@example.org\r\ncarol@example.net\r\nNobody Known\r\n"
    "ALICE\tAlice.Liddell@Example.org\r\nsales team \r\n";

TEST_F(MailFolder, ExpandWritesThePaneBytesAfterTheButtonsInTheOrderGiven) {
  const std::map<std::vector<std::string>, std::string> cases = {
      {{}, kClub},
      {{"--strip"},
       "jo@example.org\r\ncarol@example.net\r\nNobody Known\r\nAlice.Liddell@Example.org\r\n"
       "sales team\r\n\r\n"},
      {{"--strip", "--strip"},
       "jo@example.org\r\ncarol@example.net\r\nNobody Known\r\nAlice.Liddell@Example.org\r\n"
       "sales team\r\n\r\n\r\n"},
      {{"--sort"},
       "ALICE\tAlice.Liddell@Example.org\r\ncarol@example.net\r\njo smith\tjo@example.org\r\n"
       "Nobody Known\r\nsales team \r\n"},
      {{"--strip", "--sort"},
       "Alice.Liddell@Example.org\r\ncarol@example.net\r\njo@example.org\r\nNobody Known\r\n"
       "sales team\r\n"},
      {{"--sort", "--strip"},
       "Alice.Liddell@Example.org\r\ncarol@example.net\r\njo@example.org\r\nNobody Known\r\n"
       "sales team\r\n\r\n"},
  };
  for (const auto& [options, expected] : cases) {
    std::vector<std::string> args = {"expand"};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(Folder());
    args.push_back("Friends of the club");
    const Outcome o = Cli(args);
    EXPECT_EQ(o.status, cli::kExitOk);
    EXPECT_EQ(o.out, expected) << "options: " << options.size();
    EXPECT_EQ(o.err, "");
  }
}

TEST_F(MailFolder, ExpandFindsTheListByFileNameInAnyCaseAndDefaultsToTheCurrentFolder) {
  EXPECT_EQ(Cli({"expand", Folder(), "club.pml"}).out, kClub);
  EXPECT_EQ(Cli({"expand", Folder(), "Club.Pml"}).out, kClub);
  ASSERT_TRUE(platform::MakeFolderCurrent(Folder()));
  EXPECT_EQ(Cli({"expand", "CLUB.PML"}).out, kClub);
  EXPECT_EQ(Cli({"expand", "--sort", "--", "Friends of the club"}).status, cli::kExitOk);
  // "C:\Mail\" typed at a Windows prompt arrives as C:\Mail".
  EXPECT_EQ(Cli({"expand", Folder() + "\"", "CLUB.PML"}).out, kClub);
}

TEST_F(MailFolder, ExpandTakesTitlesExactlyAndTheFirstOfEqualTitles) {
  mail.Write("OLD.PML", "\\TITLE archive.pml\r\nold@example.org\r\n");
  mail.Write("DASH.PML", "\\TITLE --strip\r\ndash@example.org\r\n");
  // A name ending in .PML that no file has is a title.
  EXPECT_EQ(Cli({"expand", Folder(), "archive.pml"}).out, "old@example.org\r\n");
  EXPECT_EQ(Cli({"expand", Folder(), "--", "--strip"}).out, "dash@example.org\r\n");
  EXPECT_EQ(Cli({"expand", Folder(), "friends of the club"}).status, cli::kExitError);

  mail.Write("TWIN.PML", "\\TITLE Friends of the club\r\ntwin@example.org\r\n");
  const std::vector<std::string> files = [&] {
    EXPECT_TRUE(platform::MakeFolderCurrent(Folder()));
    return platform::ListMatchingFiles(".", "*.PML").value();
  }();
  const auto club = std::find(files.begin(), files.end(), "CLUB.PML");
  const auto twin = std::find(files.begin(), files.end(), "TWIN.PML");
  ASSERT_TRUE(club != files.end() && twin != files.end());
  EXPECT_EQ(Cli({"expand", Folder(), "Friends of the club"}).out,
            club < twin ? kClub : std::string("twin@example.org\r\n"));
}

// As in the window: a lone LF is a byte of its entry, and the buttons cut at
// CR LF pairs only.
TEST_F(MailFolder, ExpandKeepsLoneLineFeedsInsideTheirLineThroughTheButtons) {
  mail.Write("LF.PML", "\\TITLE Lone\r\nbob\nalice\r\nzed\n\r\n");
  EXPECT_EQ(Cli({"expand", Folder(), "Lone"}).out, "bob\nalice\r\nzed\n\r\n");
  EXPECT_EQ(Cli({"expand", "--sort", Folder(), "Lone"}).out, "bob\nalice\r\nzed\n\r\n");
  EXPECT_EQ(Cli({"expand", "--strip", Folder(), "Lone"}).out, "bob\nalice\r\nzed\n\r\n\r\n");
}

TEST_F(MailFolder, ListsGivesFileNameTabTitleInCatalogueOrder) {
  mail.Write("ZETA.PML", "\\ZZZZZZZeta\r\nJo Smith\r\n");
  mail.Write("EMPTY.PML", "");
  mail.Write(".HIDDEN.PML", "\\TITLE Hidden\r\n");
  ASSERT_TRUE(platform::MakeFolderCurrent(Folder()));
  const std::map<std::string, std::string> titles = {
      {"CLUB.PML", "Friends of the club"}, {"ZETA.PML", "Zeta"}, {"EMPTY.PML", ""}};
  std::string expected;
  const std::vector<std::string> lists =
      platform::ListMatchingFiles(".", "*.PML").value_or(std::vector<std::string>{});
  for (const std::string& name : lists) {
    expected += name + "\t" + titles.at(name) + "\n";
  }
  const Outcome o = Cli({"lists", Folder()});
  EXPECT_EQ(o.status, cli::kExitOk);
  EXPECT_EQ(o.out, expected);
  EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 3);

  std::string windows;
  EXPECT_EQ(cli::Run({"lists"}, "\r\n", windows, windows), cli::kExitOk);
  EXPECT_EQ(windows.size(), expected.size() + 3);
}

TEST_F(MailFolder, ListsOpensNoBookAndBooksOpensEachBookOnce) {
  mail.Write("OTHER.PMR", fixture::BookBytes("Other", {Record{.name = "Bo", .address = "b@o"}}));
  testsupport::FileOpens opens(Folder());
  if (!opens.Watching()) GTEST_SKIP() << "no way to watch the opens here";
  EXPECT_EQ(Cli({"lists", Folder()}).status, cli::kExitOk);
  EXPECT_EQ(opens.Take(), std::vector<std::string>{"CLUB.PML"});

  EXPECT_EQ(Cli({"books", Folder()}).status, cli::kExitOk);
  std::vector<std::string> read = opens.Take();
  std::sort(read.begin(), read.end());
  EXPECT_EQ(read, (std::vector<std::string>{"CLUB.PML", "FRIENDS.PMR", "OTHER.PMR"}));

  // Expanding needs the books.
  EXPECT_EQ(Cli({"expand", Folder(), "CLUB.PML"}).status, cli::kExitOk);
  read = opens.Take();
  std::sort(read.begin(), read.end());
  read.erase(std::unique(read.begin(), read.end()), read.end());
  EXPECT_EQ(read, (std::vector<std::string>{"CLUB.PML", "FRIENDS.PMR", "OTHER.PMR"}));
}

TEST_F(MailFolder, CheckReportsUnknownNamesWithTitleAndLineNumber) {
  const Outcome o = Cli({"check", Folder()});
  EXPECT_EQ(o.status, cli::kExitFindings);
  EXPECT_EQ(o.out,
            "CLUB.PML\tFriends of the club\t5\tunknown\tNobody Known\n"
            "CLUB.PML\tFriends of the club\t7\tunknown\tsales team \n");
  EXPECT_EQ(o.err, "");

  mail.Write("CLUB.PML", "\\TITLE Fine\r\nJO SMITH\r\n\\comment\r\nnobody@example.org\r\n");
  const Outcome clean = Cli({"check", Folder()});
  EXPECT_EQ(clean.status, cli::kExitOk);
  EXPECT_EQ(clean.out, "");
}

// Every error: exit status 2, nothing on standard output, and one line on
// standard error that names what was wrong.
void ExpectOneError(const std::vector<std::string>& args, const std::string& named) {
  const Outcome o = Cli(args);
  std::string shown;
  for (const std::string& a : args) shown += "[" + a + "]";
  EXPECT_EQ(o.status, cli::kExitError) << shown;
  EXPECT_EQ(o.out, "") << shown;
  EXPECT_EQ(o.err.rfind("quillmer-cli: ", 0), 0u) << shown << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << shown << o.err;
  EXPECT_EQ(o.err.back(), '\n') << shown;
  EXPECT_NE(o.err.find(named), std::string::npos) << shown << o.err;
}

TEST_F(MailFolder, EachErrorIsOneLineAndExitStatusTwo) {
  const std::string missing = (mail.path() / "no such folder").string();
  const std::string file = (mail.path() / "CLUB.PML").string();
  ExpectOneError({}, "no command");
  ExpectOneError({"expnad", Folder(), "x"}, "'expnad'");
  ExpectOneError({"expnad"},
                 "unknown command 'expnad' (expected lists, expand, check, books, export or "
                 "import); try 'quillmer-cli --help'");
  ExpectOneError({"--verbose"}, "'--verbose'");
  ExpectOneError({"expand", "--strp", Folder(), "CLUB.PML"}, "'--strp'");
  ExpectOneError({"lists", "--sort", Folder()}, "'--sort'");
  ExpectOneError({"check", "-x"}, "'-x'");
  ExpectOneError({"export", Folder()}, "--to TARGET");
  ExpectOneError({"export", "--to", "gmail", Folder()}, "'gmail'");
  ExpectOneError({"export", "--to", "ldap", Folder()}, "--base DN");
  ExpectOneError({"export", "--to", "mutt", "--base", "dc=x", Folder()},
                 "--base goes with --to ldap only");
  ExpectOneError({"books", "--codepage"}, "--codepage needs a value");
  ExpectOneError({"expand", "--strip=yes", Folder(), "CLUB.PML"}, "'--strip=yes'");
  ExpectOneError({"expand", "--format", "csv", "--sort", Folder(), "CLUB.PML"},
                 "--sort goes with --format text only");
  ExpectOneError({"export", "--to", "mutt", "--codepage", "65001", Folder()}, "'65001'");
  ExpectOneError({"export", "--to", "mutt", "--format", "csv", Folder()}, "'--format'");
  ExpectOneError({"expand", Folder()}, "LIST");
  ExpectOneError({"expand", Folder(), "CLUB.PML", "extra"}, "'extra'");
  ExpectOneError({"lists", Folder(), "extra"}, "'extra'");
  ExpectOneError({"check", Folder(), "extra"}, "'extra'");
  ExpectOneError({"lists", missing}, missing);
  ExpectOneError({"check", missing}, missing);
  ExpectOneError({"expand", missing, "CLUB.PML"}, missing);
  ExpectOneError({"lists", file}, file);
  ExpectOneError({"expand", Folder(), "Nobody's list"}, "'Nobody's list'");
  ExpectOneError({"expand", Folder(), "GONE.PML"}, "'GONE.PML'");
  ExpectOneError({"expand", "--format", "html", Folder(), "CLUB.PML"},
                 "unknown format 'html' for expand (expected text, to or csv)");
  ExpectOneError({"books", "--format=vcf", Folder()},
                 "unknown format 'vcf' for books (expected csv, vcard or ldif)");
}

// A file another program holds: the list asked for is an error; any other
// book or list is named with its reason on standard error, the output is
// made from the rest, and the exit status is 3.
TEST_F(MailFolder, HeldFilesAreNamedWithTheirReasonAndTheRestIsWritten) {
  mail.Write("OTHER.PML", "\\TITLE Other\r\nNobody Either\r\n");
  const std::string book =
      "quillmer-cli: cannot read address book 'FRIENDS.PMR' (held by another "
      "program)\n";
  const std::string list =
      "quillmer-cli: cannot read mailing list file 'CLUB.PML' (held by "
      "another program)\n";
  struct Case {
    std::string held;
    std::vector<std::string> args;
    int status;
    std::string err;
    // Each line of the output is one of these (the lists come in the
    // folder's order); empty: no output.
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"CLUB.PML", {"expand", Folder(), "CLUB.PML"}, cli::kExitError, list, {}},
      {"CLUB.PML",
       {"expand", Folder(), "Friends of the club"},
       cli::kExitUnreadable,
       list + "quillmer-cli: no mailing list titled or named 'Friends of the club' in '" +
           Folder() + "'\n",
       {}},
      {"CLUB.PML",
       {"lists", Folder()},
       cli::kExitUnreadable,
       list,
       {"CLUB.PML\t\n", "OTHER.PML\tOther\n"}},
      {"CLUB.PML",
       {"check", Folder()},
       cli::kExitUnreadable,
       list,
       {"CLUB.PML\t\t\tunreadable\theld by another program\n",
        "OTHER.PML\tOther\t2\tunknown\tNobody Either\n"}},
      {"FRIENDS.PMR",
       {"lists", Folder()},
       cli::kExitOk,
       "",
       {"CLUB.PML\tFriends of the club\n", "OTHER.PML\tOther\n"}},
      {"FRIENDS.PMR",
       {"expand", "--sort", Folder(), "CLUB.PML"},
       cli::kExitUnreadable,
       book,
       {"ALICE\r\ncarol@example.net\r\njo smith\r\nNobody Known\r\nsales team \r\n"}},
      {"FRIENDS.PMR",
       {"expand", "--format", "to", Folder(), "OTHER.PML"},
       cli::kExitUnreadable,
       "quillmer-cli: left out, no address: line 2 'Nobody Either'\n" + book,
       {"\n"}},
      {"FRIENDS.PMR",
       {"books", Folder()},
       cli::kExitUnreadable,
       book,
       {"name,company,key,street,postal,phone,fax,notes,email,book\r\n"}},
  };
  for (const Case& c : cases) {
    const testsupport::ExclusiveHold held((mail.path() / c.held).string());
    ASSERT_TRUE(held.Held());
    const Outcome o = Cli(c.args);
    const std::string shown = c.held + " " + c.args[0] + " " + c.args[1];
    EXPECT_EQ(o.status, c.status) << shown;
    EXPECT_EQ(o.err, c.err) << shown;
    std::string rest = o.out;
    for (const std::string& line : c.lines) {
      const std::size_t at = rest.find(line);
      EXPECT_NE(at, std::string::npos) << shown << ": " << line;
      if (at != std::string::npos) rest.erase(at, line.size());
    }
    EXPECT_EQ(rest, "") << shown;
  }
  // check's book findings come first, before the lists'.
  const testsupport::ExclusiveHold held((mail.path() / "FRIENDS.PMR").string());
  const Outcome o = Cli({"check", Folder()});
  EXPECT_EQ(o.status, cli::kExitUnreadable);
  EXPECT_EQ(o.out.rfind("FRIENDS.PMR\t\t\tunreadable\theld by another program\n", 0), 0u) << o.out;
  EXPECT_EQ(o.err, book);
  // export names a held book as the others do, and writes what it could read.
  const Outcome exported = Cli({"export", "--to", "mutt", Folder()});
  EXPECT_EQ(exported.status, cli::kExitUnreadable);
  EXPECT_EQ(exported.err.rfind(book, 0), 0u) << exported.err;
  EXPECT_NE(exported.out.find("carol@example.net"), std::string::npos) << exported.out;
}

// The run tries a held file again until its time is up: released in time,
// the output is whole; held longer, it is named, once, after that time.
TEST_F(MailFolder, AHeldBookIsTriedAgainForTheRunsTime) {
  const std::vector<std::string> args = {"expand", Folder(), "CLUB.PML"};
  std::optional<testsupport::ExclusiveHold> held((mail.path() / "FRIENDS.PMR").string());
  ASSERT_TRUE(held->Held());
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds{300});
    held.reset();
  });
  const auto start = std::chrono::steady_clock::now();
  const Outcome inTime = Cli(args, std::chrono::seconds{20});
  const auto waited = std::chrono::steady_clock::now() - start;
  release.join();
  EXPECT_EQ(inTime.status, cli::kExitOk);
  EXPECT_EQ(inTime.out, kClub);
  EXPECT_EQ(inTime.err, "");
  EXPECT_GE(waited, std::chrono::milliseconds{300});
  EXPECT_LT(waited, std::chrono::seconds{10});

  held.emplace((mail.path() / "FRIENDS.PMR").string());
  for (const auto bound : {std::chrono::milliseconds{0}, std::chrono::milliseconds{400}}) {
    const auto before = std::chrono::steady_clock::now();
    const Outcome late = Cli(args, bound);
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_EQ(late.status, cli::kExitUnreadable);
    EXPECT_EQ(late.out,
              "jo smith\r\ncarol@example.net\r\nNobody Known\r\nALICE\r\nsales team \r\n");
    EXPECT_EQ(late.err,
              "quillmer-cli: cannot read address book 'FRIENDS.PMR' (held by another program)\n");
    EXPECT_GE(took, bound);
    EXPECT_LT(took, bound + std::chrono::seconds{5});
  }
}

TEST_F(MailFolder, ExpandToGivesOneLineForAToFieldAndNamesWhatItLeavesOut) {
  mail.Write("MORE.PMR",
             tools::AddressBookBytes("More", {{"Smith, Jo", "jo.smith@example.org", "", "", ""},
                                              {"Dr. Who", "Who <who@tardis.example>", "", "", ""},
                                              {"Empty", "", "", "", ""},
                                              {"Q \"the\" Boss", "q@example.org", "", "", ""}}));
  mail.Write("TO.PML",
             "\\TITLE To\r\njo smith\r\n  <carol@example.net> \r\nNobody Known\r\nsmith, jo\r\n"
             "dr. who\r\nempty\r\n\"Quoted\" <x@example.org>\r\nq \"the\" boss\r\n");
  const Outcome o = Cli({"expand", "--format", "to", Folder(), "To"});
  EXPECT_EQ(o.status, cli::kExitOk);
  EXPECT_EQ(o.out,
            "jo smith <jo@example.org>, carol@example.net, \"smith, jo\" <jo.smith@example.org>, "
            "\"dr. who\" <who@tardis.example>, x@example.org, \"q \\\"the\\\" boss\" "
            "<q@example.org>\n");
  EXPECT_EQ(o.err,
            "quillmer-cli: left out, no address: line 4 'Nobody Known'\n"
            "quillmer-cli: left out, no address: line 7 'empty'\n");

  const Outcome csv = Cli({"expand", "--format=csv", Folder(), "To"});
  EXPECT_EQ(csv.status, cli::kExitOk);
  EXPECT_EQ(
      csv.out,
      "entry,address\r\njo smith,jo@example.org\r\n  <carol@example.net> ,carol@example.net\r\n"
      "Nobody Known,\r\n\"smith, jo\",jo.smith@example.org\r\ndr. who,who@tardis.example\r\n"
      "empty,\r\n\"\"\"Quoted\"\" <x@example.org>\",x@example.org\r\n"
      "\"q \"\"the\"\" boss\",q@example.org\r\n");
  EXPECT_EQ(csv.err, "");

  ExpectOneError({"expand", "--format", "html", Folder(), "To"}, "'html'");
  ExpectOneError({"expand", "--format", "to", "--strip", Folder(), "To"}, "--strip");
  ExpectOneError({"expand", Folder(), "To", "--format"}, "--format");
  ExpectOneError({"lists", "--format", "csv", Folder()}, "'--format'");
}

// One finding of each kind, and entries that are fine around them.
TEST(CliCheck, ReportsEachKindOnceWithItsLine) {
  fixture::TempFolder mail;
  mail.Write("PEOPLE.PMR",
             tools::AddressBookBytes("People", {{"Jo Smith", "jo@example.org", "", "", ""},
                                                {"Nomail", "", "", "", ""},
                                                {"Pat", "pat@home.example", "", "", ""},
                                                {"Pat", "PAT@HOME.EXAMPLE", "", "", ""},
                                                {"Sam", "sam@one.example", "", "", ""},
                                                {"Sam", "sam@two.example", "", "", ""},
                                                {"Broken", "broken.example.org", "", "", ""}}));
  mail.Write("TEAM.PML",
             "\\TITLE Team\r\njo smith\r\nstranger\r\nnomail\r\npat\r\nsam\r\n"
             "JO@EXAMPLE.ORG\r\nbroken\r\nann@example.net\r\n\r\n\\note\r\nbad@@x..org\r\n");
  const Outcome o = Cli({"check", mail.path().string()});
  EXPECT_EQ(o.status, cli::kExitFindings);
  EXPECT_EQ(o.out,
            "TEAM.PML\tTeam\t3\tunknown\tstranger\n"
            "TEAM.PML\tTeam\t4\tno-address\tnomail\n"
            "TEAM.PML\tTeam\t6\tambiguous\tsam\n"
            "TEAM.PML\tTeam\t7\tduplicate\tJO@EXAMPLE.ORG\n"
            "TEAM.PML\tTeam\t8\tnot-an-address\tbroken\n"
            "TEAM.PML\tTeam\t12\tnot-an-address\tbad@@x..org\n");
  EXPECT_EQ(o.err, "");
}

// A book with every field filled, one with special characters in every
// format's sense, an empty record (left out) and a record with an address
// only.
class BooksFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    tools::BookEntry full{"Ren\xE9 M\xFCller",
                          "rene@example.fr",
                          "M\xFCller & Fils",
                          "+33 1 23",
                          "likes, \"quotes\"; and \\ too",
                          "RENE",
                          "1 rue Haute",
                          "BP 12\r\n75001 Paris",
                          "+33 1 24"};
    mail.Write("A.PMR",
               tools::AddressBookBytes(
                   "A", {full, {"", "", "", "", ""}, {"", "only@example.org", "", "", ""}}));
  }
  fixture::TempFolder mail;
};

TEST_F(BooksFolder, CsvHasOneQuotedRowPerRecordInUtf8) {
  const Outcome o = Cli({"books", mail.path().string()});
  EXPECT_EQ(o.status, cli::kExitOk);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.out,
            "name,company,key,street,postal,phone,fax,notes,email,book\r\n"
            "Ren\u00E9 M\u00FCller,M\u00FCller & Fils,RENE,1 rue Haute,\"BP 12\r\n75001 Paris\","
            "+33 1 23,+33 1 24,\"likes, \"\"quotes\"\"; and \\ too\",rene@example.fr,A.PMR\r\n"
            ",,,,,,,,only@example.org,A.PMR\r\n");
}

TEST_F(BooksFolder, VCardEscapesTextAndFillsEveryProperty) {
  const Outcome o = Cli({"books", "--format", "vcard", mail.path().string()});
  EXPECT_EQ(o.status, cli::kExitOk);
  EXPECT_EQ(o.out,
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ren\u00E9 M\u00FCller\r\n"
            "N:M\u00FCller;Ren\u00E9;;;\r\nORG:M\u00FCller & Fils\r\nNICKNAME:RENE\r\n"
            "ADR;TYPE=PARCEL:;;1 rue Haute;;;;\r\nADR;TYPE=POSTAL:;;BP 12\\n75001 Paris;;;;\r\n"
            "TEL;TYPE=VOICE:+33 1 23\r\nTEL;TYPE=FAX:+33 1 24\r\n"
            "NOTE:likes\\, \"quotes\"\\; and \\\\ too\r\nEMAIL;TYPE=INTERNET:rene@example.fr\r\n"
            "END:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:only@example.org\r\nN:;;;;\r\n"
            "EMAIL;TYPE=INTERNET:only@example.org\r\nEND:VCARD\r\n");
}

TEST_F(BooksFolder, LdifEncodesWhatIsNotSafeInBase64) {
  const Outcome o = Cli({"books", "--format", "ldif", mail.path().string()});
  EXPECT_EQ(o.status, cli::kExitOk);
  const std::string classes =
      "objectclass: top\nobjectclass: person\nobjectclass: organizationalPerson\n"
      "objectclass: inetOrgPerson\nobjectclass: mozillaAbPersonAlpha\n";
  // "cn=René Müller,mail=rene@example.fr", "René Müller", "Müller & Fils",
  // "BP 12\n75001 Paris" in base64; the postal address twice, for
  // Thunderbird (the work address's second line) and for other readers.
  EXPECT_EQ(o.out, "dn:: Y249UmVuw6kgTcO8bGxlcixtYWlsPXJlbmVAZXhhbXBsZS5mcg==\n" + classes +
                       "cn:: UmVuw6kgTcO8bGxlcg==\nmail: rene@example.fr\n"
                       "o:: TcO8bGxlciAmIEZpbHM=\nmozillaNickname: RENE\n"
                       "telephoneNumber: +33 1 23\nfacsimileTelephoneNumber: +33 1 24\n"
                       "description: likes, \"quotes\"; and \\ too\nstreet: 1 rue Haute\n"
                       "mozillaWorkStreet2:: QlAgMTINCjc1MDAxIFBhcmlz\n"
                       "postalAddress:: QlAgMTINCjc1MDAxIFBhcmlz\n\n"
                       "dn: cn=only@example.org,mail=only@example.org\n" +
                       classes + "cn: only@example.org\nmail: only@example.org\n\n");
}

// The escapes and encodings, seen in what the writers write: the DN values
// of RFC 4514, the values RFC 2849 lets stand after "attr: ", and vCard's
// text escapes with one \n per line break.
TEST(ContactFormats, EscapesAndEncodingsFollowTheirRfcs) {
  const auto ldif = [](const exchange::Contact& c) {
    std::string out;
    exchange::AppendContactLdif(c, out);
    return out;
  };
  // RFC 4514: the seven specials, a leading blank or '#', a trailing blank, NUL.
  const std::vector<std::pair<std::string, std::string>> dnValues = {
      {"Smith, Jo", "Smith\\, Jo"},
      {"a+b\"c\\d<e>f;g=h", "a\\+b\\\"c\\\\d\\<e\\>f\\;g=h"},
      {" #x# ", "\\ #x#\\ "},
      {"#x", "\\#x"},
      {std::string("a\0b", 3), "a\\00b"},
  };
  for (const auto& [value, escaped] : dnValues) {
    exchange::Contact c;
    c.name = value;
    c.address = "a@b";
    EXPECT_EQ(ldif(c).rfind("dn: cn=" + escaped + ",mail=a@b\n", 0), 0u) << escaped;
  }
  exchange::Contact plus;
  plus.name = "n";
  plus.address = "x+y@z";
  EXPECT_EQ(ldif(plus).rfind("dn: cn=n,mail=x\\+y@z\n", 0), 0u);
  // RFC 2849: what may follow "attr: " as it is; the rest goes in base64, and
  // an empty value leaves its attribute out.
  for (const std::string safe : {"plain", "a:b", "a<b", "trailing: no", "caf#"}) {
    exchange::Contact c;
    c.name = "n";
    c.notes = safe;
    EXPECT_NE(ldif(c).find("\ndescription: " + safe + "\n"), std::string::npos) << safe;
  }
  for (const std::string& unsafe :
       std::vector<std::string>{" lead", ":colon", "<angle", "end ", "cr\rhere", "lf\nhere",
                                std::string("n\0ul", 4), "caf\xC3\xA9"}) {
    exchange::Contact c;
    c.name = "n";
    c.notes = unsafe;
    const std::string out = ldif(c);
    EXPECT_NE(out.find("\ndescription:: "), std::string::npos) << unsafe;
    EXPECT_EQ(out.find("\ndescription: "), std::string::npos) << unsafe;
  }
  exchange::Contact nameOnly;
  nameOnly.name = "n";
  EXPECT_EQ(ldif(nameOnly).find("description"), std::string::npos);
  // The same at every place of values up to two words and a tail long,
  // where the checks read whole words: LDIF's unsafe bytes, CSV's quoted
  // ones, vCard's escaped ones, a dn's escaped ones.
  for (std::size_t size = 1; size <= 19; ++size) {
    const std::string plain(size, 'x');
    for (std::size_t at = 0; at < size; ++at) {
      for (const char bad : {'\0', '\r', '\n', '\xE9'}) {
        exchange::Contact c;
        c.name = "n";
        c.notes = plain;
        c.notes[at] = bad;
        EXPECT_NE(ldif(c).find("\ndescription:: "), std::string::npos) << size << " " << at;
      }
      for (const char special : {',', '"', '\r', '\n'}) {
        exchange::Contact c;
        c.name = plain;
        c.name[at] = special;
        std::string row;
        exchange::AppendContactCsv(c, row);
        EXPECT_EQ(row.front(), '"') << size << " " << at;
      }
      for (const char special : {',', ';', '\\', '\n'}) {
        exchange::Contact c;
        c.name = "N";
        c.notes = plain;
        c.notes[at] = special;
        std::string card;
        exchange::AppendContactVCard(c, card);
        const std::string escaped = special == '\n' ? "\\n" : std::string{'\\', special};
        const std::string note = plain.substr(0, at) + escaped + plain.substr(at + 1);
        EXPECT_NE(card.find("\r\nNOTE:" + note + "\r\n"), std::string::npos) << size << " " << at;
      }
      for (const char special : {',', '+', '"', '\\', '<', '>', ';', '\0'}) {
        std::string value = plain;
        value[at] = special;
        const std::string escaped = special == '\0' ? "\\00" : std::string{'\\', special};
        const std::string expected = plain.substr(0, at) + escaped + plain.substr(at + 1);
        EXPECT_EQ(exchange::DnValue(value), expected) << size << " " << at;
      }
    }
    EXPECT_EQ(exchange::DnValue(plain), plain) << size;
    exchange::Contact c;
    c.name = plain;
    c.notes = plain;
    EXPECT_NE(ldif(c).find("\ndescription: " + plain + "\n"), std::string::npos) << size;
    std::string card;
    exchange::AppendContactVCard(c, card);
    EXPECT_NE(card.find("\r\nNOTE:" + plain + "\r\n"), std::string::npos) << size;
    std::string row;
    exchange::AppendContactCsv(c, row);
    EXPECT_EQ(row.rfind(plain + ",", 0), 0u) << size;
  }

  // vCard: CR LF, a lone CR and a lone LF are each one line break.
  exchange::Contact c;
  c.name = "N";
  c.notes = "a\rb\nc\r\nd,e;f\\g\r";
  std::string vcard;
  exchange::AppendContactVCard(c, vcard);
  EXPECT_NE(vcard.find("\r\nNOTE:a\\nb\\nc\\nd\\,e\\;f\\\\g\\n\r\n"), std::string::npos) << vcard;
}

TEST(ContactFormats, VCardLinesFoldAt75OctetsBetweenCharacters) {
  // Three- and two-byte characters after 0 to 3 ASCII bytes; then (4) 300
  // ASCII bytes, no character to keep whole.
  for (std::size_t ascii = 0; ascii < 5; ++ascii) {
    exchange::Contact c;
    c.name = "N";
    c.notes = std::string(ascii, 'a');
    for (int i = 0; i < 60; ++i) c.notes += i % 3 == 0 ? "\u20AC" : "\u00E9";
    if (ascii == 4) c.notes = std::string(300, 'a');
    std::string out;
    exchange::AppendContactVCard(c, out);
    std::string unfolded;
    std::size_t start = 0;
    for (std::size_t end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2) {
      const std::string line = out.substr(start, end - start);
      EXPECT_LE(line.size(), 75u) << line;
      // Plain ASCII folds at exactly 75 octets, the blank included.
      const bool folded = out.compare(end + 2, 1, " ") == 0;
      if (ascii == 4 && folded) {
        EXPECT_EQ(line.size(), 75u) << line;
      }
      ASSERT_FALSE(line.empty());
      // No line starts (after the fold's blank) with a UTF-8 continuation byte.
      const unsigned char lead = static_cast<unsigned char>(line[line[0] == ' ' ? 1 : 0]);
      EXPECT_NE(lead & 0xC0, 0x80) << line;
      if (line[0] == ' ') {
        unfolded += line.substr(1);
      } else {
        unfolded += (unfolded.empty() ? "" : "\n") + line;
      }
    }
    EXPECT_NE(unfolded.find("\nNOTE:" + c.notes + "\n"), std::string::npos) << ascii;
  }
}

TEST_F(BooksFolder, CodePageChoosesTheLettersAndUndefinedBytesAreCounted) {
  mail.Write("B.PMR", tools::AddressBookBytes("B", {{"\x81\x82\x90\x9D", "b@x.org", "", "", ""}}));
  const auto nameOf = [&](const std::string& codePage, std::string& err) {
    Outcome o = Cli({"books", "--codepage", codePage, mail.path().string()});
    EXPECT_EQ(o.status, cli::kExitOk) << codePage;
    err = o.err;
    const std::size_t end = o.out.find(",b@x.org");
    const std::size_t start = o.out.rfind("\r\n", end) + 2;
    return o.out.substr(start, o.out.find(',', start) - start);
  };
  std::string err;
  EXPECT_EQ(nameOf("1252", err), "\uFFFD\u201A\uFFFD\uFFFD");
  // The accented letters of the other book count too: none is undefined.
  EXPECT_EQ(err, "quillmer-cli: 3 bytes not defined in code page 1252 written as U+FFFD\n");
  EXPECT_EQ(nameOf("cp850", err), "\u00FC\u00E9\u00C9\u00D8");
  EXPECT_EQ(err, "");
  EXPECT_EQ(nameOf("437", err), "\u00FC\u00E9\u00C9\u00A5");
  EXPECT_EQ(nameOf("1250", err), "\uFFFD\u201A\uFFFD\u0165");
  EXPECT_EQ(err, "quillmer-cli: 2 bytes not defined in code page 1250 written as U+FFFD\n");

  ExpectOneError({"books", "--codepage", "65001", mail.path().string()}, "'65001'");
  ExpectOneError({"books", "--format", "xml", mail.path().string()}, "'xml'");
  ExpectOneError({"books", mail.path().string(), "extra"}, "'extra'");
}

TEST(CliBooks, BooksComeInListingOrderAndAnUnreadableBookIsAnError) {
  fixture::TempFolder mail;
  for (const char* name : {"ONE", "TWO", "THREE"}) {
    mail.Write(std::string(name) + ".PMR",
               tools::AddressBookBytes(name, {{std::string(name) + " a", "a@x.org", "", "", ""},
                                              {std::string(name) + " b", "b@x.org", "", "", ""}}));
  }
  mail.Write("NOTES.TXT", "not a book");
  ASSERT_TRUE(platform::MakeFolderCurrent(mail.path().string()));
  std::string expected = "name,company,key,street,postal,phone,fax,notes,email,book\r\n";
  const std::vector<std::string> books =
      platform::ListMatchingFiles(".", "*.PMR").value_or(std::vector<std::string>{});
  const auto rows = [&](const std::string& file) {
    const std::string name = file.substr(0, file.size() - 4);
    return name + " a,,,,,,,,a@x.org," + file + "\r\n" + name + " b,,,,,,,,b@x.org," + file +
           "\r\n";
  };
  for (const std::string& file : books) expected += rows(file);
  EXPECT_EQ(Cli({"books"}).out, expected);

  // Books may be exported two at a time: a held book, wherever it falls,
  // leaves out only its own records, and books are named in listing order.
  const auto note = [](const std::string& file) {
    return "quillmer-cli: cannot read address book '" + file + "' (held by another program)\n";
  };
  for (const std::string& file : books) {
    const testsupport::ExclusiveHold held((mail.path() / file).string());
    ASSERT_TRUE(held.Held());
    const Outcome o = Cli({"books"});
    EXPECT_EQ(o.status, cli::kExitUnreadable) << file;
    std::string rest = expected;
    rest.erase(rest.find(rows(file)), rows(file).size());
    EXPECT_EQ(o.out, rest) << file;
    EXPECT_EQ(o.err, note(file));
  }
  const testsupport::ExclusiveHold first((mail.path() / books[0]).string());
  const testsupport::ExclusiveHold second((mail.path() / books[1]).string());
  ASSERT_TRUE(first.Held() && second.Held());
  const Outcome o = Cli({"books"});
  EXPECT_EQ(o.status, cli::kExitUnreadable);
  EXPECT_EQ(o.out,
            "name,company,key,street,postal,phone,fax,notes,email,book\r\n" + rows(books[2]));
  EXPECT_EQ(o.err, note(books[0]) + note(books[1]));
}

TEST(CliBooks, ALargeExportIsHandedOnInPiecesThatAddUpToTheWhole) {
  fixture::TempFolder mail;
  std::vector<tools::BookEntry> entries;
  for (int i = 0; i < 10000; ++i) {
    const std::string n = std::to_string(i);
    entries.push_back({"Person " + n, "p" + n + "@example.org", "Company " + n, "555 " + n,
                       "notes " + n, "K" + n, "Street " + n, "Postal " + n, "556 " + n});
  }
  mail.Write("BIG.PMR", tools::AddressBookBytes("Big", entries));
  const std::vector<std::string> args = {"books", "--format", "vcard", mail.path().string()};
  const Outcome whole = Cli(args);
  ASSERT_EQ(whole.status, cli::kExitOk);
  ASSERT_GT(whole.out.size(), std::size_t{2} << 20);

  std::string pieces;
  int drains = 0;
  std::string out;
  std::string err;
  const int status = cli::Run(args, "\n", out, err, {.drain = [&](std::string& bytes) {
                                ++drains;
                                EXPECT_GE(bytes.size(), std::size_t{1} << 20);
                                pieces += bytes;
                                bytes.clear();
                              }});
  EXPECT_EQ(status, cli::kExitOk);
  EXPECT_GE(drains, 2);
  EXPECT_LT(out.size(), std::size_t{1} << 20);
  EXPECT_TRUE(pieces + out == whole.out);
  EXPECT_EQ(err, "");
}

// Every option a command takes, each value of it, and each export target
// is explained in the command's own help, not only named in its usage.
TEST(CliInfo, EachOptionIsExplainedInItsCommandsHelp) {
  for (const cli::Command* command : cli::Commands()) {
    const Outcome o = Cli({std::string(command->name), "--help"});
    const std::string usage = o.out.substr(0, o.out.find('\n'));
    const std::string body = o.out.substr(usage.size());
    for (const cli::Option& option : command->options) {
      const std::string name(option.name);
      EXPECT_NE(usage.find(name), std::string::npos) << command->name << " " << name;
      EXPECT_NE(body.find(name), std::string::npos) << command->name << " " << name;
      for (const std::string_view choice : option.choices) {
        EXPECT_NE(body.find("  " + name + " " + std::string(choice) + " "), std::string::npos)
            << command->name << " " << name << " " << choice;
      }
    }
  }
  const Outcome exportHelp = Cli({"export", "--help"});
  const Outcome help = Cli({"--help"});
  const Outcome checkHelp = Cli({"check", "--help"});
  for (const engine::FindingKind kind :
       {engine::FindingKind::kUnknown, engine::FindingKind::kNoAddress,
        engine::FindingKind::kAmbiguous, engine::FindingKind::kDuplicate,
        engine::FindingKind::kNotAnAddress, engine::FindingKind::kUnreadable}) {
    const std::string name(engine::FindingKindName(kind));
    EXPECT_NE(checkHelp.out.find("\n  " + name + " "), std::string::npos) << name;
    EXPECT_NE(help.out.find(" " + name), std::string::npos) << name;
  }
  for (const exchange::ExportTarget& target : exchange::ExportTargets()) {
    const std::string name(target.name);
    EXPECT_NE(exportHelp.out.find("\n  --to " + name + " "), std::string::npos) << name;
    EXPECT_NE(help.out.find(" " + name), std::string::npos) << name;
  }
}

#ifdef QUILLMER_SOURCE_DIR
// What the README and the user's guide say about the targets names each one.
TEST(CliInfo, TheDocumentsNameEveryTarget) {
  const auto read = [](const char* file) {
    return platform::ReadWholeFileExclusive(std::string(QUILLMER_SOURCE_DIR) + "/" + file)
        .value_or("");
  };
  const std::string readme = read("README.md");
  const std::string guide = read("docs/USER_GUIDE.txt");
  ASSERT_FALSE(readme.empty());
  ASSERT_FALSE(guide.empty());
  std::string names;
  std::vector<std::string_view> dropping;
  for (const exchange::ExportTarget& target : exchange::ExportTargets()) {
    names += (names.empty() ? "" : "|") + std::string(target.name);
    if (target.dropsEmptyLists) dropping.push_back(target.name);
    std::string listed = "\n        " + std::string(target.name);
    listed.resize(std::max<std::size_t>(listed.size() + 1, 22), ' ');
    EXPECT_NE(guide.find(listed), std::string::npos) << target.name;
  }
  EXPECT_NE(readme.find("`export --to " + names + "`"), std::string::npos) << names;
  EXPECT_NE(guide.find("left out by " + cli::Alternatives(dropping, "and")), std::string::npos);
}
#endif

TEST(CliInfo, HelpAndVersionGoToStandardOutput) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"-h"}, {"/?"}, {"nonsense", "--help"}}) {
    const Outcome o = Cli(args);
    EXPECT_EQ(o.status, cli::kExitOk);
    EXPECT_EQ(o.out.rfind("Usage: quillmer-cli COMMAND", 0), 0u);
    EXPECT_NE(o.out.find("expand [--strip] [--sort] [FOLDER] LIST"), std::string::npos);
    for (const char* command : {"lists", "expand", "check", "books"}) {
      EXPECT_NE(o.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
    }
    EXPECT_EQ(o.err, "");
  }
  // Each command's own help, also with other words around it.
  for (const std::vector<std::string>& args : {std::vector<std::string>{"lists", "--help"},
                                               {"expand", "--format", "to", "--help"},
                                               {"check", "-h"},
                                               {"books", "/tmp", "--help"}}) {
    const Outcome o = Cli(args);
    EXPECT_EQ(o.status, cli::kExitOk);
    EXPECT_EQ(o.out.rfind("Usage: quillmer-cli " + args[0] + " ", 0), 0u) << o.out;
    EXPECT_EQ(o.err, "");
  }
  const Outcome v = Cli({"--version"});
  EXPECT_EQ(v.status, cli::kExitOk);
  EXPECT_EQ(v.out, "quillmer-cli 1.1\n");
}

}  // namespace
