// The code page converter, the same test natively (iconv) and under Wine
// (MultiByteToWideChar): both must agree byte for byte on what a book holds.
#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

std::string Utf8(unsigned codePage, std::string_view bytes, std::size_t* undefined = nullptr) {
  platform::CodePageConverter converter(codePage);
  std::string out = "kept:";
  const std::size_t n = converter.AppendUtf8(bytes, out);
  if (undefined != nullptr) *undefined = n;
  EXPECT_EQ(out.substr(0, 5), "kept:");
  return out.substr(5);
}

// The number of bytes of the UTF-8 sequence starting with `lead`, 0 when it
// cannot start one.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  return 0;
}

TEST(CodePageConverter, LettersArriveAsTheirUnicodeCharacters) {
  // name: (code page, bytes) -> UTF-8 of the characters the code page charts show.
  const std::map<std::pair<unsigned, std::string>, std::string> cases = {
      {{1252, "Ren\xE9 M\xFCller \x80"}, "Ren\u00E9 M\u00FCller \u20AC"},
      {{1252, "\x8A\x9F\xA0\xFF"}, "\u0160\u0178\u00A0\u00FF"},
      {{850, "Ren\x82 \x9B\xD5"}, "Ren\u00E9 \u00F8\u0131"},
      {{437, "Ren\x82 \x9B\xE1"}, "Ren\u00E9 \u00A2\u00DF"},
      {{1250, "\x8A\xE8\xF8\xB9"}, "\u0160\u010D\u0159\u0105"},
      {{1252, std::string("a\0b\r\n", 5)}, std::string("a\0b\r\n", 5)},
      {{437, ""}, ""},
  };
  for (const auto& [input, expected] : cases) {
    std::size_t undefined = 99;
    EXPECT_EQ(Utf8(input.first, input.second, &undefined), expected) << input.first;
    EXPECT_EQ(undefined, 0u) << input.first;
  }
}

// A code page the system cannot convert from: the converter says so instead
// of throwing, and what it still writes loses nothing silently.
TEST(CodePageConverter, OneThatCannotOpenSaysWhyAndCountsEveryHighByte) {
  for (const unsigned codePage : {1252u, 850u, 437u, 1250u}) {
    const platform::CodePageConverter converter(codePage);
    EXPECT_TRUE(converter.IsOpen()) << codePage;
    EXPECT_EQ(converter.OpenFailure(), "") << codePage;
  }
  for (const unsigned codePage : {65001u, 0u, 1251u}) {
    ASSERT_FALSE(platform::IsSupportedCodePage(codePage));
    const platform::CodePageConverter converter(codePage);
    EXPECT_FALSE(converter.IsOpen()) << codePage;
    EXPECT_EQ(converter.OpenFailure(), "unsupported code page") << codePage;
    std::string out;
    EXPECT_EQ(converter.AppendUtf8("a\xE9"
                                   "b\x80",
                                   out),
              2u)
        << codePage;
    EXPECT_EQ(out,
              "a\uFFFD"
              "b\uFFFD")
        << codePage;
  }
}

TEST(CodePageConverter, UndefinedBytesBecomeReplacementCharactersAndAreCounted) {
  const std::map<unsigned, std::set<unsigned>> undefinedBytes = {
      {1252, {0x81, 0x8D, 0x8F, 0x90, 0x9D}},
      {1250, {0x81, 0x83, 0x88, 0x90, 0x98}},
      {850, {}},
      {437, {}},
  };
  for (const auto& [codePage, undefinedSet] : undefinedBytes) {
    ASSERT_TRUE(platform::IsSupportedCodePage(codePage));
    // Every byte on its own: one character each, ASCII unchanged, and
    // U+FFFD exactly for the bytes the code page leaves out.
    std::string all;
    for (unsigned b = 0; b < 256; ++b) {
      const std::string byte(1, static_cast<char>(b));
      all += byte;
      std::size_t undefined = 0;
      const std::string text = Utf8(codePage, byte, &undefined);
      const bool isUndefined = undefinedSet.count(b) != 0;
      EXPECT_EQ(undefined, isUndefined ? 1u : 0u) << codePage << " byte " << b;
      ASSERT_FALSE(text.empty()) << codePage << " byte " << b;
      EXPECT_EQ(text.size(), SequenceLength(static_cast<unsigned char>(text[0])))
          << codePage << " byte " << b;
      if (b < 0x80) {
        EXPECT_EQ(text, byte) << codePage;
      }
      EXPECT_EQ(text == "\xEF\xBF\xBD", isUndefined) << codePage << " byte " << b;
      // No byte of these code pages stands for a C1 control.
      EXPECT_FALSE(text.size() == 2 && text[0] == '\xC2' &&
                   static_cast<unsigned char>(text[1]) < 0xA0)
          << codePage << " byte " << b;
    }
    // All 256 at once: the same count, and the text goes on after each one.
    std::size_t undefined = 0;
    const std::string text = Utf8(codePage, all, &undefined);
    EXPECT_EQ(undefined, undefinedSet.size()) << codePage;
    EXPECT_EQ(text.substr(text.size() - 2), codePage == 1252   ? "\u00FF"
                                            : codePage == 1250 ? "\u02D9"
                                                               : "\u00A0")
        << codePage;
  }
  EXPECT_FALSE(platform::IsSupportedCodePage(65001));
  EXPECT_FALSE(platform::IsSupportedCodePage(1251));
}

}  // namespace
