#include "engine/address_book.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/mail_folder.h"
#include "engine/mailing_list.h"
#include "platform/files.h"
#include "tests/engine/book_fixture.h"
#include "tests/support/exclusive_hold.h"
#include "tests/support/upper_reference.h"
#include "tools/address_book_writer.h"

namespace {

using fixture::BookBytes;
using fixture::LinearFind;
using fixture::Record;
using fixture::RecordBytes;
using V = std::vector<std::string>;

struct Tables {
  V names;
  V addresses;
};

Tables Cut(std::string_view file) {
  engine::StringTable names;
  engine::StringTable addresses;
  engine::AppendBookRecords(file, names, addresses);
  return {fixture::Entries(names), fixture::Entries(addresses)};
}

TEST(AppendBookRecords, ReadsNameUpperCasedAndAddressAsStored) {
  const Tables t = Cut(BookBytes("Office", {{.name = "Sales Team", .address = "Sales@Example.COM"},
                                            {.name = "jo smith", .address = "jo@example.org"}}));
  EXPECT_EQ(t.names, (V{"SALES TEAM", "JO SMITH"}));
  EXPECT_EQ(t.addresses, (V{"Sales@Example.COM", "jo@example.org"}));
}

TEST(AppendBookRecords, FilesUpTo130BytesAddNothing) {
  for (std::size_t size = 0; size <= 130; ++size) {
    EXPECT_TRUE(Cut(std::string(size, 'A')).names.empty()) << "size " << size;
  }
}

TEST(AppendBookRecords, A131ByteFileGivesTheNameOfItsLastByte) {
  std::string file = fixture::HeaderBytes("Tiny") + "\x01\x02q";
  Tables t = Cut(file);
  EXPECT_EQ(t.names, V{"Q"});
  EXPECT_EQ(t.addresses, V{""});
  file.back() = '\0';
  t = Cut(file);
  EXPECT_EQ(t.names, V{""});
  EXPECT_EQ(t.addresses, V{""});
}

TEST(AppendBookRecords, ShortLastRecordIsReadAsFarAsItGoes) {
  const std::string full = RecordBytes({.name = "Ann", .address = "ann@example.org"});
  // 100 bytes of a second record: its name runs on without NUL to the end.
  std::string partial = "\x01\x02" + std::string(98, 'n');
  Tables t = Cut(fixture::HeaderBytes("B") + full + partial);
  EXPECT_EQ(t.names, (V{"ANN", std::string(98, 'N')}));
  EXPECT_EQ(t.addresses, (V{"ann@example.org", ""}));

  // 342 bytes reach no address; 343 reach its first byte; 1 or 2 bytes, no name.
  const std::string second = RecordBytes({.name = "Bo", .address = "b@x"});
  for (const auto& [length, name, address] :
       std::vector<std::tuple<std::size_t, std::string, std::string>>{
           {1, "", ""}, {2, "", ""}, {3, "B", ""}, {342, "BO", ""}, {343, "BO", "b"}}) {
    t = Cut(fixture::HeaderBytes("B") + full + second.substr(0, length));
    ASSERT_EQ(t.names.size(), 2u) << "length " << length;
    EXPECT_EQ(t.names[1], name) << "length " << length;
    EXPECT_EQ(t.addresses[1], address) << "length " << length;
  }
}

TEST(AppendBookRecords, FieldsWithoutNulRunToTheRecordEnd) {
  // A name filling its 340 bytes runs on into the address bytes.
  const std::string name340 = std::string(339, 'a') + "\xE9";
  Tables t = Cut(fixture::HeaderBytes("B") + fixture::RecordWithRawName(name340, "Al@X.org"));
  EXPECT_EQ(t.names, V{std::string(339, 'A') + "\xE9" + "AL@X.ORG"});
  EXPECT_EQ(t.addresses, V{"Al@X.org"});

  // An address filling its 100 bytes stops at the NUL of the next field; one
  // with no NUL at all runs to byte 457.
  const std::string address100(100, 'm');
  t = Cut(BookBytes("B", {{.name = "Max", .address = address100}}));
  EXPECT_EQ(t.addresses, V{address100});
  std::string raw = RecordBytes({.name = "Max", .address = ""});
  raw.replace(342, 116, std::string(116, 'r'));
  t = Cut(fixture::HeaderBytes("B") + raw);
  EXPECT_EQ(t.addresses, V{std::string(116, 'r')});
}

TEST(AppendBookRecords, UpperCasesCodePage437LettersOnly) {
  const Tables t = Cut(BookBytes("B", {{.name = "\x82t\xE9", .address = "\x82@x"}}));
  EXPECT_EQ(t.names, V{"\x90T\xE9"});
  EXPECT_EQ(t.addresses, V{"\x82@x"});
}

TEST(AppendBookRecords, EachBookStartsAtItsOwnFirstRecord) {
  // The first book has 459 bytes of record data: its last byte must not
  // shift the second book.
  const std::string first = BookBytes("A", {{.name = "Ann", .address = "ann@a"}}) + "Z";
  const std::string second = BookBytes("B", {{.name = "Bob", .address = "bob@b"}});
  engine::StringTable names;
  engine::StringTable addresses;
  engine::AppendBookRecords(first, names, addresses);
  engine::AppendBookRecords(second, names, addresses);
  EXPECT_EQ(fixture::Entries(names), (V{"ANN", "", "BOB"}));
  EXPECT_EQ(fixture::Entries(addresses), (V{"ann@a", "", "bob@b"}));
}

// Names and addresses are read a word of eight bytes at a time, plain
// ASCII folded all at once: every byte value (NUL aside) at every place in a
// word, every length around a word's end and the longest ones, each record
// followed by another (the words may then run past it) and the last alone.
TEST(AppendBookRecords, EveryByteAtEveryPlaceAndLengthMatchesTheByteRule) {
  std::vector<std::pair<std::string, std::string>> fields;  // raw name and address
  const auto bytesFrom = [](unsigned first, std::size_t length, unsigned step) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i)
      text += static_cast<char>(1 + (first + i * step) % 255);
    return text;
  };
  for (std::size_t length = 0; length <= 25; ++length) {
    for (unsigned first = 0; first < 255; first += 7) {
      fields.emplace_back(bytesFrom(first, length, 1), bytesFrom(first + 3, length, 5));
    }
  }
  // Plain ASCII words only, every letter around 'a' to 'z' at every place.
  for (unsigned shift = 0; shift < 8; ++shift) {
    fields.emplace_back(std::string(shift, '.') + "`abcxyz{@AZ[", std::string(shift, 'q') + "z@z");
    fields.emplace_back(std::string(shift, 'z') + "zzzzzzzz", "");
  }
  std::string file = fixture::HeaderBytes("All");
  V names;
  V addresses;
  for (const auto& [name, address] : fields) {
    std::string record = RecordBytes({.name = "", .address = ""});
    record.replace(2, name.size() + 1, name + std::string(1, '\0'));
    record.replace(342, address.size() + 1, address + std::string(1, '\0'));
    file += record;
    names.push_back(reference::Upper(name));
    addresses.push_back(address);
  }
  // The longest: a name with no NUL up to the record's end, an address of
  // 116 bytes (no NUL, and after it a record whose second byte is NUL) and
  // of 115 bytes, last.
  for (const std::size_t addressLength : {116u, 115u}) {
    std::string record(engine::kBookRecordSize, 'y');
    record[1] = '\0';
    record.replace(342, 116, bytesFrom(static_cast<unsigned>(addressLength), 116, 3));
    if (addressLength < 116) record[342 + addressLength] = '\0';
    file += record;
    const std::string name = record.substr(2);
    names.push_back(reference::Upper(name.substr(0, name.find('\0'))));
    addresses.push_back(record.substr(342, addressLength));
  }
  const Tables t = Cut(file);
  ASSERT_EQ(t.names.size(), names.size());
  for (std::size_t k = 0; k < names.size(); ++k) {
    EXPECT_EQ(t.names[k], names[k]) << "record " << k;
    EXPECT_EQ(t.addresses[k], addresses[k]) << "record " << k;
  }

  // The loader hashes each name as it upper-cases it; a lookup hashes its
  // key on its own: both must agree on every name.
  const fixture::TempFolder folder;
  folder.Write("ALL.PMR", file);
  const std::shared_ptr<const engine::MailFolder> opened =
      engine::OpenMailFolder(folder.path().string()).folder;
  ASSERT_TRUE(opened);
  for (std::size_t k = 0; k < names.size(); ++k) {
    EXPECT_EQ(opened->FindBookName(names[k]), LinearFind(names, names[k])) << "record " << k;
  }
}

// Reads real files: the folder's loader lists and reads them through the
// platform layer.
class LoadAddressBooksTest : public testing::Test {
 protected:
  void Load(const std::string& path, engine::Split split = engine::Split::kNever) {
    opened_ = engine::OpenMailFolder(path, {.split = split}).folder;
    ASSERT_TRUE(opened_) << path;
  }
  V Names() const { return fixture::Entries(opened_->BookNames()); }
  V Addresses() const { return fixture::Entries(opened_->BookAddresses()); }
  V Listed() const { return platform::ListMatchingFiles(folder_.path().string(), "*.PMR").value(); }
  fixture::TempFolder folder_;
  std::shared_ptr<const engine::MailFolder> opened_;
};

TEST_F(LoadAddressBooksTest, TakesBooksInListingOrderWhateverFolderIsCurrent) {
  folder_.Write("a.PMR", BookBytes("A", {{.name = "Sales", .address = "first@a"},
                                         {.name = "Ann", .address = "ann@a"}}));
  folder_.Write("b.pmr", BookBytes("B", {{.name = "sales", .address = "second@b"}}) + "\x01");
  folder_.Write("c.PMR", BookBytes("C", {{.name = "Cy", .address = "cy@c"}}));
  const std::map<std::string, Tables> books = {{"a.PMR", {{"SALES", "ANN"}, {"first@a", "ann@a"}}},
                                               {"b.pmr", {{"SALES", ""}, {"second@b", ""}}},
                                               {"c.PMR", {{"CY"}, {"cy@c"}}}};
  Tables expected;
  const V order = Listed();
  ASSERT_EQ(order.size(), 3u);
  for (const std::string& name : order) {
    const Tables& book = books.at(name);
    expected.names.insert(expected.names.end(), book.names.begin(), book.names.end());
    expected.addresses.insert(expected.addresses.end(), book.addresses.begin(),
                              book.addresses.end());
  }
  // Read as one run, and as two at once whose tables are joined: the first
  // of the two SALES records in listing order wins either way.
  for (const engine::Split split : {engine::Split::kNever, engine::Split::kAlways}) {
    const std::filesystem::path before = std::filesystem::current_path();
    Load(folder_.path().string(), split);
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_EQ(Names(), expected.names);
    EXPECT_EQ(Addresses(), expected.addresses);
    const std::size_t first = LinearFind(expected.names, "SALES").value();
    EXPECT_EQ(opened_->FindBookName("SALES"), first);
    EXPECT_EQ(opened_->BookAddresses()[first], expected.addresses[first]);
    EXPECT_EQ(opened_->FindBookName("CY"), LinearFind(expected.names, "CY"));
    EXPECT_EQ(opened_->FindBookName("Cy"), std::nullopt);
  }
}

TEST_F(LoadAddressBooksTest, SkipsHiddenOtherAndTooShortFiles) {
  folder_.Write("kept.pmr", BookBytes("K", {{.name = "Kept", .address = "k@k"}}));
  folder_.Write(".hidden.PMR", BookBytes("H", {{.name = "Hidden", .address = "h@h"}}));
  folder_.Write("list.PML", BookBytes("L", {{.name = "List", .address = "l@l"}}));
  folder_.Write("old.PMR.bak", BookBytes("O", {{.name = "Old", .address = "o@o"}}));
  std::filesystem::create_directory(folder_.path() / "folder.PMR");
  for (const std::size_t size : {0u, 1u, 2u, 127u, 128u, 129u, 130u}) {
    folder_.Write("short" + std::to_string(size) + ".PMR", std::string(size, 'S'));
  }
  Load(folder_.path().string() + static_cast<char>(std::filesystem::path::preferred_separator));
  EXPECT_EQ(Names(), V{"KEPT"});
  EXPECT_EQ(Addresses(), V{"k@k"});
}

TEST_F(LoadAddressBooksTest, EachFolderHoldsOnlyItsOwnBooks) {
  folder_.Write("a.PMR", BookBytes("A", {{.name = "Ann", .address = "ann@a"}}));
  Load(folder_.path().string());
  ASSERT_EQ(Names(), V{"ANN"});
  const std::shared_ptr<const engine::MailFolder> first = opened_;
  const fixture::TempFolder empty;
  Load(empty.path().string());
  EXPECT_TRUE(opened_->BookNames().empty());
  EXPECT_TRUE(opened_->BookAddresses().empty());
  EXPECT_EQ(opened_->FindBookName("ANN"), std::nullopt);
  // The first folder is untouched by the second.
  EXPECT_EQ(fixture::Entries(first->BookNames()), V{"ANN"});
  EXPECT_EQ(first->FindBookName("ANN"), 0u);
}

TEST_F(LoadAddressBooksTest, WhatIsNoFolderIsRefusedEvenWithBooksInTheCurrentOne) {
  folder_.Write("a.PMR", BookBytes("A", {{.name = "Ann", .address = "ann@a"}}));
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder_.path());
  for (const std::string& bad :
       {(folder_.path() / "missing").string(), (folder_.path() / "*").string(), std::string("?"),
        std::string(), (folder_.path() / "a.PMR").string()}) {
    const engine::OpenedFolder opened = engine::OpenMailFolder(bad);
    EXPECT_EQ(opened.folder, nullptr) << bad;
    EXPECT_EQ(opened.failure, engine::FolderFailure::kNotAFolder) << bad;
  }
  std::filesystem::current_path(before);
}

TEST_F(LoadAddressBooksTest, SurvivesArbitraryBytes) {
  std::mt19937 random(11);
  for (int i = 0; i < 20; ++i) {
    std::string bytes(random() % 3000, '\0');
    for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? 0 : random() % 256);
    folder_.Write("r" + std::to_string(i) + ".PMR", bytes);
  }
  Load(folder_.path().string());
  EXPECT_EQ(opened_->BookNames().size(), opened_->BookAddresses().size());
  for (const std::string_view name : opened_->BookNames()) EXPECT_LE(name.size(), 456u);
  for (const std::string_view address : opened_->BookAddresses()) EXPECT_LE(address.size(), 116u);
}

}  // namespace

namespace {

using reference::Upper;

std::vector<tools::BookEntry> Entries(int first, int count) {
  std::vector<tools::BookEntry> entries;
  for (int i = first; i < first + count; ++i) {
    entries.push_back({"Person \x81 " + std::to_string(i), "p" + std::to_string(i) + "@Example.org",
                       "Company", "555", "notes"});
  }
  return entries;
}

TEST_F(LoadAddressBooksTest, BooksLongerThanOneReadAreReadWhole) {
  // 1300 records span several of the loader's pieces (512 records each);
  // a 100-byte short record closes the first book without shifting the
  // second, whose record data ends exactly on a piece boundary; a third is
  // held by another program. Read as one run, and as two at once joined in
  // the listing's order.
  const std::vector<tools::BookEntry> first = Entries(0, 1300);
  const std::vector<tools::BookEntry> second = Entries(5000, 1024);
  folder_.Write("first.PMR",
                tools::AddressBookBytes("First", first) + "\x01\x02" + std::string(98, 'q'));
  folder_.Write("second.PMR", tools::AddressBookBytes("Second", second));
  folder_.Write("held.PMR", tools::AddressBookBytes("Held", Entries(9000, 700)));

  std::map<std::string, Tables> books;
  for (const auto& entry : first) {
    books["first.PMR"].names.push_back(Upper(entry.name));
    books["first.PMR"].addresses.push_back(entry.address);
  }
  books["first.PMR"].names.push_back(std::string(98, 'Q'));
  books["first.PMR"].addresses.push_back("");
  for (const auto& entry : second) {
    books["second.PMR"].names.push_back(Upper(entry.name));
    books["second.PMR"].addresses.push_back(entry.address);
  }
  Tables expected;
  for (const std::string& name : Listed()) {
    if (name == "held.PMR") continue;
    const Tables& book = books.at(name);
    expected.names.insert(expected.names.end(), book.names.begin(), book.names.end());
    expected.addresses.insert(expected.addresses.end(), book.addresses.begin(),
                              book.addresses.end());
  }
  for (const engine::Split split : {engine::Split::kNever, engine::Split::kAlways}) {
    {
      const testsupport::ExclusiveHold hold((folder_.path() / "held.PMR").string());
      ASSERT_TRUE(hold.Held());
      Load(folder_.path().string(), split);
    }
    ASSERT_EQ(opened_->Unreadable().size(), 1u);
    EXPECT_EQ(opened_->Unreadable()[0].file, "held.PMR");
    ASSERT_EQ(opened_->BookNames().size(), 1300u + 1 + 1024);
    EXPECT_TRUE(Names() == expected.names);
    EXPECT_TRUE(Addresses() == expected.addresses);
    EXPECT_EQ(opened_->FindBookName(Upper("Person \x81 1299")),
              LinearFind(expected.names, Upper("Person \x81 1299")));
  }
}

TEST_F(LoadAddressBooksTest, ABookHeldByAnotherProgramAddsNothing) {
  folder_.Write("held.PMR", tools::AddressBookBytes("Held", Entries(0, 600)));
  folder_.Write("free.PMR", tools::AddressBookBytes("Free", Entries(700, 2)));
  {
    testsupport::ExclusiveHold hold((folder_.path() / "held.PMR").string());
    ASSERT_TRUE(hold.Held());
    Load(folder_.path().string());
  }
  EXPECT_EQ(Names(), (V{Upper("Person \x81 700"), Upper("Person \x81 701")}));
  Load(folder_.path().string());
  EXPECT_EQ(opened_->BookNames().size(), 602u);
}

}  // namespace
