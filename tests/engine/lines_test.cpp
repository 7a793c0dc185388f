#include "engine/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  engine::LineReader reader(text);
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

using V = std::vector<std::string>;

TEST(LineReader, CrAndCrLfEndLinesLoneLfStays) {
  EXPECT_EQ(Lines("a\rb\r\nc"), (V{"a", "b", "c"}));
  EXPECT_EQ(Lines("a\nb\nc"), V{"a\nb\nc"});
  EXPECT_EQ(Lines("a\n\rb"), (V{"a\n", "b"}));
  EXPECT_EQ(Lines("a\r\n\nb"), (V{"a", "\nb"}));
  EXPECT_EQ(Lines("a\r\rb"), (V{"a", "", "b"}));
  EXPECT_EQ(Lines("a\r\n\r\n"), (V{"a", ""}));
}

TEST(LineReader, LastLineNeedsNoEnd) {
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("a"), V{"a"});
  EXPECT_EQ(Lines("a\r\n"), V{"a"});
  EXPECT_EQ(Lines("\r"), V{""});
}

TEST(LineReader, CtrlZEndsTheText) {
  EXPECT_EQ(Lines("ab\x1A"
                  "cd\r\nef"),
            V{"ab"});
  EXPECT_EQ(Lines("ab\r\n\x1A"
                  "cd"),
            V{"ab"});
  EXPECT_EQ(Lines("\x1A"
                  "ab"),
            V{});
  EXPECT_EQ(Lines("ab\r\x1A\n"), V{"ab"});
}

TEST(LineReader, KeepsNulsTabsAndSpaces) {
  const std::string text("\t a\0b \r\nc", 9);
  EXPECT_EQ(Lines(text), (V{std::string("\t a\0b ", 6), "c"}));
}

TEST(LineReader, ReadsAFiftyMegabyteLineWhole) {
  std::string text(50u << 20, 'q');
  text += "\r\nend";
  const V lines = Lines(text);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 50u << 20);
  EXPECT_EQ(lines[1], "end");
}

TEST(FirstLine, IsTheFirstLineByTheSameRules) {
  EXPECT_EQ(engine::FirstLine(""), "");
  EXPECT_EQ(engine::FirstLine("one\rtwo"), "one");
  EXPECT_EQ(engine::FirstLine("one\r\ntwo"), "one");
  EXPECT_EQ(engine::FirstLine("one\ntwo"), "one\ntwo");
  EXPECT_EQ(engine::FirstLine("on\x1A"
                              "e\r"),
            "on");
}

}  // namespace
