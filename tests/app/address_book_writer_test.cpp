// The sample folder's address books: written in the full record layout and
// read back by the program's own reader.
#include "tools/address_book_writer.h"

#include <gtest/gtest.h>

#include "engine/address_book.h"
#include "engine/address_book_record.h"

namespace {

TEST(AddressBookWriter, WritesHeaderAndRecordsAtTheirOffsets) {
  const std::string bytes =
      tools::AddressBookBytes("Family", {{"Jo Smith", "jo@x.example", "Smith Ltd", "0123", "n"}});
  ASSERT_EQ(128u + 458u, bytes.size());
  EXPECT_EQ(std::string("Family\0", 7), bytes.substr(0, 7));
  EXPECT_EQ(std::string("Jo Smith\0", 9), bytes.substr(128 + 2, 9));
  EXPECT_EQ(std::string("Smith Ltd\0", 10), bytes.substr(128 + 42, 10));
  EXPECT_EQ(std::string("0123\0", 5), bytes.substr(128 + 214, 5));
  EXPECT_EQ(std::string("n\0", 2), bytes.substr(128 + 262, 2));
  EXPECT_EQ(std::string("jo@x.example\0", 13), bytes.substr(128 + 342, 13));
}

TEST(AddressBookWriter, ASourceReadsBackThroughTheProgramsReader) {
  const std::string book = tools::AddressBookFromSource(
      "# comment\n"
      "title: Club\n"
      "\n"
      "Chair   | chair@club.example\r\n"
      "Pat Kowalski | pat@club.example | Club | 555 | treasurer\n");
  engine::StringTable names;
  engine::StringTable addresses;
  engine::AppendBookRecords(book, names, addresses);
  EXPECT_EQ(std::vector<std::string>({"CHAIR", "PAT KOWALSKI"}),
            std::vector<std::string>(names.begin(), names.end()));
  EXPECT_EQ(std::vector<std::string>({"chair@club.example", "pat@club.example"}),
            std::vector<std::string>(addresses.begin(), addresses.end()));
}

TEST(AddressBookWriter, EveryFieldOfASourceLineLandsInItsOwnField) {
  const std::string book = tools::AddressBookFromSource(
      "title: Full\n"
      "Ren\xE9 Dupont | rene@example.fr | Dupont SA | +33 1 | met in Lyon | RD | 1 rue Haute |"
      " BP 12, Paris | +33 2\n");
  std::vector<std::string> fields;
  engine::ForEachBookRecord(book, [&](const engine::BookRecord& f) {
    fields = {std::string(f.name),   std::string(f.address), std::string(f.company),
              std::string(f.phone),  std::string(f.notes),   std::string(f.key),
              std::string(f.street), std::string(f.postal),  std::string(f.fax)};
  });
  EXPECT_EQ(fields, (std::vector<std::string>{"Ren\xE9 Dupont", "rene@example.fr", "Dupont SA",
                                              "+33 1", "met in Lyon", "RD", "1 rue Haute",
                                              "BP 12, Paris", "+33 2"}));
}

TEST(AddressBookWriter, CutsAFieldSoThatItKeepsItsNul) {
  const std::string bytes = tools::AddressBookBytes("t", {{std::string(60, 'N'), "a", "", "", ""}});
  EXPECT_EQ(std::string(39, 'N') + '\0', bytes.substr(128 + 2, 40));
  EXPECT_EQ('\0', bytes[128 + 42]);
}

}  // namespace

namespace {

TEST(AddressBookWriter, TestFillingPutsTheFillerAfterEachNulAndKeepsFullWidthTexts) {
  const tools::Filling visible{'x', true};
  tools::BookEntry entry{std::string(40, 'N'), "jo@example.org", "", "", ""};
  const std::string record = engine::BookRecordBytes(entry, visible);
  ASSERT_EQ(record.size(), 458u);
  EXPECT_EQ(record.substr(2, 40), std::string(40, 'N'));  // no NUL: runs into the company
  EXPECT_EQ(record.substr(42, 2), std::string("\0x", 2));
  EXPECT_EQ(record.substr(342, 16), std::string("jo@example.org\0x", 16));
  EXPECT_EQ(record.substr(441, 1), "x");  // last byte of the address field
  EXPECT_EQ(record.substr(442), std::string(16, '\0'));

  const std::string header = engine::BookHeaderBytes("Book", visible);
  EXPECT_EQ(header.size(), 128u);
  EXPECT_EQ(header.substr(0, 6), std::string("Book\0x", 6));
  EXPECT_EQ(header.find('\0', 5), std::string::npos);

  // The default is what real books hold: NULs after every text.
  EXPECT_EQ(engine::BookRecordBytes(entry).substr(342, 100),
            "jo@example.org" + std::string(86, '\0'));
}

}  // namespace
