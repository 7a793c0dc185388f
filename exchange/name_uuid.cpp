#include "exchange/name_uuid.h"

#include <cstddef>
#include <cstring>

#include "base/sha1.h"

namespace exchange {

Uuid NameUuidBytes(const std::array<std::uint8_t, 16>& space, std::string_view name) {
  // The namespace and the name as one text, on the stack for the usual
  // short name.
  std::array<char, 256> room;
  std::string longer;
  std::string_view input;
  if (space.size() + name.size() <= room.size()) {
    std::memcpy(room.data(), space.data(), space.size());
    std::memcpy(room.data() + space.size(), name.data(), name.size());
    input = std::string_view(room.data(), space.size() + name.size());
  } else {
    longer.assign(space.begin(), space.end());
    longer += name;
    input = longer;
  }
  const std::array<std::uint8_t, 20> d = base::Sha1(input);
  Uuid uuid;
  std::memcpy(uuid.data(), d.data(), uuid.size());
  uuid[6] = static_cast<std::uint8_t>((uuid[6] & 0x0F) | 0x50);  // version 5
  uuid[8] = static_cast<std::uint8_t>((uuid[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  return uuid;
}

void WriteUuidText(const Uuid& uuid, char* text) {
  constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *text++ = '-';
    *text++ = kHex[uuid[i] >> 4];
    *text++ = kHex[uuid[i] & 0x0F];
  }
}

std::string NameUuid(const std::array<std::uint8_t, 16>& space, std::string_view name) {
  std::string text(36, '\0');
  WriteUuidText(NameUuidBytes(space, name), text.data());
  return text;
}

}  // namespace exchange
