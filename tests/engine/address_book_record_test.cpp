#include "engine/address_book_record.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/engine/book_fixture.h"

namespace {

using fixture::Record;
using fixture::RecordBytes;

std::vector<std::string> All(const engine::BookRecord& r) {
  return {r.name, r.company, r.key, r.street, r.postal, r.phone, r.fax, r.notes, r.address};
}

// A record with every field filled, as users' books have them.
Record Typical(std::string name, std::string address) {
  return {.name = std::move(name),
          .address = std::move(address),
          .company = "Quillmer Testing Ltd",
          .phone = "+64 4 555 0100",
          .notes = "met at the conference",
          .key = "KEY",
          .street = "12 Harbour Road",
          .postal = "Wellington 6011",
          .fax = "+64 4 555 0101"};
}

TEST(ReadBookRecordFields, EachFieldEndsAtItsNulOrItsWidth) {
  // Filler after each NUL is 'x': a reader that ran past a NUL would show it.
  const Record typical = Typical("Jo Smith", "jo@example.org");
  EXPECT_EQ(All(engine::ReadBookRecordFields(RecordBytes(typical))), All(typical));

  // Every field full to its width, no NUL anywhere: each stops at its own end
  // instead of running into the next field.
  const Record full{.name = std::string(40, 'N'),
                    .address = std::string(100, 'E'),
                    .company = std::string(40, 'C'),
                    .phone = std::string(24, '1'),
                    .notes = std::string(80, 'n'),
                    .key = std::string(12, 'K'),
                    .street = std::string(60, 'S'),
                    .postal = std::string(60, 'P'),
                    .fax = std::string(24, '2')};
  EXPECT_EQ(All(engine::ReadBookRecordFields(RecordBytes(full))), All(full));

  const Record empty{};
  EXPECT_EQ(All(engine::ReadBookRecordFields(RecordBytes(empty))), All(empty));

  // One field full to its width and the others short: fields are read eight
  // bytes at a time, and the NUL of the next field, a few bytes on, must not
  // lengthen the full one.
  for (std::size_t k = 0; k < All(full).size(); ++k) {
    Record one{.name = "ab",
               .address = "ab",
               .company = "ab",
               .phone = "ab",
               .notes = "ab",
               .key = "ab",
               .street = "ab",
               .postal = "ab",
               .fax = "ab"};
    std::string* fields[] = {&one.name,  &one.company, &one.key,   &one.street, &one.postal,
                             &one.phone, &one.fax,     &one.notes, &one.address};
    *fields[k] = All(full)[k];
    EXPECT_EQ(All(engine::ReadBookRecordFields(RecordBytes(one))), All(one)) << "field " << k;
  }
}

TEST(ReadBookRecordFields, AShortRecordGivesWhatItHolds) {
  const std::string record = RecordBytes(Typical("Jo", "jo@example.org"));
  const std::string_view bytes = record;
  // Cut inside the street field: name, company and key whole, street cut,
  // everything after it empty.
  const engine::BookRecord f = engine::ReadBookRecordFields(bytes.substr(0, 100));
  EXPECT_EQ(f.name, "Jo");
  EXPECT_EQ(f.key, "KEY");
  EXPECT_EQ(f.street, "12 Har");
  EXPECT_EQ(f.postal, "");
  EXPECT_EQ(f.address, "");
  // The address field cut before its NUL ends where the record ends.
  EXPECT_EQ(engine::ReadBookRecordFields(bytes.substr(0, 342 + 5)).address, "jo@ex");
  EXPECT_EQ(All(engine::ReadBookRecordFields("")), All(Record{}));
}

TEST(ForEachBookRecord, VisitsRecordsAfterTheHeaderFirstToLast) {
  const std::string book = fixture::BookBytes(
      "Office", {{.name = "One", .address = "1@x"}, {.name = "Two", .address = "2@x"}});
  std::vector<std::string> seen;
  const auto collect = [&](const engine::BookRecord& f) {
    seen.push_back(std::string(f.name) + "|" + std::string(f.address));
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
