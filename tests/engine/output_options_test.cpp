#include "engine/output_options.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using engine::SortList;
using engine::StripNames;

const char kExpansion[] = "bob\tb\r\nAlice\ta\r\nCarol\r\n";

TEST(StripNames, ReducesEveryLineToItsAddress) {
  EXPECT_EQ(StripNames(kExpansion), "b\r\na\r\nCarol\r\n\r\n");
  EXPECT_EQ(StripNames("Jo Smith <jo@x.org>"), "jo@x.org\r\n");
  EXPECT_EQ(StripNames("\"Smith, Jo\" <jo@x.org>\r\n"), "jo@x.org\r\n\r\n");
  EXPECT_EQ(StripNames("  bare@x.org  \r\nName only\r\nends with\"\r\n"),
            "bare@x.org\r\nName only\r\n\r\n\r\n");
  // Only the first TAB cuts; edges lose any mix of spaces and angle brackets.
  EXPECT_EQ(StripNames("n\ta\tb\r\n<> <x> <y>>\r\n<<>>"), "a\tb\r\ny\r\n\r\n");
  EXPECT_EQ(StripNames("a\rb\nc"), "a\rb\nc\r\n");
  EXPECT_EQ(StripNames(""), "\r\n");
}

TEST(StripNames, EachPressAddsOneEmptyLine) {
  const std::string once = StripNames(kExpansion);
  EXPECT_EQ(StripNames(once), "b\r\na\r\nCarol\r\n\r\n\r\n");
}

TEST(SortList, SortsFoldingOnlyAToZAndDropsBlankLines) {
  EXPECT_EQ(SortList(kExpansion), "Alice\ta\r\nbob\tb\r\nCarol\r\n");
  EXPECT_EQ(SortList(StripNames(kExpansion)), "a\r\nb\r\nCarol\r\n");
  EXPECT_EQ(StripNames(SortList(kExpansion)), "a\r\nb\r\nCarol\r\n\r\n");
  EXPECT_EQ(SortList(""), "");
  // A TAB sorts before printable bytes; a prefix first; 91-96 and 123-127
  // after letters; bytes above 127 last, code page 437 letters unfolded.
  EXPECT_EQ(SortList("Jo Smith\tx\r\nJo\ty\r\nJo\r\n_u\r\n{b\r\nz\r\n\x81q\r\n\x9Aq\r\n1\r\n!"),
            "!\r\n1\r\nJo\r\nJo\ty\r\nJo Smith\tx\r\nz\r\n_u\r\n{b\r\n\x81q\r\n\x9Aq\r\n");
  // Left out: empty, a lone space, anything starting below a space.
  EXPECT_EQ(SortList(" \r\n\r\n\tTabbed\r\n  spaced\r\n\x01x\r\nb\r\n"), "  spaced\r\nb\r\n");
}

// Lines of a list end at CR, so an entry may hold LF bytes, and the pane may
// hold a CR that a user typed or an address brought along. Only a CR LF pair
// ends a line here; a lone CR or LF is a byte like any other.
TEST(OutputOptions, CutOnlyAtCrLfPairs) {
  const std::string pane =
      "Zed\nJo Smith\nann lee\r\nann lee\tann@lee.example\r\n"
      "\nJo Smith\r\nb@x.example\n\r\nc\rd\r\r\n";
  EXPECT_EQ(StripNames(pane),
            "Zed\nJo Smith\nann lee\r\nann@lee.example\r\n\nJo Smith\r\nb@x.example\n\r\n"
            "c\rd\r\r\n\r\n");
  // The line that starts with an LF starts below a space and is left out;
  // "b@x.example" LF sorts after "b@x.example", a CR before a letter.
  EXPECT_EQ(SortList(pane + "b@x.example\r\nc\r\n"),
            "ann lee\tann@lee.example\r\nb@x.example\r\nb@x.example\n\r\nc\r\n"
            "c\rd\r\r\nZed\nJo Smith\nann lee\r\n");
  EXPECT_EQ(SortList("\n\r\n\r\r\n\n"), "");
  EXPECT_EQ(StripNames("\n\r\n\r"), "\n\r\n\r\r\n");
  // A name, TAB and address whose address holds an LF keeps it.
  EXPECT_EQ(StripNames("Jo\tjo@x\norg\r\n"), "jo@x\norg\r\n\r\n");
}

TEST(SortList, ResortingChangesNothing) {
  const std::string once = SortList("b\r\nB\r\na\r\nA\r\nc");
  EXPECT_EQ(SortList(once), once);
}

// Texts far beyond what a 32,769-byte buffer holds keep every line.
TEST(OutputOptions, WorkOnTheWholeText) {
  std::string text;
  std::string stripped;
  for (int i = 99999; i >= 0; --i) {
    const std::string n = std::to_string(100000 + i);
    text += "Name " + n + "\t" + n + "@x\r\n";
    stripped += n + "@x\r\n";
  }
  ASSERT_GT(text.size(), 32769u * 30);
  EXPECT_EQ(StripNames(text), stripped + "\r\n");
  std::string sorted;
  for (int i = 0; i < 100000; ++i) sorted += std::to_string(100000 + i) + "@x\r\n";
  EXPECT_EQ(SortList(stripped), sorted);
}

}  // namespace
