// ASCII letter case, the one byte rule that every floor of the program
// shares: file names, list box rows, the order of "Sort List" and the
// addresses the console program compares all ignore the case of a-z and of
// nothing else. No locale, no code page: bytes above 127 are never changed.
// Includes nothing of the project but the word tricks, so that any layer
// may use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/words.h"

namespace base {

// a-z become A-Z; every other byte stays as it is.
constexpr char AsciiUpperByte(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// `out` made `text` with a-z made A-Z, eight bytes at a time; says
// whether any byte is above 127.
inline bool AssignAsciiUpper(std::string_view text, std::string& out) {
  out.resize(text.size());
  char* const to = out.data();
  std::uint64_t seen = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    const std::uint64_t word = LoadWord(text.data() + i);
    seen |= word;
    const std::uint64_t upper = AsciiUpperWord(word);
    std::memcpy(to + i, &upper, 8);
  }
  for (; i < text.size(); ++i) {
    seen |= static_cast<unsigned char>(text[i]);
    to[i] = AsciiUpperByte(text[i]);
  }
  return (seen & kByteHighs) != 0;
}

// `text` with a-z made A-Z.
inline std::string AsciiUpper(std::string_view text) {
  std::string upper;
  AssignAsciiUpper(text, upper);
  return upper;
}

// The same length and the same bytes once a-z are made A-Z.
constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpperByte(a[i]) != AsciiUpperByte(b[i])) return false;
  }
  return true;
}

// `text` without the blanks and TABs at either end.
constexpr std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace base
