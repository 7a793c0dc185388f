#include "engine/mailing_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(ListTitleOf, IsTheFirstLineFromItsEighthByte) {
  EXPECT_EQ(engine::ListTitleOf("\\TITLE Friends of the club  \r\nBob\r\n"),
            "Friends of the club  ");
  EXPECT_EQ(engine::ListTitleOf("\\TITLE \r\n"), "");
  EXPECT_EQ(engine::ListTitleOf("\\TITLE X\r"), "X");
  EXPECT_EQ(engine::ListTitleOf("\\TITLE X\rY"), engine::ListTitleOf("\\TITLE X\r\nY"));
  EXPECT_EQ(engine::ListTitleOf("\\TITLE A\nB\nC"), "A\nB\nC");
  EXPECT_EQ(engine::ListTitleOf("\\TITLE Ab\x1A"
                                "cd\r\n"),
            "Ab");
  EXPECT_EQ(engine::ListTitleOf(std::string("1234567\0b\t", 10)), std::string("\0b\t", 3));
  EXPECT_EQ(engine::ListTitleOf("short"), "");
  EXPECT_EQ(engine::ListTitleOf(""), "");
}

TEST(ListEntries, SkipEmptyLinesAndBackslashLinesAndCountEveryLine) {
  std::vector<std::pair<std::size_t, std::string>> seen;
  engine::ForEachListEntry("\\TITLE T\r\nann\r\n\r\n\\comment\r\n \r\nb\nc\rlast\x1A\r\nafter",
                           [&](std::size_t number, std::string_view entry) {
                             seen.emplace_back(number, std::string(entry));
                           });
  const std::vector<std::pair<std::size_t, std::string>> expected = {
      {2, "ann"}, {5, " "}, {6, "b\nc"}, {7, "last"}};
  EXPECT_EQ(seen, expected);
}

TEST(FindListByTitle, TakesTheFirstExactTitle) {
  const std::vector<engine::MailingList> lists = {
      {"zeta.PML", "Zeta"}, {"alpha.pml", "Alpha"}, {"again.PML", "Zeta"}, {"empty.PML", ""}};
  EXPECT_EQ(engine::FindListByTitle(lists, "Zeta"), 0u);
  EXPECT_EQ(engine::FindListByTitle(lists, "Alpha"), 1u);
  EXPECT_EQ(engine::FindListByTitle(lists, ""), 3u);
  EXPECT_EQ(engine::FindListByTitle(lists, "zeta"), std::nullopt);
  EXPECT_EQ(engine::FindListByTitle({}, ""), std::nullopt);
}

}  // namespace
