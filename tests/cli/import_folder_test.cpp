// The import's folder writer on real folders: which entries go in as names
// and which as addresses, what the book's fields keep, the new files' names,
// and that a failed import leaves nothing. Each list written is read back by
// the real quillmer-cli (expand --format to) and, for every order the books
// could be listed in, by the engine's own index.
#include "exchange/import_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/address_book.h"
#include "engine/address_book_record.h"
#include "engine/bytes.h"
#include "engine/expansion.h"
#include "engine/first_match_index.h"
#include "engine/mail_folder.h"
#include "engine/output_options.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "tests/cli/cli_runner.h"
#include "tests/engine/book_fixture.h"
#include "tests/support/exclusive_hold.h"

namespace {

namespace fs = std::filesystem;

using exchange::ImportedContact;
using exchange::ImportedFile;
using exchange::ImportedGroup;
using exchange::ImportedMember;
using exchange::ImportPlan;
using fixture::Record;

using Kind = ImportedMember::Kind;

ImportedMember ContactMember(std::size_t index) {
  return {Kind::kContact, index, "", ""};
}
ImportedMember GroupMember(std::size_t index) {
  return {Kind::kGroup, index, "", ""};
}
ImportedMember AddressMember(std::string address, std::string name = "") {
  return {Kind::kAddress, 0, std::move(address), std::move(name)};
}
ImportedContact Contact(std::string name, std::string address) {
  return {Record{.name = std::move(name), .address = std::move(address)}, 1};
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    names.insert(e.path().filename().string());
  }
  return names;
}

// Plans and writes `file` into `folder` as the command does.
ImportPlan Import(const fs::path& folder, const ImportedFile& file, unsigned codePage = 1252) {
  const std::string path = folder.string();
  const engine::OpenedFolder opened = engine::OpenMailFolder(path);
  const std::vector<std::string> taken =
      platform::ListEntryNames(path).value_or(std::vector<std::string>{});
  const platform::CodePageEncoder encoder(codePage);
  ImportPlan plan = exchange::PlanImport(file, opened.folder.get(), taken, "Test", encoder);
  const auto fault = exchange::WriteImport(path, plan);
  EXPECT_FALSE(fault) << (fault ? fault->file : "");
  return plan;
}

// The entry lines of a list file, its title line left out.
std::vector<std::string> ListEntries(const std::string& bytes) {
  std::vector<std::string> entries;
  engine::ForEachListEntry(
      bytes, [&](std::size_t, std::string_view entry) { entries.emplace_back(entry); });
  return entries;
}

// The addresses of a To line: "Name <address>" or "address", ", " between.
std::vector<std::string> ToAddresses(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  std::vector<std::string> addresses;
  std::size_t start = 0;
  bool quoted = false;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i < line.size() && line[i] == '"') quoted = !quoted;
    if (i < line.size() && (quoted || line.compare(i, 2, ", ") != 0)) continue;
    std::string item = line.substr(start, i - start);
    if (!item.empty() && item.back() == '>') {
      item = item.substr(item.rfind('<') + 1);
      item.pop_back();
    }
    if (!item.empty()) addresses.push_back(item);
    start = i + 2;
  }
  return addresses;
}

// What `expand --format to` of list `file` in `folder` reaches.
std::vector<std::string> ExpandTo(const fs::path& folder, const std::string& file) {
  const clitest::Outcome o = clitest::Cli({"expand", "--format", "to", folder.string(), file});
  EXPECT_EQ(o.status, 0) << o.err;
  return ToAddresses(o.out);
}

// What the list's entries reach with the books read in every order the
// listing could give them: one answer per order.
std::set<std::vector<std::string>> ReachedInEveryOrder(const fs::path& folder,
                                                       const std::string& list) {
  std::vector<std::string> books;
  for (const std::string& name : Entries(folder)) {
    if (name.size() > 4 && engine::UpperCase(name.substr(name.size() - 4)) == ".PMR") {
      books.push_back(name);
    }
  }
  std::sort(books.begin(), books.end());
  std::set<std::vector<std::string>> answers;
  do {
    engine::StringTable names;
    engine::StringTable addresses;
    for (const std::string& book : books) {
      engine::AppendBookRecords(Slurp(folder / book), names, addresses);
    }
    const engine::FirstMatchIndex index(names);
    const std::string pane =
        engine::StripNames(engine::ExpandListText(Slurp(folder / list), index, addresses));
    std::vector<std::string> reached;
    for (const std::string_view line : engine::SplitCrLfSegments(pane)) {
      if (!line.empty()) reached.emplace_back(line);
    }
    answers.insert(reached);
  } while (std::next_permutation(books.begin(), books.end()));
  return answers;
}

struct EntryCase {
  const char* what;
  std::vector<Record> oldBook;     // OLD.PMR, when not empty
  std::vector<Record> secondBook;  // ZED.PMR, when not empty
  std::vector<ImportedContact> contacts;
  std::vector<ImportedMember> members;  // of the one group
  std::vector<std::string> entries;     // the list's entries as written
  std::vector<std::string> reached;     // the group's addresses, each once
  std::size_t leftOut = 0;
  unsigned codePage = 1252;
};

TEST(ImportFolder, WritesANameOnlyWhereEveryRecordOfTheFolderWithItLeadsToTheMembersAddress) {
  const std::string longName(39, 'L');
  const EntryCase cases[] = {
      {"a name only the new book knows",
       {},
       {},
       {Contact("Jo Smith", "jo@example.org")},
       {ContactMember(0)},
       {"Jo Smith"},
       {"jo@example.org"}},
      {"a name an old book holds with another address",
       {{.name = "Jo Smith", .address = "jo@old.example"}},
       {},
       {Contact("Jo Smith", "jo@example.org")},
       {ContactMember(0)},
       {"jo@example.org"},
       {"jo@example.org"}},
      {"a name an old book holds with the same address",
       {{.name = "Jo Smith", .address = "jo@example.org"}},
       {},
       {Contact("Jo Smith", "jo@example.org")},
       {ContactMember(0)},
       {"Jo Smith"},
       {"jo@example.org"}},
      {"the old book's name in other letter case",
       {{.name = "JO SMITH", .address = "jo@old.example"}},
       {},
       {Contact("jo smith", "jo@example.org")},
       {ContactMember(0)},
       {"jo@example.org"},
       {"jo@example.org"}},
      {"a second old book knows it otherwise",
       {{.name = "Jo Smith", .address = "jo@example.org"}},
       {{.name = "jo Smith", .address = "smith@other.example"}},
       {Contact("Jo Smith", "jo@example.org")},
       {ContactMember(0)},
       {"jo@example.org"},
       {"jo@example.org"}},
      {"the same address stored in other letter case",
       {{.name = "Jo Smith", .address = "JO@EXAMPLE.ORG"}},
       {},
       {Contact("Jo Smith", "jo@example.org")},
       {ContactMember(0)},
       {"jo@example.org"},
       {"jo@example.org"}},
      // 0xC9 and 0xE9 are not each other's capitals to the index.
      {"an accented capital is another name",
       {{.name = "REN\xC9", .address = "rene@old.example"}},
       {},
       {Contact("Ren\xC3\xA9", "rene@example.fr")},
       {ContactMember(0)},
       {"Ren\xE9"},
       {"rene@example.fr"}},
      // In code page 437 the index takes 0x81 (u with diaeresis) as 0x9A.
      {"an OEM letter in other letter case",
       {{.name = "M\x9ALLER", .address = "m@old.example"}},
       {},
       {Contact("M\xC3\xBCller", "m@example.de")},
       {ContactMember(0)},
       {"m@example.de"},
       {"m@example.de"},
       0,
       437},
      {"an OEM letter no old book has",
       {},
       {},
       {Contact("M\xC3\xBCller", "m@example.de")},
       {ContactMember(0)},
       {"M\x81ller"},
       {"m@example.de"},
       0,
       437},
      {"the same name twice in the new book",
       {},
       {},
       {Contact("Sam", "sam@one.example"), Contact("Sam", "sam@two.example")},
       {ContactMember(0), ContactMember(1)},
       {"sam@one.example", "sam@two.example"},
       {"sam@one.example", "sam@two.example"}},
      {"names alike in the 39 bytes a name keeps",
       {},
       {},
       {Contact(longName + "a", "a@example.org"), Contact(longName + "b", "b@example.org")},
       {ContactMember(0), ContactMember(1)},
       {"a@example.org", "b@example.org"},
       {"a@example.org", "b@example.org"}},
      {"an address some record has as its name",
       {{.name = "jo@example.org", .address = "x@old.example"}},
       {},
       {Contact("jo@example.org", "jo@example.org")},
       {ContactMember(0)},
       {"<jo@example.org>"},
       {"jo@example.org"}},
      {"an address the new book has as a name",
       {},
       {},
       {Contact("pat@example.org", "pat@example.org"), Contact("Pat", "pat@example.org"),
        Contact("kim@example.org", "other@example.org")},
       {ContactMember(0), ContactMember(1), AddressMember("kim@example.org")},
       {"pat@example.org", "<kim@example.org>"},
       {"pat@example.org", "kim@example.org"}},
      {"each address once, letter case ignored",
       {},
       {},
       {Contact("Jo", "jo@example.org"), Contact("Joanna", "JO@Example.org")},
       {ContactMember(0), ContactMember(1), ContactMember(0), AddressMember("jo@EXAMPLE.org")},
       {"Jo"},
       {"jo@example.org"}},
      {"a plain address with a name an old book knows",
       {{.name = "Club Desk", .address = "desk@club.example"}},
       {},
       {},
       {AddressMember("desk@club.example", "club desk"), AddressMember("ann@example.org", "Ann")},
       {"club desk", "ann@example.org"},
       {"desk@club.example", "ann@example.org"}},
      {"names a list line cannot hold",
       {},
       {},
       {Contact("\\TITLE", "t@example.org"), Contact("Two\nlines", "l@example.org")},
       {ContactMember(0), ContactMember(1)},
       {"t@example.org", "l@example.org"},
       {"t@example.org", "l@example.org"}},
      {"members without an address",
       {{.name = "Ghost", .address = ""}},
       {},
       {Contact("Ghost", ""), Contact("Jo", "jo@example.org")},
       {ContactMember(0), AddressMember(""), ContactMember(1)},
       {"Jo"},
       {"jo@example.org"},
       2},
      {"an address longer than the book holds",
       {},
       {},
       {Contact("Long", std::string(120, 'a') + "@example.org")},
       {ContactMember(0)},
       {std::string(120, 'a') + "@example.org"},
       {std::string(120, 'a') + "@example.org"}},
      {"an address the code page cannot hold",
       {},
       {},
       {Contact("Zo\xC3\xAB", "\xD0\xB7@example.org")},
       {ContactMember(0)},
       {},
       {},
       1},
  };
  for (const EntryCase& c : cases) {
    SCOPED_TRACE(c.what);
    fixture::TempFolder mail;
    if (!c.oldBook.empty()) mail.Write("OLD.PMR", fixture::BookBytes("Old", c.oldBook));
    if (!c.secondBook.empty()) mail.Write("ZED.PMR", fixture::BookBytes("Zed", c.secondBook));
    ImportedFile file;
    file.contacts = c.contacts;
    file.groups.push_back(ImportedGroup{"Club", c.members, 1});
    const ImportPlan plan = Import(mail.path(), file, c.codePage);
    ASSERT_EQ(plan.lists.size(), 1u);
    const exchange::PlannedList& list = plan.lists[0];
    EXPECT_EQ(list.file, "CLUB.PML");
    EXPECT_EQ(Slurp(mail.path() / list.file), list.bytes);
    EXPECT_EQ(ListEntries(list.bytes), c.entries);
    EXPECT_EQ(list.leftOut.size(), c.leftOut);
    EXPECT_EQ(list.asNames + list.asAddresses, c.entries.size());
    EXPECT_EQ(list.members, c.reached.size() + c.leftOut);
    EXPECT_EQ(ExpandTo(mail.path(), list.file), c.reached);
    EXPECT_EQ(ReachedInEveryOrder(mail.path(), list.file), std::set{c.reached});
  }
}

TEST(ImportFolder, NamesTheEntriesOfTheFoldersListsTheNewBookMayLeadElsewhere) {
  fixture::TempFolder mail;
  mail.Write("OLD.PMR",
             fixture::BookBytes("Old", {{.name = "Jo Smith", .address = "jo@old.example"},
                                        {.name = "Ann", .address = "ann@example.org"}}));
  ImportedFile file;
  file.contacts = {Contact("Jo Smith", "jo@new.example"), Contact("ann", "ann@example.org"),
                   Contact("pat@example.org", "other@example.org"),
                   Contact("Nobody", "n@example.org")};
  const std::string path = mail.path().string();
  const engine::OpenedFolder opened = engine::OpenMailFolder(path);
  const platform::CodePageEncoder encoder(1252);
  const ImportPlan plan = exchange::PlanImport(file, opened.folder.get(),
                                               *platform::ListEntryNames(path), "Test", encoder);
  const exchange::ExistingEntries existing(plan, *opened.folder);
  struct Case {
    std::string entry;
    std::optional<std::pair<std::string, std::string>> turn;  // now, before
  };
  const Case cases[] = {
      {"jo smith", {{"jo@new.example", "jo@old.example"}}},
      {"ANN", std::nullopt},  // the same address either way
      {"pat@example.org", {{"other@example.org", "pat@example.org"}}},
      {"nobody", {{"n@example.org", ""}}},
      {"Jo Smith ", std::nullopt},  // another name
      {"zed@example.org", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    const auto turn = existing.Turns(c.entry);
    ASSERT_EQ(turn.has_value(), c.turn.has_value());
    if (turn) {
      EXPECT_EQ(std::make_pair(turn->now, turn->before), *c.turn);
    }
  }
}

TEST(ImportFolder, FlattensNestedGroupsThroughCyclesEachAddressOnce) {
  fixture::TempFolder mail;
  ImportedFile file;
  file.contacts = {Contact("Ann", "ann@example.org"), Contact("Bo", "bo@example.org"),
                   Contact("Cy", "cy@example.org")};
  file.groups = {
      {"Board", {ContactMember(0), GroupMember(1), ContactMember(2)}, 1},
      {"Staff", {ContactMember(1), GroupMember(0), GroupMember(2)}, 2},  // back to Board
      {"Self", {GroupMember(2), AddressMember("dee@example.org")}, 3},
      {"Empty", {}, 4},
  };
  const ImportPlan plan = Import(mail.path(), file);
  ASSERT_EQ(plan.lists.size(), 4u);
  const std::vector<std::vector<std::string>> reached = {
      {"ann@example.org", "bo@example.org", "dee@example.org", "cy@example.org"},
      {"bo@example.org", "ann@example.org", "cy@example.org", "dee@example.org"},
      {"dee@example.org"},
      {}};
  for (std::size_t k = 0; k < plan.lists.size(); ++k) {
    SCOPED_TRACE(plan.lists[k].file);
    EXPECT_EQ(ExpandTo(mail.path(), plan.lists[k].file), reached[k]);
    EXPECT_EQ(plan.lists[k].members, reached[k].size());
  }
  EXPECT_EQ(ListEntries(plan.lists[0].bytes),
            (std::vector<std::string>{"Ann", "Bo", "dee@example.org", "Cy"}));
  EXPECT_EQ(plan.lists[3].bytes, "\\TITLE Empty\r\n");
}

TEST(ImportFolder, CutsEachFieldToItsRoomAndWritesWhatTheCodePageLacksAsQuestionMarks) {
  struct Case {
    unsigned codePage;
    Record fields;
    Record stored;
    std::vector<exchange::FieldLoss> losses;
  };
  const std::string notes(85, 'n');
  const Case cases[] = {
      {1252,
       {.name = "\xC5\x81ukasz \xE2\x82\xAC", .address = "l@example.pl"},
       {.name = "?ukasz \x80", .address = "l@example.pl"},
       {{"name", 0, 1}}},
      {1250,
       {.name = "\xC5\x81ukasz \xE2\x82\xAC", .address = "l@example.pl"},
       {.name = "\xA3ukasz \x80", .address = "l@example.pl"},
       {}},
      {850,
       {.name = "\xC3\xBC\xE2\x82\xAC", .address = "u@example.de"},
       {.name = "\x81?", .address = "u@example.de"},
       {{"name", 0, 1}}},
      {1252,
       {.name = std::string(45, 'N'),
        .address = "a@example.org",
        .company = "Co",
        .phone = std::string(23, '1'),
        .notes = "\xC3\xA9" + notes},
       {.name = std::string(39, 'N'),
        .address = "a@example.org",
        .company = "Co",
        .phone = std::string(23, '1'),
        .notes = "\xE9" + notes.substr(0, 78)},
       {{"name", 6, 0}, {"notes", 7, 0}}},
      {1252,
       {.name = "Kim", .address = "kim@example.org", .key = "\xE2\x98\x83" + std::string(12, 'k')},
       {.name = "Kim", .address = "kim@example.org", .key = "?" + std::string(10, 'k')},
       {{"key", 2, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fields.name);
    fixture::TempFolder mail;
    ImportedFile file;
    file.contacts = {{c.fields, 1}};
    const ImportPlan plan = Import(mail.path(), file, c.codePage);
    ASSERT_EQ(plan.bookFile, "IMPORT.PMR");
    const std::string book = Slurp(mail.path() / "IMPORT.PMR");
    ASSERT_EQ(book.size(), 128u + 458u);
    EXPECT_EQ(book.substr(0, 5), std::string("Test\0", 5));
    const Record stored = engine::ReadBookRecordFields(book.substr(128));
    EXPECT_EQ(stored.name, c.stored.name);
    EXPECT_EQ(stored.address, c.stored.address);
    EXPECT_EQ(stored.company, c.stored.company);
    EXPECT_EQ(stored.phone, c.stored.phone);
    EXPECT_EQ(stored.notes, c.stored.notes);
    EXPECT_EQ(stored.key, c.stored.key);
    ASSERT_EQ(plan.contacts.size(), 1u);
    const auto& losses = plan.contacts[0].losses;
    ASSERT_EQ(losses.size(), c.losses.size());
    for (std::size_t k = 0; k < losses.size(); ++k) {
      EXPECT_EQ(losses[k].field, c.losses[k].field);
      EXPECT_EQ(losses[k].cut, c.losses[k].cut);
      EXPECT_EQ(losses[k].lost, c.losses[k].lost);
    }
  }
}

TEST(ImportFolder, TitlesAreOneLineCutToWhatATitleLineHolds) {
  fixture::TempFolder mail;
  ImportedFile file;
  file.groups = {{"Choir\r\nsopranos", {}, 1}, {std::string(60, 't'), {}, 2}, {"", {}, 3}};
  const ImportPlan plan = Import(mail.path(), file);
  ASSERT_EQ(plan.lists.size(), 3u);
  EXPECT_EQ(plan.lists[0].bytes, "\\TITLE Choir  sopranos\r\n");
  EXPECT_EQ(plan.lists[1].bytes, "\\TITLE " + std::string(50, 't') + "\r\n");
  EXPECT_EQ(plan.lists[1].titleLoss.cut, 10u);
  EXPECT_EQ(plan.lists[2].bytes, "\\TITLE \r\n");
  // What the folder's catalogue shows.
  const clitest::Outcome lists = clitest::Cli({"lists", mail.path().string()});
  EXPECT_NE(lists.out.find("\tChoir  sopranos\n"), std::string::npos) << lists.out;
  EXPECT_TRUE(plan.bookFile.empty());  // no contacts, no book
  EXPECT_EQ(Entries(mail.path()),
            (std::set<std::string>{"CHOIRSOP.PML", "TTTTTTTT.PML", "LIST.PML"}));
}

TEST(ImportFolder, NamesNewFilesShortPlainAndUniqueInTheFolder) {
  fixture::TempFolder mail;
  mail.Write("IMPORT.PMR", "");
  mail.Write("import1.pmr", "");
  mail.Write("FRIENDS.PML", "old");
  fs::create_directory(mail.path() / "friends1.pml");
  ImportedFile file;
  file.contacts = {Contact("Jo", "jo@example.org")};
  file.groups = {{"Friends", {}, 1},
                 {"friends", {}, 2},
                 {"\xC3\x86r\xC3\xB8 Club", {}, 3},
                 {"Con", {}, 4},
                 {"COM", {}, 5},
                 {"Committee of the club", {}, 6},
                 {"Committee of the board", {}, 7},
                 {"\xD0\x9A\xD0\xBB\xD1\x83\xD0\xB1", {}, 8},
                 {"  -- ", {}, 9}};
  const ImportPlan plan = Import(mail.path(), file);
  EXPECT_EQ(plan.bookFile, "IMPORT2.PMR");
  std::vector<std::string> files;
  for (const auto& list : plan.lists) files.push_back(list.file);
  EXPECT_EQ(files, (std::vector<std::string>{"FRIENDS2.PML", "FRIENDS3.PML", "AROCLUB.PML",
                                             "CON1.PML", "COM.PML", "COMMITTE.PML", "COMMITT1.PML",
                                             "LIST.PML", "LIST1.PML"}));
  // COM alone is no device; COM1 to COM9 are.
  file.groups = {{"COM", {}, 1}};
  fixture::TempFolder other;
  other.Write("COM.PML", "");
  const ImportPlan second = Import(other.path(), file);
  ASSERT_EQ(second.lists.size(), 1u);
  EXPECT_EQ(second.lists[0].file, "COM10.PML");
  EXPECT_EQ(Slurp(mail.path() / "FRIENDS.PML"), "old");
}

TEST(ImportFolder, AFailedWriteLeavesNothingAndOverwritesNothing) {
  fixture::TempFolder mail;
  mail.Write("OLD.PMR", fixture::BookBytes("Old", {{.name = "Jo", .address = "jo@example.org"}}));
  ImportedFile file;
  file.contacts = {Contact("Ann", "ann@example.org")};
  file.groups = {
      {"First", {ContactMember(0)}, 1}, {"Second", {ContactMember(0)}, 2}, {"Third", {}, 3}};
  const std::string path = mail.path().string();
  const engine::OpenedFolder opened = engine::OpenMailFolder(path);
  const platform::CodePageEncoder encoder(1252);
  const ImportPlan plan = exchange::PlanImport(file, opened.folder.get(),
                                               *platform::ListEntryNames(path), "Test", encoder);
  ASSERT_EQ(plan.lists.size(), 3u);
  // Another program takes the second list's name after the planning.
  mail.Write(plan.lists[1].file, "theirs");
  const std::set<std::string> before = Entries(mail.path());
  const auto fault = exchange::WriteImport(path, plan);
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->file, plan.lists[1].file);
  EXPECT_EQ(fault->why, platform::WriteFailure::kExists);
  EXPECT_EQ(Entries(mail.path()), before);
  EXPECT_EQ(Slurp(mail.path() / plan.lists[1].file), "theirs");

  // Into a folder that is not there: the first file fails, nothing is made.
  const auto missing = exchange::WriteImport((mail.path() / "gone").string(), plan);
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->file, plan.bookFile);
  EXPECT_EQ(missing->why, platform::WriteFailure::kMissing);
  EXPECT_EQ(Entries(mail.path()), before);
}

TEST(ImportFolder, RenameNeverReplacesAFile) {
  fixture::TempFolder mail;
  mail.Write("A.TMP", "new");
  mail.Write("B.PML", "theirs");
  const std::string a = (mail.path() / "A.TMP").string();
  const std::string b = (mail.path() / "B.PML").string();
  EXPECT_EQ(platform::RenameNoReplace(a, b), platform::WriteFailure::kExists);
  EXPECT_EQ(Slurp(b), "theirs");
  EXPECT_EQ(Slurp(a), "new");
  EXPECT_EQ(platform::WriteNewFile(b, "x"), platform::WriteFailure::kExists);
  EXPECT_EQ(Slurp(b), "theirs");
  const std::string c = (mail.path() / "C.PML").string();
  EXPECT_EQ(platform::RenameNoReplace(a, c), platform::WriteFailure::kNone);
  EXPECT_EQ(Slurp(c), "new");
  EXPECT_FALSE(fs::exists(a));
}

// The command before it writes: every mistake on its line, and a file it
// cannot read or that holds a fault, ends with one line on standard error,
// exit status 2, no output, and no folder made.
TEST(ImportCli, RefusesWithOneLineAndWritesNothing) {
  fixture::TempFolder work;
  work.Write("binary.csv", std::string("name,email\r\nJo\0,jo@example.org\r\n", 31));
  work.Write("notes.txt", "not a folder");
  work.Write("jo.aliases", "alias jo Jo <jo@example.org>\n");
  const std::string into = (work.path() / "Mail").string();
  const std::string file = (work.path() / "binary.csv").string();
  const std::string missing = (work.path() / "missing.csv").string();
  const std::string names = "thunderbird, ldap, vcard, apple, google, outlook, mutt or csv";
  struct Case {
    std::vector<std::string> args;
    std::string err;  // its start
  };
  const Case cases[] = {
      {{"import", "--into", into, file},
       "quillmer-cli: import needs --from SOURCE (expected " + names + ")\n"},
      {{"import", "--from", "gmail", "--into", into, file},
       "quillmer-cli: unknown source 'gmail' for import (expected " + names + ")\n"},
      {{"import", "--from", "csv", file}, "quillmer-cli: import needs --into FOLDER"},
      {{"import", "--from", "csv", "--into", into}, "quillmer-cli: import needs a FILE to read\n"},
      {{"import", "--from", "csv", "--into", into, file, file},
       "quillmer-cli: too many arguments for import: '" + file + "'\n"},
      {{"import", "--from", "csv", "--codepage", "65001", "--into", into, file},
       "quillmer-cli: unknown code page '65001'"},
      {{"import", "--from", "csv", "--into", into, missing},
       "quillmer-cli: cannot read '" + missing + "' (missing)\n"},
      {{"import", "--from", "csv", "--into", into, work.path().string()},
       "quillmer-cli: cannot read '" + work.path().string() + "' (not a file)\n"},
      {{"import", "--from", "csv", "--into", into, file}, "quillmer-cli: " + file + ":"},
      {{"import", "--from", "mutt", "--into", (work.path() / "none" / "Mail").string(),
        (work.path() / "jo.aliases").string()},
       "quillmer-cli: cannot make folder '" + (work.path() / "none" / "Mail").string() +
           "' (the folder it goes in is not there)\n"},
      {{"import", "--from", "mutt", "--into", (work.path() / "notes.txt").string(),
        (work.path() / "jo.aliases").string()},
       "quillmer-cli: cannot import into '" + (work.path() / "notes.txt").string() +
           "': not a folder\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const clitest::Outcome o = clitest::Cli(c.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err.substr(0, c.err.size()), c.err);
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_FALSE(fs::exists(into));
  }
  EXPECT_EQ(Slurp(work.path() / "notes.txt"), "not a folder");
}

// A mutt alias file into a folder not there yet: the report first, the
// files, the summary; a second import beside the first.
TEST(ImportCli, ReportsEachListAndContactThenWritesTheFilesAndSumsUp) {
  fixture::TempFolder work;
  work.Write("club.aliases",
             "# the club\n"
             "alias chair Christopher Alexander Montgomery-Smithson <chair@club.example>\n"
             "alias tre \xC5\x81ucja \xE2\x98\x83 <lucja@club.example>\n"
             "alias board chair, tre\n"
             "alias all board, sec@club.example, chair\n");
  const std::string mail = (work.path() / "Mail").string();
  const clitest::Outcome o = clitest::Cli({"import", "--from", "mutt", "--report", "--into", mail,
                                           (work.path() / "club.aliases").string()});
  EXPECT_EQ(o.status, 0) << o.err;
  // file, title, members, as names, as addresses, left out; book, record,
  // name, cut, written as '?'.
  EXPECT_EQ(o.out,
            "BOARD.PML\tboard\t2\t2\t0\t0\n"
            "ALL.PML\tall\t3\t2\t1\t0\n"
            "IMPORT.PMR\t1\tChristopher Alexander Montgomery-Smithson\tname 2\tnone\n"
            "IMPORT.PMR\t2\t\xC5\x81ucja \xE2\x98\x83\tnone\tname 2\n");
  EXPECT_EQ(o.err,
            "quillmer-cli: import from mutt: 2 contacts into IMPORT.PMR, 2 lists (BOARD.PML, "
            "ALL.PML): 4 entries as names, 1 as addresses, 0 members left out; 1 field cut, 2 "
            "characters written as '?'\n");
  EXPECT_EQ(Entries(mail), (std::set<std::string>{"IMPORT.PMR", "BOARD.PML", "ALL.PML"}));
  EXPECT_EQ(clitest::Cli({"expand", "--format", "to", mail, "all"}).out,
            "Christopher Alexander Montgomery-Smiths <chair@club.example>, ?ucja ? "
            "<lucja@club.example>, sec@club.example\n");

  // Again, without the report: new names, and the entries the new book may
  // turn in the lists already there are named.
  const clitest::Outcome again = clitest::Cli(
      {"import", "--from", "mutt", "--into", mail, (work.path() / "club.aliases").string()});
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "");
  EXPECT_NE(again.err.find("into IMPORT1.PMR, 2 lists (BOARD1.PML, ALL1.PML)"), std::string::npos)
      << again.err;
  EXPECT_EQ(again.err.find("may reach"), std::string::npos) << again.err;  // the same addresses
  EXPECT_EQ(Entries(mail), (std::set<std::string>{"IMPORT.PMR", "BOARD.PML", "ALL.PML",
                                                  "IMPORT1.PMR", "BOARD1.PML", "ALL1.PML"}));
}

TEST(ImportCli, ABookItCannotReadStopsTheImportBeforeAnythingIsWritten) {
  fixture::TempFolder work;
  work.Write("jo.aliases", "alias jo Jo <jo@example.org>\nalias team jo\n");
  const fs::path mail = work.path() / "Mail";
  fs::create_directory(mail);
  std::ofstream(mail / "OLD.PMR", std::ios::binary)
      << fixture::BookBytes("Old", {{.name = "Jo", .address = "jo@old.example"}});
  const std::set<std::string> before = Entries(mail);
  const testsupport::ExclusiveHold hold((mail / "OLD.PMR").string());
  ASSERT_TRUE(hold.Held());
  const clitest::Outcome o = clitest::Cli(
      {"import", "--from", "mutt", "--into", mail.string(), (work.path() / "jo.aliases").string()});
  EXPECT_EQ(o.status, 3);
  EXPECT_EQ(o.err,
            "quillmer-cli: cannot read address book 'OLD.PMR' (held by another program)\n"
            "quillmer-cli: nothing imported: every address book of '" +
                mail.string() + "' must be read first\n");
  EXPECT_EQ(Entries(mail), before);
}

}  // namespace
