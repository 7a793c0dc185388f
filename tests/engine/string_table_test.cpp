#include "engine/string_table.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

using V = std::vector<std::string>;

V Entries(const engine::StringTable& table) {
  return {table.begin(), table.end()};
}

// Entries of many lengths, so that some land exactly on and some just past
// the end of a block.
std::string EntryOf(std::size_t k) {
  return std::string(k % 997, static_cast<char>('a' + k % 26)) + std::to_string(k);
}

TEST(StringTable, KeepsEveryEntryAcrossBlocks) {
  engine::StringTable table;
  V expected;
  std::size_t bytes = 0;
  for (std::size_t k = 0; bytes < 3 * engine::StringTable::kBlockSize; ++k) {
    expected.push_back(k % 5 == 0 ? std::string() : EntryOf(k));
    bytes += expected.back().size();
    table.push_back(expected.back());
  }
  ASSERT_EQ(table.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    ASSERT_EQ(table[k], expected[k]) << "entry " << k;
  }
  EXPECT_EQ(Entries(table), expected);
  EXPECT_GE(table.FootprintBytes(), bytes);
}

TEST(StringTable, AnEntryThatDoesNotFitStartsTheNextBlock) {
  constexpr std::size_t kBlock = engine::StringTable::kBlockSize;
  engine::StringTable table;
  table.push_back(std::string(kBlock - 3, 'a'));
  table.push_back("bcd");  // exactly fills the first block
  table.push_back("efgh");
  table.push_back(std::string(kBlock - 2, 'i'));  // does not fit after efgh
  table.push_back("");
  table.push_back("j");
  EXPECT_EQ(Entries(table), (V{std::string(kBlock - 3, 'a'), "bcd", "efgh",
                               std::string(kBlock - 2, 'i'), "", "j"}));
  EXPECT_THROW(table.push_back(std::string(kBlock + 1, 'k')), std::bad_alloc);
  EXPECT_EQ(table.size(), 6u);
}

TEST(StringTable, TruncateDropsTheTailAndRoomIsReused) {
  engine::StringTable table = {"ann", "", "bo"};
  char* to = table.AppendUninitialized(4);
  to[0] = 'c';
  to[1] = 'y';
  to[2] = '\0';
  to[3] = 'z';
  EXPECT_EQ(Entries(table), (V{"ann", "", "bo", std::string("cy\0z", 4)}));
  table.Truncate(2);
  EXPECT_EQ(Entries(table), (V{"ann", ""}));
  table.Truncate(5);
  EXPECT_EQ(table.size(), 2u);
  for (int i = 0; i < 3000; ++i) table.push_back(EntryOf(static_cast<std::size_t>(i)));
  EXPECT_EQ(table[1], "");
  EXPECT_EQ(table[2 + 2999], EntryOf(2999));
}

TEST(StringTable, CopiesAndMovesAreWholeTables) {
  const engine::StringTable original = {"one", "", "three"};
  engine::StringTable copy = original;
  EXPECT_EQ(copy, original);
  copy.push_back("four");
  EXPECT_EQ(original.size(), 3u);
  engine::StringTable moved = std::move(copy);
  EXPECT_EQ(Entries(moved), (V{"one", "", "three", "four"}));
  EXPECT_TRUE(copy.empty());  // NOLINT(bugprone-use-after-move): moved-from tables are empty
  copy.push_back("again");
  EXPECT_EQ(Entries(copy), V{"again"});
  EXPECT_FALSE(moved == original);
  EXPECT_EQ(Entries(engine::StringTable()), V{});
}

// Tables as the loader joins them: the second's blocks taken over behind
// the first's, whether either is empty, holds only empty entries, ends in
// a part-filled first block or spans several blocks; both keep working.
TEST(StringTable, AppendTableJoinsTwoTables) {
  constexpr std::size_t kBlock = engine::StringTable::kBlockSize;
  V spanning;
  for (std::size_t k = 0, bytes = 0; bytes < 2 * kBlock + kBlock / 2; ++k) {
    spanning.push_back(k % 7 == 0 ? std::string() : EntryOf(k));
    bytes += spanning.back().size();
  }
  const V filled = {std::string(kBlock - 3, 'a'), "bcd"};  // exactly one whole block
  const std::vector<V> shapes = {{},       {""},  {"", ""}, {"ann", "", "bo"}, {"", "", "x"},
                                 spanning, filled};
  for (std::size_t a = 0; a < shapes.size(); ++a) {
    for (std::size_t b = 0; b < shapes.size(); ++b) {
      engine::StringTable first;
      for (const std::string& entry : shapes[a]) first.push_back(entry);
      engine::StringTable second;
      for (const std::string& entry : shapes[b]) second.push_back(entry);
      first.AppendTable(std::move(second));
      V expected = shapes[a];
      expected.insert(expected.end(), shapes[b].begin(), shapes[b].end());
      ASSERT_TRUE(Entries(first) == expected) << "shapes " << a << " and " << b;
      EXPECT_TRUE(second.empty());  // NOLINT(bugprone-use-after-move): taken over
      first.push_back("after");
      first.push_back(std::string(kBlock - 1, 'z'));
      expected.push_back("after");
      expected.push_back(std::string(kBlock - 1, 'z'));
      ASSERT_TRUE(Entries(first) == expected) << "appended to, shapes " << a << " and " << b;
      first.Truncate(shapes[a].size());
      first.push_back("again");
      ASSERT_EQ(first[shapes[a].size()], "again") << "shapes " << a << " and " << b;
    }
  }
}

}  // namespace
