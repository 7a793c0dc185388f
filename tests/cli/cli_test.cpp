// quillmer-cli commands run in process on real mail folders.
#include "cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/exclusive_hold.h"
#include "tests/engine/book_fixture.h"

namespace {

using fixture::Record;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome Cli(const std::vector<std::string>& args) {
  Outcome o;
  o.status = cli::Run(args, "\n", o.out, o.err);
  return o;
}

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
    return platform::ListMatchingFiles("*.PML");
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
  for (const std::string& name : platform::ListMatchingFiles("*.PML")) {
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

TEST_F(MailFolder, CheckReportsUnknownNamesWithTitleAndLineNumber) {
  const Outcome o = Cli({"check", Folder()});
  EXPECT_EQ(o.status, cli::kExitUnknownNames);
  EXPECT_EQ(o.out,
            "CLUB.PML\tFriends of the club\t5\tNobody Known\n"
            "CLUB.PML\tFriends of the club\t7\tsales team \n");
  EXPECT_EQ(o.err, "");

  mail.Write("CLUB.PML", "\\TITLE Fine\r\nJO SMITH\r\n\\comment\r\nnobody@example.org\r\n");
  const Outcome clean = Cli({"check", Folder()});
  EXPECT_EQ(clean.status, cli::kExitOk);
  EXPECT_EQ(clean.out, "");
}

TEST_F(MailFolder, NothingIsWrittenToTheMailFolder) {
  const auto snapshot = [&] {
    std::map<std::string, std::pair<std::string, std::filesystem::file_time_type>> files;
    for (const auto& entry : std::filesystem::directory_iterator(mail.path())) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::string bytes(static_cast<std::size_t>(entry.file_size()), '\0');
      in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      files[entry.path().filename().string()] = {bytes, entry.last_write_time()};
    }
    return files;
  };
  const auto before = snapshot();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"lists", Folder()},
        {"check", Folder()},
        {"expand", "--strip", "--sort", Folder(), "CLUB.PML"},
        {"expand", Folder(), "nope"}}) {
    Cli(args);
  }
  EXPECT_EQ(snapshot(), before);
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
  ExpectOneError({"--verbose"}, "'--verbose'");
  ExpectOneError({"expand", "--strp", Folder(), "CLUB.PML"}, "'--strp'");
  ExpectOneError({"lists", "--sort", Folder()}, "'--sort'");
  ExpectOneError({"check", "-x"}, "'-x'");
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
}

TEST_F(MailFolder, AListHeldByAnotherProgramIsAnError) {
  mail.Write("OTHER.PML", "\\TITLE Other\r\nNobody Either\r\n");
  const testsupport::ExclusiveHold held((mail.path() / "CLUB.PML").string());
  ASSERT_TRUE(held.Held());
  ExpectOneError({"expand", Folder(), "CLUB.PML"}, "'CLUB.PML'");
  // check goes on with the other lists, and still fails.
  const Outcome o = Cli({"check", Folder()});
  EXPECT_EQ(o.status, cli::kExitError);
  EXPECT_EQ(o.out, "OTHER.PML\tOther\t2\tNobody Either\n");
  EXPECT_NE(o.err.find("'CLUB.PML'"), std::string::npos);
}

TEST(CliInfo, HelpAndVersionGoToStandardOutput) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"expand", "--help"}, {"-h"}, {"/?"}}) {
    const Outcome o = Cli(args);
    EXPECT_EQ(o.status, cli::kExitOk);
    EXPECT_EQ(o.out.rfind("Usage: quillmer-cli COMMAND", 0), 0u);
    EXPECT_NE(o.out.find("expand [--strip] [--sort] [FOLDER] LIST"), std::string::npos);
    EXPECT_EQ(o.err, "");
  }
  const Outcome v = Cli({"--version"});
  EXPECT_EQ(v.status, cli::kExitOk);
  EXPECT_EQ(v.out, "quillmer-cli 1.1\n");
}

}  // namespace
