#include "engine/first_match_index.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/engine/book_fixture.h"

namespace {

using fixture::LinearFind;
using V = std::vector<std::string>;

TEST(FirstMatchIndex, GivesTheLinearScansAnswer) {
  std::mt19937 random(7);
  for (const std::size_t size : {0u, 1u, 2u, 3u, 17u, 1000u, 20000u}) {
    V names;
    for (std::size_t k = 0; k < size; ++k) {
      // Few distinct values: many duplicates, empty names, a NUL inside.
      const auto value = static_cast<unsigned>(random() % (size / 3 + 2));
      names.push_back(value == 0 ? std::string()
                                 : "N" + std::string(1, '\0') + std::to_string(value));
    }
    const engine::StringTable table = fixture::TableOf(names);
    const engine::FirstMatchIndex index(table);
    for (unsigned value = 0; value < size / 3 + 4; ++value) {
      const std::string key = value == 0 ? "" : "N" + std::string(1, '\0') + std::to_string(value);
      EXPECT_EQ(index.Find(key), LinearFind(names, key)) << "size " << size << " key " << value;
    }
    EXPECT_EQ(index.Find("N"), std::nullopt);
  }
  EXPECT_EQ(engine::FirstMatchIndex().Find("X"), std::nullopt);
}

TEST(FirstMatchIndex, FindManyPutsEachAnswerAtItsKeysPlace) {
  // Names with duplicates; keys in an order unlike the names', more of them
  // than one batch, with hits and misses mixed.
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("N" + std::to_string(i % 170));
  const engine::StringTable table = fixture::TableOf(names);
  const engine::FirstMatchIndex index(table);
  for (const std::size_t count : {1u, 31u, 32u, 33u, 64u, 65u, 500u}) {
    std::vector<std::string> keyText;
    for (std::size_t i = 0; i < count; ++i) {
      keyText.push_back("N" + std::to_string((i * 37 + 11) % 200));
    }
    const std::vector<std::string_view> keys(keyText.begin(), keyText.end());
    std::vector<std::optional<std::size_t>> found(count, std::size_t{99999});
    index.FindMany(keys, found, &table);
    for (std::size_t i = 0; i < count; ++i) {
      ASSERT_EQ(found[i], LinearFind(names, keyText[i])) << "count " << count << " key " << i;
    }
  }
}

}  // namespace
