// The program's upper-casing written out a second time, on purpose: tests
// and fuzz targets check the engine's table-driven UpperCase against it, so
// it must not share code with it. a-z and seven letters of code page 437.
#pragma once

#include <string>
#include <string_view>

namespace reference {

inline char UpperByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  switch (b) {
    case 0x81:
      return static_cast<char>(0x9A);
    case 0x82:
      return static_cast<char>(0x90);
    case 0x84:
      return static_cast<char>(0x8E);
    case 0x86:
      return static_cast<char>(0x8F);
    case 0x87:
      return static_cast<char>(0x80);
    case 0x94:
      return static_cast<char>(0x99);
    case 0xA4:
      return static_cast<char>(0xA5);
    default:
      return c;
  }
}

inline std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperByte(c);
  return out;
}

}  // namespace reference
