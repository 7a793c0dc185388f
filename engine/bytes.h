// Byte-string helpers shared by the engine: the upper-casing of names and
// CR LF lines. (The plain a-z fold is base/ascii.h.)
//
// All text is raw 8-bit bytes in the system's ANSI code page; std::string may
// hold NULs. Nothing here depends on the locale.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The upper-casing the program uses for address-book names and list keys:
// a-z become A-Z, and seven letters of OEM code page 437 become their
// capitals (0x81->0x9A, 0x82->0x90, 0x84->0x8E, 0x86->0x8F, 0x87->0x80,
// 0x94->0x99, 0xA4->0xA5). Every other byte stays as it is.
inline char UpperCaseByte(char c);
std::string UpperCase(std::string_view text);

namespace detail {
// The whole mapping as one table, so that the loops of loading and
// expansion are a single indexed load per byte.
constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> table{};
  for (std::size_t b = 0; b < table.size(); ++b) table[b] = static_cast<unsigned char>(b);
  for (std::size_t b = 'a'; b <= 'z'; ++b) table[b] = static_cast<unsigned char>(b - 'a' + 'A');
  // Code page 437 letters with their capitals in the same code page.
  table[0x81] = 0x9A;
  table[0x82] = 0x90;
  table[0x84] = 0x8E;
  table[0x86] = 0x8F;
  table[0x87] = 0x80;
  table[0x94] = 0x99;
  table[0xA4] = 0xA5;
  return table;
}
inline constexpr std::array<unsigned char, 256> kUpperTable = MakeUpperTable();
}  // namespace detail

inline char UpperCaseByte(char c) {
  return static_cast<char>(detail::kUpperTable[static_cast<unsigned char>(c)]);
}

// The text cut at every CR LF pair. The part after the last CR LF is a
// segment too (empty when the text ends with CR LF); an empty text is one
// empty segment. A CR or LF outside a CR LF pair does not cut.
std::vector<std::string_view> SplitCrLfSegments(std::string_view text);

}  // namespace engine
