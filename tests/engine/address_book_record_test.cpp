#include "engine/address_book_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/book_fixture.h"

namespace {

using fixture::Record;
using fixture::RecordBytes;

std::vector<std::string> All(const engine::BookRecordFields& f) {
  return {std::string(f.name),   std::string(f.company), std::string(f.key),
          std::string(f.street), std::string(f.postal),  std::string(f.phone),
          std::string(f.fax),    std::string(f.notes),   std::string(f.email)};
}

std::vector<std::string> All(const Record& r) {
  return {r.name, r.company, r.key, r.street, r.post, r.phone, r.fax, r.notes, r.address};
}

// Every field empty (the fixture's defaults are not).
Record EmptyRecord() {
  return {.name = "",
          .address = "",
          .company = "",
          .key = "",
          .street = "",
          .post = "",
          .phone = "",
          .fax = "",
          .notes = ""};
}

TEST(ReadBookRecordFields, EachFieldEndsAtItsNulOrItsWidth) {
  // Filler after each NUL is 'x': a reader that ran past a NUL would show it.
  const Record typical{.name = "Jo Smith", .address = "jo@example.org"};
  EXPECT_EQ(All(engine::ReadBookRecordFields(RecordBytes(typical))), All(typical));

  // Every field full to its width, no NUL anywhere: each stops at its own end
  // instead of running into the next field.
  const Record full{.name = std::string(40, 'N'),
                    .address = std::string(100, 'E'),
                    .company = std::string(40, 'C'),
                    .key = std::string(12, 'K'),
                    .street = std::string(60, 'S'),
                    .post = std::string(60, 'P'),
                    .phone = std::string(24, '1'),
                    .fax = std::string(24, '2'),
                    .notes = std::string(80, 'n')};
  EXPECT_EQ(All(engine::ReadBookRecordFields(RecordBytes(full))), All(full));

  const Record empty = EmptyRecord();
  EXPECT_EQ(All(engine::ReadBookRecordFields(RecordBytes(empty))), All(empty));
}

TEST(ReadBookRecordFields, AShortRecordGivesWhatItHolds) {
  const std::string record = RecordBytes({.name = "Jo", .address = "jo@example.org"});
  const std::string_view bytes = record;
  // Cut inside the street field: name, company and key whole, street cut,
  // everything after it empty.
  const engine::BookRecordFields f = engine::ReadBookRecordFields(bytes.substr(0, 100));
  EXPECT_EQ(f.name, "Jo");
  EXPECT_EQ(f.key, "KEY");
  EXPECT_EQ(f.street, "12 Har");
  EXPECT_EQ(f.postal, "");
  EXPECT_EQ(f.email, "");
  // The address field cut before its NUL ends where the record ends.
  EXPECT_EQ(engine::ReadBookRecordFields(bytes.substr(0, 342 + 5)).email, "jo@ex");
  EXPECT_EQ(All(engine::ReadBookRecordFields("")), All(EmptyRecord()));
}

TEST(ForEachBookRecord, VisitsRecordsAfterTheHeaderFirstToLast) {
  const std::string book = fixture::BookBytes(
      "Office", {{.name = "One", .address = "1@x"}, {.name = "Two", .address = "2@x"}});
  std::vector<std::string> seen;
  const auto collect = [&](const engine::BookRecordFields& f) {
    seen.push_back(std::string(f.name) + "|" + std::string(f.email));
  };
  engine::ForEachBookRecord(book, collect);
  EXPECT_EQ(seen, (std::vector<std::string>{"One|1@x", "Two|2@x"}));

  // A last record of a few bytes still counts; a header alone gives none.
  seen.clear();
  engine::ForEachBookRecord(book.substr(0, 128 + 458 + 10), collect);
  EXPECT_EQ(seen, (std::vector<std::string>{"One|1@x", "Two|"}));
  seen.clear();
  engine::ForEachBookRecord(book.substr(0, 128), collect);
  EXPECT_TRUE(seen.empty());
}

}  // namespace
