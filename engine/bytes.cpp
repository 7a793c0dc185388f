#include "engine/bytes.h"

#include <array>
#include <cstddef>

namespace engine {

namespace {

// The whole mapping as one table, built at compile time, so that the hot
// loops of loading and expansion are a single indexed load per byte.
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

constexpr std::array<unsigned char, 256> kUpper = MakeUpperTable();

}  // namespace

char UpperCaseByte(char c) {
  return static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperCaseByte(c);
  return result;
}

std::vector<std::string_view> SplitCrLfSegments(std::string_view text) {
  std::vector<std::string_view> segments;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pair = text.find("\r\n", start);
    if (pair == std::string_view::npos) break;
    segments.push_back(text.substr(start, pair - start));
    start = pair + 2;
  }
  segments.push_back(text.substr(start));
  return segments;
}

std::string NormalizeLineBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      result += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      result += "\r\n";
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace engine
