// The first-match index over a table of names: which is the lowest index
// holding a name, in constant average time, with the same answer as a
// linear scan from index 0. What every lookup of a list entry asks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "engine/growable_buffer.h"
#include "engine/string_table.h"

namespace engine {

// The hash the first-match index files a name under (`name` already
// upper-cased).
std::uint32_t NameHash(std::string_view name);

// Maps a name to the lowest index holding it, in constant average time:
// the same answer as a linear scan from index 0.
class FirstMatchIndex {
 public:
  FirstMatchIndex() = default;
  // Indexes `names`, which must outlive the index and not change after.
  // `hashes`, when it holds one NameHash per name (as the load works them
  // out), saves hashing the names again.
  explicit FirstMatchIndex(const StringTable& names, std::span<const std::uint32_t> hashes = {});
  std::optional<std::size_t> Find(std::string_view key) const;
  // found[i] = Find(keys[i]) for every i < min(keys.size(), found.size()),
  // with the memory reads of many keys overlapped: what expanding a long
  // list spends its time on. Also asks early for the entry at the same
  // index of `companion` (the addresses), when given, which the caller
  // reads next.
  void FindMany(std::span<const std::string_view> keys, std::span<std::optional<std::size_t>> found,
                const StringTable* companion = nullptr) const;
  // The same for keys whose NameHash the caller has already (hashes[i] for
  // keys[i]).
  void FindMany(std::span<const std::string_view> keys, std::span<const std::uint32_t> hashes,
                std::span<std::optional<std::size_t>> found,
                const StringTable* companion = nullptr) const;
  // The bytes the index holds on to.
  std::size_t FootprintBytes() const { return slotBuffer_.capacity(); }

 private:
  // Open addressing with linear probing. Each name is entered once, by its
  // lowest index; later equal names are left out, so the first probe hit is
  // the linear scan's answer.
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t position = 0;  // index + 1; 0 marks an empty slot
  };
  const StringTable* names_ = nullptr;
  GrowableBuffer slotBuffer_;  // zero-filled: every slot starts empty
  Slot* slots_ = nullptr;
  std::size_t capacity_ = 0;
  // Where a hash's probe run starts: the hash scaled to the slot count.
  std::size_t Home(std::uint32_t hash) const {
    return static_cast<std::size_t>((std::uint64_t{hash} * capacity_) >> 32);
  }
  std::size_t Next(std::size_t i) const { return i + 1 == capacity_ ? 0 : i + 1; }
};

}  // namespace engine
