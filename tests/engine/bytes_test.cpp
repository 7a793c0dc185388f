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
