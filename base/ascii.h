// ASCII letter case, the one byte rule that every floor of the program
// shares: file names, list box rows, the order of "Sort List" and the
// addresses the console program compares all ignore the case of a-z and of
// nothing else. No locale, no code page: bytes above 127 are never changed.
// Includes nothing of the project, so that any layer may use it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

// a-z become A-Z; every other byte stays as it is.
constexpr char AsciiUpperByte(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// `text` with a-z made A-Z.
inline std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpperByte(c);
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
