// The SHA-1 digest (FIPS 180-4), for name-based UUIDs: not for anything
// that must resist an attacker. Pure, header-only like the rest of base/.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define QUILLMER_SHA1_INSTRUCTIONS 1
#else
#define QUILLMER_SHA1_INSTRUCTIONS 0
#endif

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

#if QUILLMER_SHA1_INSTRUCTIONS
// Whether the processor has the SHA extensions (and the SSE levels they
// come with): then its own instructions work the rounds out, the same
// digest several times faster. Asked once.
inline bool HasShaInstructions() {
  static const bool has = [] {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;
    const bool sse = (c & (1U << 9)) != 0 && (c & (1U << 19)) != 0;  // SSSE3, SSE4.1
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return false;
    return sse && (b & (1U << 29)) != 0;
  }();
  return has;
}

// `count` 64-byte blocks into the running state, by the SHA instructions:
// four rounds at a time. The state's words a to d sit in one register,
// highest lane first, e in the highest lane of another; so does each
// group of four message words, read big-endian.
__attribute__((target("sha,sse4.1,ssse3"))) inline void Sha1BlocksByInstructions(
    const std::uint8_t* blocks, std::size_t count, std::array<std::uint32_t, 5>& h) {
  const __m128i kBigEndian = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
  __m128i abcd =
      _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h.data())), 0x1B);
  __m128i e = _mm_set_epi32(static_cast<int>(h[4]), 0, 0, 0);
  for (std::size_t block = 0; block < count; ++block, blocks += 64) {
    const __m128i abcdBefore = abcd;
    const __m128i eBefore = e;
    // Message words 4g to 4g + 3 in w[g % 4]; from g = 4 on, each group
    // is made of the four before it.
    __m128i w[4];
    for (int k = 0; k < 4; ++k) {
      w[k] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(blocks + 16 * k)),
                              kBigEndian);
    }
    __m128i ew = _mm_add_epi32(e, w[0]);  // e plus the group's first word
    __m128i before = abcd;                // a to d four rounds back
    for (int g = 0; g < 20; ++g) {
      if (g >= 4) {
        w[g % 4] = _mm_sha1msg2_epu32(
            _mm_xor_si128(_mm_sha1msg1_epu32(w[g % 4], w[(g + 1) % 4]), w[(g + 2) % 4]),
            w[(g + 3) % 4]);
      }
      if (g > 0) ew = _mm_sha1nexte_epu32(before, w[g % 4]);
      before = abcd;
      switch (g / 5) {
        case 0:
          abcd = _mm_sha1rnds4_epu32(abcd, ew, 0);
          break;
        case 1:
          abcd = _mm_sha1rnds4_epu32(abcd, ew, 1);
          break;
        case 2:
          abcd = _mm_sha1rnds4_epu32(abcd, ew, 2);
          break;
        default:
          abcd = _mm_sha1rnds4_epu32(abcd, ew, 3);
          break;
      }
    }
    e = _mm_sha1nexte_epu32(before, eBefore);
    abcd = _mm_add_epi32(abcd, abcdBefore);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h.data()), _mm_shuffle_epi32(abcd, 0x1B));
  h[4] = static_cast<std::uint32_t>(_mm_extract_epi32(e, 3));
}
#else
inline bool HasShaInstructions() {
  return false;
}
#endif

// `count` 64-byte blocks into the running state, by the instructions
// where `instructions` (which HasShaInstructions() must allow).
inline void Sha1Blocks(const std::uint8_t* blocks, std::size_t count,
                       std::array<std::uint32_t, 5>& h, bool instructions) {
#if QUILLMER_SHA1_INSTRUCTIONS
  if (instructions) {
    Sha1BlocksByInstructions(blocks, count, h);
    return;
  }
#else
  (void)instructions;
#endif
  for (std::size_t i = 0; i < count; ++i) Sha1Block(blocks + 64 * i, h);
}

// The digest of `bytes`, by the processor's instructions where
// `instructions` (which HasShaInstructions() must allow): Sha1 below, and
// the tests that compare the two ways.
inline std::array<std::uint8_t, 20> Sha1Using(std::string_view bytes, bool instructions) {
  std::array<std::uint32_t, 5> h = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  const std::size_t whole = bytes.size() - bytes.size() % 64;
  Sha1Blocks(reinterpret_cast<const std::uint8_t*>(bytes.data()), whole / 64, h, instructions);
  // The tail, the 0x80 marker, zeros and the bit length fill one or two
  // last blocks.
  std::uint8_t last[128] = {};
  const std::size_t rest = bytes.size() - whole;
  for (std::size_t i = 0; i < rest; ++i) last[i] = static_cast<std::uint8_t>(bytes[whole + i]);
  last[rest] = 0x80;
  const std::size_t end = rest + 9 <= 64 ? 64 : 128;
  const std::uint64_t bits = static_cast<std::uint64_t>(bytes.size()) * 8;
  for (std::size_t i = 0; i < 8; ++i) {
    last[end - 1 - i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
  Sha1Blocks(last, end / 64, h, instructions);

  std::array<std::uint8_t, 20> digest{};
  for (std::size_t i = 0; i < 20; ++i) {
    digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  }
  return digest;
}

}  // namespace sha1_detail

inline std::array<std::uint8_t, 20> Sha1(std::string_view bytes) {
  return sha1_detail::Sha1Using(bytes, sha1_detail::HasShaInstructions());
}

}  // namespace base
