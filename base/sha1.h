// The SHA-1 digest (FIPS 180-4), for name-based UUIDs: not for anything
// that must resist an attacker. Pure, header-only like the rest of base/.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace base {

namespace sha1_detail {

inline constexpr std::uint32_t RotateLeft(std::uint32_t v, int n) {
  return (v << n) | (v >> (32 - n));
}

// One 64-byte block into the running state.
inline void Sha1Block(const std::uint8_t* block, std::array<std::uint32_t, 5>& h) {
  std::uint32_t w[80];
  for (int i = 0; i < 16; ++i) {
    w[i] = static_cast<std::uint32_t>(block[4 * i]) << 24 |
           static_cast<std::uint32_t>(block[4 * i + 1]) << 16 |
           static_cast<std::uint32_t>(block[4 * i + 2]) << 8 | block[4 * i + 3];
  }
  for (int i = 16; i < 80; ++i) w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
  // The four kinds of rounds in loops of their own: no test of the round
  // in the loop, which the compiler can then unroll.
  const auto round = [&](std::uint32_t f, std::uint32_t k, std::uint32_t word) {
    const std::uint32_t t = RotateLeft(a, 5) + f + e + k + word;
    e = d;
    d = c;
    c = RotateLeft(b, 30);
    b = a;
    a = t;
  };
  for (int i = 0; i < 20; ++i) round((b & c) | (~b & d), 0x5A827999, w[i]);
  for (int i = 20; i < 40; ++i) round(b ^ c ^ d, 0x6ED9EBA1, w[i]);
  for (int i = 40; i < 60; ++i) round((b & c) | (b & d) | (c & d), 0x8F1BBCDC, w[i]);
  for (int i = 60; i < 80; ++i) round(b ^ c ^ d, 0xCA62C1D6, w[i]);
  h[0] += a;
  h[1] += b;
  h[2] += c;
  h[3] += d;
  h[4] += e;
}

}  // namespace sha1_detail

inline std::array<std::uint8_t, 20> Sha1(std::string_view bytes) {
  using sha1_detail::Sha1Block;
  std::array<std::uint32_t, 5> h = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  std::size_t whole = bytes.size() - bytes.size() % 64;
  for (std::size_t i = 0; i < whole; i += 64) {
    Sha1Block(reinterpret_cast<const std::uint8_t*>(bytes.data() + i), h);
  }
  // The tail, the 0x80 marker, zeros and the bit length fill one or two
  // last blocks.
  std::uint8_t last[128] = {};
  const std::size_t rest = bytes.size() - whole;
  for (std::size_t i = 0; i < rest; ++i) last[i] = static_cast<std::uint8_t>(bytes[whole + i]);
  last[rest] = 0x80;
  const std::size_t end = rest + 9 <= 64 ? 64 : 128;
  const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
  for (std::size_t i = 0; i < 8; ++i)
    last[end - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
  for (std::size_t i = 0; i < end; i += 64) Sha1Block(last + i, h);

  std::array<std::uint8_t, 20> digest{};
  for (std::size_t i = 0; i < 20; ++i) {
    digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  }
  return digest;
}

}  // namespace base
