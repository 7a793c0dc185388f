#include "exchange/name_uuid.h"

#include <cstddef>

#include "base/sha1.h"

namespace exchange {

std::string NameUuid(const std::array<std::uint8_t, 16>& space, std::string_view name) {
  std::string input(space.begin(), space.end());
  input += name;
  std::array<std::uint8_t, 20> d = base::Sha1(input);
  d[6] = static_cast<std::uint8_t>((d[6] & 0x0F) | 0x50);  // version 5
  d[8] = static_cast<std::uint8_t>((d[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kHex[d[i] >> 4];
    text += kHex[d[i] & 0x0F];
  }
  return text;
}

}  // namespace exchange
