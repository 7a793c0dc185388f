// The name hash fed a word at a time: the name's bytes in eight-byte words,
// the last one padded with zeros, then its length. Reading words is what
// lets the hash be worked out while the name is upper-cased (address_book.h);
// NameHash (first_match_index.h) is the same hash of a name already
// upper-cased.
#pragma once

#include <cstddef>
#include <cstdint>

namespace engine {

class WordHash {
 public:
  void Add(std::uint64_t word) {
    h_ = (h_ ^ word) * kMultiplier;
    h_ ^= h_ >> 29;
  }
  std::uint32_t Finish(std::size_t length) const {
    return static_cast<std::uint32_t>(((h_ ^ length) * kMultiplier) >> 32);
  }

 private:
  static constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  std::uint64_t h_ = 0x243F6A8885A308D3ULL;
};

}  // namespace engine
