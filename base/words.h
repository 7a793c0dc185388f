// Eight bytes at a time: a text read as 64-bit words, first byte lowest,
// so that "is any of these bytes zero", "is any of them c" or "is any of
// them above 127" costs a few operations per word instead of eight
// comparisons. Everything is inline: these sit in the innermost loops of
// whoever uses them. Includes nothing of the project, so that any layer may
// use it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace base {

static_assert(std::endian::native == std::endian::little,
              "words are read first byte lowest: the first marked byte is the lowest one");

// 0x01 and 0x80 in every byte of a word.
inline constexpr std::uint64_t kByteOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kByteHighs = 0x8080808080808080ULL;

// The eight bytes at `at`, which need not be aligned.
inline std::uint64_t LoadWord(const char* at) {
  std::uint64_t word;
  std::memcpy(&word, at, 8);
  return word;
}

// The last `count` (1 to 7) bytes of a text, which end at `end`, as a word,
// the rest zero. `whole` says the text has 8 bytes or more: then one word
// ending at `end` is read and shifted; otherwise no byte before `end -
// count` is read.
inline std::uint64_t LoadTail(const char* end, std::size_t count, bool whole) {
  if (whole) return LoadWord(end - 8) >> (8 * (8 - count));
  const char* at = end - count;
  if (count >= 4) {
    // Two four-byte reads that overlap where count < 8.
    std::uint32_t low;
    std::uint32_t high;
    std::memcpy(&low, at, 4);
    std::memcpy(&high, end - 4, 4);
    return std::uint64_t{low} | (std::uint64_t{high} << (8 * (count - 4)));
  }
  std::uint64_t word = 0;
  for (std::size_t j = 0; j < count; ++j) {
    word |= std::uint64_t{static_cast<unsigned char>(at[j])} << (8 * j);
  }
  return word;
}

// The bytes of `text` from `at` on (1 to 7 of them, its last) as a word,
// the rest zero: LoadTail of a text's tail.
inline std::uint64_t LoadTailOf(std::string_view text, std::size_t at) {
  return LoadTail(text.data() + text.size(), text.size() - at, text.size() >= 8);
}

// The low `count` (0 to 8) bytes of a word set: what keeps the marks of a
// tail's own bytes (LoadTail leaves the rest zero, which ZeroBytes marks).
constexpr std::uint64_t LowBytes(std::size_t count) {
  return count >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * count)) - 1;
}

// The high bit of every byte of `word` that is zero; also of some bytes
// after the first zero one (borrows), never before it. Non-zero exactly
// when the word has a zero byte.
constexpr std::uint64_t ZeroBytes(std::uint64_t word) {
  return (word - kByteOnes) & ~word & kByteHighs;
}

// The same for the bytes of `word` equal to `c`: a byte equal to c is a
// zero byte of word ^ (c in every byte).
constexpr std::uint64_t BytesEqualTo(std::uint64_t word, unsigned char c) {
  return ZeroBytes(word ^ (kByteOnes * c));
}

// Where the first byte that `marks` (from ZeroBytes or BytesEqualTo, not
// zero) marks lies in its word: 0 to 7.
constexpr std::size_t FirstMarkedByte(std::uint64_t marks) {
  return static_cast<std::size_t>(std::countr_zero(marks)) / 8;
}

// Whether every byte of `word` is below 0x80.
constexpr bool AllAscii(std::uint64_t word) {
  return (word & kByteHighs) == 0;
}

// `word` with the bytes a-z made A-Z and every other byte as it was. Each
// byte's low seven bits are compared with 'a' and 'z' by adding to them
// (no carry leaves a byte); a byte above 127 is never a letter.
constexpr std::uint64_t AsciiUpperWord(std::uint64_t word) {
  const std::uint64_t low = word & ~kByteHighs;
  const std::uint64_t fromA = low + kByteOnes * (0x80 - 'a');
  const std::uint64_t pastZ = low + kByteOnes * (0x80 - 'z' - 1);
  const std::uint64_t letters = fromA & ~pastZ & ~word & kByteHighs;
  return word ^ (letters >> 2);  // 0x80 >> 2 is the case bit, 0x20
}

}  // namespace base
