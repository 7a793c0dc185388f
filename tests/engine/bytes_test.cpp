#include "engine/bytes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "base/ascii.h"

namespace {

using engine::SplitCrLfSegments;
using engine::UpperCase;

TEST(UpperCase, ChangesExactlyTheListedBytes) {
  std::map<unsigned, unsigned> changed = {{0x81, 0x9A}, {0x82, 0x90}, {0x84, 0x8E}, {0x86, 0x8F},
                                          {0x87, 0x80}, {0x94, 0x99}, {0xA4, 0xA5}};
  for (unsigned b = 'a'; b <= 'z'; ++b) changed[b] = b - 'a' + 'A';
  for (unsigned b = 0; b < 256; ++b) {
    const unsigned expected = changed.count(b) ? changed[b] : b;
    const std::string in(1, static_cast<char>(b));
    EXPECT_EQ(static_cast<unsigned char>(UpperCase(in)[0]), expected) << "byte " << b;
    EXPECT_EQ(static_cast<unsigned char>(engine::UpperCaseByte(in[0])), expected) << "byte " << b;
  }
}

TEST(UpperCase, KeepsLengthNulsAndAnsiAccents) {
  const std::string in("jo\0smith \xE9\xFE\x9A", 12);
  EXPECT_EQ(UpperCase(in), std::string("JO\0SMITH \xE9\xFE\x9A", 12));
  EXPECT_EQ(UpperCase(""), "");
}

TEST(AsciiUpperByte, FoldsOnlyTheAsciiLetters) {
  for (unsigned b = 0; b < 256; ++b) {
    const auto c = static_cast<char>(b);
    const unsigned expected = (b >= 'a' && b <= 'z') ? b - 'a' + 'A' : b;
    EXPECT_EQ(static_cast<unsigned char>(base::AsciiUpperByte(c)), expected) << "byte " << b;
  }
  // The code page 437 letters that names fold stay as they are here.
  EXPECT_EQ(base::AsciiUpperByte('\x81'), '\x81');
  EXPECT_NE(engine::UpperCaseByte('\x81'), base::AsciiUpperByte('\x81'));
  // A whole text is folded eight bytes at a time, then its tail: every byte
  // at every place of texts up to 19 bytes long, among letters on both
  // sides of it, folds as the byte alone does, and a byte above 127 is seen.
  std::string upper;
  for (std::size_t size = 1; size <= 19; ++size) {
    for (std::size_t at = 0; at < size; ++at) {
      for (unsigned b = 0; b < 256; ++b) {
        std::string text(size, 'q');
        text[size - 1] = 'z';
        text[at] = static_cast<char>(b);
        std::string expected = text;
        for (char& c : expected) c = base::AsciiUpperByte(c);
        const bool high = base::AssignAsciiUpper(text, upper);
        ASSERT_EQ(upper, expected) << "byte " << b << " at " << at << " of " << size;
        ASSERT_EQ(high, b >= 0x80) << "byte " << b << " at " << at << " of " << size;
      }
    }
  }
  EXPECT_FALSE(base::AssignAsciiUpper("", upper));
  EXPECT_EQ(upper, "");
  EXPECT_EQ(base::AsciiUpper("`az{@AZ[ \xE1"), "`AZ{@AZ[ \xE1");
}

std::vector<std::string> Segments(std::string_view text) {
  const std::vector<std::string_view> views = SplitCrLfSegments(text);
  return {views.begin(), views.end()};
}

TEST(SplitCrLfSegments, CutsOnlyAtCrLfPairs) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Segments(""), V{""});
  EXPECT_EQ(Segments("a"), V{"a"});
  EXPECT_EQ(Segments("a\r\n"), (V{"a", ""}));
  EXPECT_EQ(Segments("a\r\nb"), (V{"a", "b"}));
  EXPECT_EQ(Segments("\r\n\r\n"), (V{"", "", ""}));
  EXPECT_EQ(Segments("a\rb\nc\n\rd"), V{"a\rb\nc\n\rd"});
  EXPECT_EQ(Segments("a\r\r\nb"), (V{"a\r", "b"}));
  EXPECT_EQ(Segments("a\r\n\nb"), (V{"a", "\nb"}));
}
}  // namespace
