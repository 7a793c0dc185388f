// Name-based UUIDs (RFC 4122 version 5: SHA-1 of a namespace UUID and a
// name), so that the same folder gives the same UIDs on every export and an
// address book that imports it again updates its cards instead of adding
// them twice. Pure.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace exchange {

// The version 5 UUID of `name` in the namespace `space` (16 bytes), in its
// lower-case 8-4-4-4-12 text form.
std::string NameUuid(const std::array<std::uint8_t, 16>& space, std::string_view name);

// The same UUID as its 16 bytes, and those bytes in the text form.
using Uuid = std::array<std::uint8_t, 16>;
Uuid NameUuidBytes(const std::array<std::uint8_t, 16>& space, std::string_view name);
void WriteUuidText(const Uuid& uuid, char* text36);

}  // namespace exchange
