// The export read and written as two runs at once gives what one run gives:
// the model built from books read in two runs (the second's records merged
// into the first's), and every target's text written two pieces at once.
#include "exchange/export_build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/mail_folder.h"
#include "engine/parallel.h"
#include "exchange/export_model.h"
#include "exchange/export_pieces.h"
#include "exchange/export_targets.h"
#include "platform/codepage.h"
#include "tests/engine/book_fixture.h"
#include "tests/support/exclusive_hold.h"
#include "tests/support/export_description.h"

namespace {

using engine::Split;
using exchange::ExportFolder;
using fixture::Record;
using reference::DescribedExport;
using reference::FirstIndexLeadingNowhere;
using reference::Written;
using reference::WrittenExport;

struct Book {
  std::string file;
  std::vector<Record> records;
};

struct ListFile {
  std::string file;
  std::string bytes;
};

// One mail folder. Records of `everyBook` follow each book's own, so that
// however the books fall into two runs, the second run holds records
// identical to the first's.
struct FolderCase {
  std::string name;
  std::vector<Book> books = {};
  std::vector<Record> everyBook = {};
  std::vector<ListFile> lists = {};
  std::string held = {};  // a book another program holds, or none
  bool pairs = false;     // enough contacts that the writers write pieces two at once
};

// A case is named by its name alone in failures and test names.
void PrintTo(const FolderCase& c, std::ostream* os) {
  *os << c.name;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Four books of 5,000 records each, enough contacts that the writers write
// pieces two at once, with what the small folders hold throughout: the
// last book repeating the first's opening records, records without
// address, names with code page 1252 letters, notes with a byte it leaves
// undefined, addresses another book holds in other letter case; and two
// long lists, of names in other letter case and of plain addresses no book
// holds.
FolderCase Large() {
  constexpr std::size_t kBooks = 4;
  constexpr std::size_t kPerBook = 5000;
  FolderCase large{.name = "large", .pairs = true};
  const auto address = [](std::size_t b, std::size_t j) {
    return "m" + std::to_string(b) + "-" + std::to_string(j) + "@example.org";
  };
  for (std::size_t b = 0; b < kBooks; ++b) {
    Book book{"big" + std::to_string(b) + ".PMR", {}};
    for (std::size_t j = 0; j < kPerBook; ++j) {
      Record r{.name = "Member " + std::to_string(b) + "-" + std::to_string(j),
               .address = address(b, j)};
      if (b == kBooks - 1 && j < 1000)
        r = {.name = "Member 0-" + std::to_string(j), .address = address(0, j)};
      if (j % 50 == 7) r.address.clear();
      if (j % 97 == 3) r.name += " Ren\xE9";
      if (j % 89 == 5) r.notes = "undefined \x81 byte";
      if (b == 1 && j % 13 == 0) {
        r.address = "M0-" + std::to_string(j) + "@EXAMPLE.ORG";
      }
      if (j % 11 == 0) r.company = "Company " + std::to_string(j % 7);
      book.records.push_back(std::move(r));
    }
    large.books.push_back(std::move(book));
  }
  large.everyBook = {{.name = "Sam Same", .address = "sam@same.example"}};
  std::vector<std::string> names = {"\\TITLE Everyone; really"};
  for (std::size_t j = 0; j < kPerBook; j += 3) {
    names.push_back("member " + std::to_string(j % kBooks) + "-" + std::to_string(j));
  }
  for (std::size_t j = 0; j < kPerBook; j += 5) names.push_back(address(2, j));
  names.push_back("SAM SAME");
  std::vector<std::string> plain = {"\\TITLE Plain <addresses>"};
  for (std::size_t k = 0; k < 3000; ++k) {
    plain.push_back("plain" + std::to_string(k) + "@made.example");
    if (k % 10 == 0) plain.push_back("PLAIN" + std::to_string(k) + "@MADE.example");
  }
  plain.push_back("member 1-26");
  large.lists = {{"everyone.PML", Lines(names)}, {"plain.PML", Lines(plain)}};
  return large;
}

// The lists the small folders share: entries by name (in other letter
// case, known to several records, known without an address), plain
// addresses no book holds (each made a contact once, letter case aside),
// an address a record holds, entries reaching nothing, titles the targets
// change, a title twice, a list without title and one without members.
std::vector<ListFile> SmallLists() {
  return {
      {"friends.PML", Lines({"\\TITLE Friends, family", "ann lee", "BO BRANDT", "new@plain.example",
                             "NEW@plain.example", "Carl Nobody", "somebody unknown", "sam same",
                             "zo\xEB ch\xE2telain", "noname@X.example", "ann lee"})},
      {"team.PML",
       Lines({"\\TITLE Team  <core>", "Dee\x81 Odd", "fresh@made.example", "new@plain.example",
              "Eve Twice", "ANN@LEE.example", "Pat Moved", "fresh@made.example", "Sam Same"})},
      {"notitle.PML",
       Lines({"\\TITLE ", "Bo Brandt", "zoe@chatelain.example", "other@made.example"})},
      {"again.PML", Lines({"\\TITLE friends, family"})},
      // NULs in a title and an entry, which no target can hold: dropped; a
      // title of NULs only is no title.
      {"nuls.PML", Lines({std::string("\\TITLE Odd\0 one", 15),
                          std::string("nul\0@made.example", 17), "ann lee"})},
      {"nultitle.PML", Lines({std::string("\\TITLE \0\0", 9), "bo brandt"})},
  };
}

std::vector<FolderCase> Cases() {
  // Identical in name and address, the other fields apart: the first
  // record's fields stay.
  const std::vector<Record> shared = {
      {.name = "Sam Same", .address = "sam@same.example", .company = "Same Ltd", .phone = "555"},
      {.name = "Pat Moved", .address = "pat@moved.example", .street = "Old Road"},
  };
  std::vector<FolderCase> cases;
  cases.push_back({
      .name = "two_books",
      .books = {{"first.PMR",
                 {{.name = "Ann Lee", .address = "ann@lee.example"},
                  {.name = "Bo Brandt", .address = "BO@brandt.example"},
                  {.name = "ann lee", .address = "ann@lee.example"},
                  {.name = "Carl Nobody", .address = ""},
                  {.name = "", .address = "noname@x.example"},
                  {.name = "Zo\xEB Ch\xE2telain", .address = "zoe@chatelain.example"},
                  shared[1]}},
                {"second.PMR",
                 {{.name = "BO BRANDT", .address = "bo@brandt.example"},
                  {.name = "Dee\x81 Odd", .address = "dee@odd.example"},
                  {.name = "Ann Lee", .address = "ann@other.example"},
                  {.name = "Eve Twice", .address = "eve@twice.example"},
                  {.name = "Eve Twice", .address = "eve@twice.example"},
                  {.name = "Pat Moved", .address = "pat@moved.example", .street = "New Road"},
                  {.name = "", .address = ""},
                  {.name = "Zo\xEB Ch\xE2telain", .address = "zoe@chatelain.example"}}}},
      .everyBook = {shared[0]},
      .lists = SmallLists(),
  });
  cases.push_back({
      .name = "four_books",
      .books = {{"a.PMR",
                 {{.name = "Ann Lee", .address = "ann@lee.example"},
                  {.name = "Carl Nobody", .address = ""},
                  {.name = "Zo\xEB Ch\xE2telain", .address = "zoe@chatelain.example"}}},
                {"b.PMR",
                 {{.name = "ann lee", .address = "ANN@LEE.EXAMPLE"},
                  {.name = "Bo Brandt", .address = "bo@brandt.example"},
                  {.name = "", .address = "noname@x.example"}}},
                {"c.PMR",
                 {{.name = "Dee\x81 Odd", .address = "dee@odd.example"},
                  {.name = "Eve Twice", .address = "eve@twice.example"},
                  {.name = "carl nobody", .address = "carl@nobody.example"}}},
                {"d.PMR",
                 {{.name = "Eve Twice", .address = "eve@twice.example"},
                  {.name = "Ann Lee", .address = "ann@lee.example"},
                  {.name = "new plain", .address = "new@PLAIN.example"}}}},
      .everyBook = shared,
      .lists = SmallLists(),
  });
  cases.push_back({
      .name = "held_book",
      .books = {{"kept.PMR", {{.name = "Ann Lee", .address = "ann@lee.example"}}},
                {"held.PMR", {{.name = "Bo Brandt", .address = "bo@brandt.example"}}},
                {"other.PMR", {{.name = "Eve Twice", .address = "eve@twice.example"}}}},
      .everyBook = shared,
      .lists = SmallLists(),
      .held = "held.PMR",
  });
  cases.push_back(Large());
  return cases;
}

// A folder case on disk, opened as the export opens it (no records read).
class OnDisk {
 public:
  explicit OnDisk(const FolderCase& c) {
    for (const Book& book : c.books) {
      std::vector<Record> records = book.records;
      records.insert(records.end(), c.everyBook.begin(), c.everyBook.end());
      temp_.Write(book.file, fixture::BookBytes(book.file.substr(0, 8), records));
    }
    for (const ListFile& list : c.lists) temp_.Write(list.file, list.bytes);
    if (!c.held.empty()) {
      hold_ = std::make_unique<testsupport::ExclusiveHold>((temp_.path() / c.held).string());
    }
    folder_ = engine::OpenMailFolder(temp_.path().string(), {.bookRecords = false}).folder;
  }

  const engine::MailFolder* folder() const { return folder_.get(); }
  bool Held() const { return hold_ == nullptr || hold_->Held(); }

 private:
  fixture::TempFolder temp_;
  std::unique_ptr<testsupport::ExclusiveHold> hold_;
  std::shared_ptr<const engine::MailFolder> folder_;
};

struct Built {
  ExportFolder model;
  std::vector<std::string> unreadable;  // as the build told of them
};

Built Build(const engine::MailFolder& folder, const platform::CodePageConverter& converter,
            const exchange::ExportRules& rules, Split split) {
  Built built;
  const engine::RetryDeadline noRetry;
  built.model = exchange::BuildExport(
      {folder, noRetry, converter,
       [&](const engine::UnreadableFile& file) {
         built.unreadable.push_back(file.file + (file.book ? " book " : " list ") +
                                    std::to_string(static_cast<int>(file.reason)));
       },
       split},
      rules);
  return built;
}

// The first line where `two` differs from `one`, both shown; empty when
// they are the same.
std::string FirstDifference(const std::vector<std::string>& one,
                            const std::vector<std::string>& two) {
  for (std::size_t i = 0; i < std::max(one.size(), two.size()); ++i) {
    const std::string a = i < one.size() ? one[i] : "(none)";
    const std::string b = i < two.size() ? two[i] : "(none)";
    if (a != b) return "line " + std::to_string(i) + "\n  one run:  " + a + "\n  two runs: " + b;
  }
  return {};
}

class ExportSplit : public testing::TestWithParam<FolderCase> {};

TEST_P(ExportSplit, TwoRunsOfBooksBuildTheModelOneRunBuilds) {
  const FolderCase& c = GetParam();
  const OnDisk disk(c);
  ASSERT_NE(disk.folder(), nullptr);
  ASSERT_TRUE(disk.Held());
  const platform::CodePageConverter converter(1252);
  for (const exchange::ExportTarget& target : exchange::ExportTargets()) {
    SCOPED_TRACE(std::string(target.name));
    const Built one = Build(*disk.folder(), converter, target.rules, Split::kNever);
    const Built two = Build(*disk.folder(), converter, target.rules, Split::kAlways);
    // The folder holds what it is meant to, so that the two can differ.
    EXPECT_GT(one.model.merged, 0u);
    EXPECT_EQ(one.model.unreadable, !c.held.empty());
    EXPECT_EQ(one.model.contacts.size() > exchange::kContactsPerPiece, c.pairs);
    // Every list has a title a target can show, NULs and all.
    for (const exchange::ExportList& list : one.model.lists) {
      EXPECT_FALSE(list.title.empty()) << list.file;
      EXPECT_EQ(list.original.find('\0'), std::string::npos) << list.file;
    }

    EXPECT_EQ(FirstIndexLeadingNowhere(one.model), "");
    EXPECT_EQ(FirstIndexLeadingNowhere(two.model), "");
    const std::string difference =
        FirstDifference(DescribedExport(one.model), DescribedExport(two.model));
    EXPECT_TRUE(difference.empty()) << difference;
    EXPECT_EQ(two.unreadable, one.unreadable);
  }
}

TEST_P(ExportSplit, TwoPiecesAtOnceWriteTheTextOnePassWrites) {
  const FolderCase& c = GetParam();
  const OnDisk disk(c);
  ASSERT_NE(disk.folder(), nullptr);
  const platform::CodePageConverter converter(1252);
  for (const exchange::ExportTarget& target : exchange::ExportTargets()) {
    SCOPED_TRACE(std::string(target.name));
    const ExportFolder model = Build(*disk.folder(), converter, target.rules, Split::kNever).model;
    // Taken from the sink whenever a few kilobytes wait there.
    const WrittenExport one = Written(target, model, Split::kNever, 4096);
    const WrittenExport two = Written(target, model, Split::kAlways, 4096);
    EXPECT_FALSE(one.text.empty());
    EXPECT_EQ(one.text.find('\0'), std::string::npos);
    // Not EXPECT_EQ on the texts: a megabyte of difference says less than
    // where it starts.
    const std::size_t same = static_cast<std::size_t>(
        std::mismatch(one.text.begin(), one.text.end(), two.text.begin(), two.text.end()).first -
        one.text.begin());
    EXPECT_TRUE(one.text == two.text)
        << "sizes " << one.text.size() << " and " << two.text.size() << ", first difference at "
        << same << ":\n  one pass: " << one.text.substr(same, 120)
        << "\n  two at once: " << two.text.substr(same, 120);
    EXPECT_EQ(two.renamed, one.renamed);
    EXPECT_EQ(two.unwritable, one.unwritable);
  }
}

INSTANTIATE_TEST_SUITE_P(Folders, ExportSplit, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<FolderCase>& row) {
                           return row.param.name;
                         });

}  // namespace
