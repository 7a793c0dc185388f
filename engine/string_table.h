// A table of byte strings kept in an arena: the bytes of the entries back
// to back in large blocks, and where each entry ends. Many short strings
// cost their bytes plus four bytes each, not a heap block each, and the
// bytes of neighbouring entries share cache lines.
//
// Blocks are never moved or copied once full: the table grows by adding a
// block, so a large table is written once, in place, and never needs one
// piece of memory as large as itself. An entry never straddles two blocks;
// one that does not fit the rest of a block starts the next, which is why an
// entry holds at most kMaxEntry bytes.
//
// Entries are read as string_views into the arena; they stay valid until
// the table is changed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/growable_buffer.h"

namespace engine {

class StringTable {
 public:
  static constexpr unsigned kBlockShift = 21;
  static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockShift;
  static constexpr std::size_t kMaxEntry = kBlockSize;
  // Entries are counted in 32 bits, so that an index can name each one by
  // its position plus one.
  static constexpr std::size_t kMaxEntries = 0xFFFFFFFEu;

  StringTable() = default;
  StringTable(std::initializer_list<std::string_view> entries);
  StringTable(const StringTable& other);
  StringTable& operator=(const StringTable& other);
  // A table moved from is empty.
  StringTable(StringTable&& other) noexcept;
  StringTable& operator=(StringTable&& other) noexcept;

  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  std::string_view operator[](std::size_t k) const {
    const std::uint32_t end = ends_[k + 1];
    const std::uint32_t start = StartOf(ends_[k], end);
    // An empty entry may have no block; it still points at readable memory.
    if (start == end) return {kNoBytes, 0};
    return {blocks_[start >> kBlockShift].data() + (start & (kBlockSize - 1)),
            static_cast<std::size_t>(end - start)};
  }
  // Where entry k's bytes start and where its bounds sit, for callers that
  // ask the memory for them early.
  const char* DataOf(std::size_t k) const { return (*this)[k].data(); }
  const std::uint32_t* BoundsOf(std::size_t k) const { return &ends_[k]; }

  // Adds an entry of `length` bytes and returns where to write them; they
  // are not initialised. Throws std::bad_alloc when the arena cannot grow,
  // also past 4 GiB (the reach of its offsets), for an entry longer than
  // kMaxEntry or past kMaxEntries entries.
  char* AppendUninitialized(std::size_t length) {
    // Loading writes millions of short entries back to back: while the
    // current block and the offsets have room, that is a few stores.
    if (length <= tailRoom_ && count_ < endsRoom_) {
      char* at = tail_;
      tail_ += length;
      tailRoom_ -= length;
      WritableEnds()[count_ + 1] = ends_[count_] + static_cast<std::uint32_t>(length);
      ++count_;
      return at;
    }
    return AppendAfterGrowing(length);
  }
  // Where the next entry's bytes go when it is at most `most` bytes long and
  // the table has that room without growing; null otherwise. A caller may
  // write up to `most` bytes there, then AppendUninitialized(length) with
  // length <= most makes the first `length` of them the entry: for entries
  // that are written a word at a time, past their own end.
  char* RoomAtTail(std::size_t most) const {
    return most <= tailRoom_ && count_ < endsRoom_ ? tail_ : nullptr;
  }
  void push_back(std::string_view entry);
  // Adds the entries of `other` after this table's, taking over its blocks
  // instead of copying their bytes; `other` ends empty. Throws
  // std::bad_alloc as AppendUninitialized does, both tables as they were.
  void AppendTable(StringTable&& other);
  // Drops every entry from index `count` on.
  void Truncate(std::size_t count);
  // Room for `entries` more entries.
  void ReserveEntries(std::size_t entries);
  // The bytes the table holds on to: blocks and offsets, capacity included.
  std::size_t FootprintBytes() const;

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;
    const_iterator() = default;
    const_iterator(const StringTable* table, std::size_t k) : table_(table), k_(k) {}
    std::string_view operator*() const { return (*table_)[k_]; }
    const_iterator& operator++() {
      ++k_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++k_;
      return before;
    }
    bool operator==(const const_iterator& other) const { return k_ == other.k_; }

   private:
    const StringTable* table_ = nullptr;
    std::size_t k_ = 0;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

  friend bool operator==(const StringTable& a, const StringTable& b);

 private:
  // An entry ending at `end` that could not start at `previousEnd` without
  // straddling a block starts at the block of its last byte.
  static std::uint32_t StartOf(std::uint32_t previousEnd, std::uint32_t end) {
    const std::uint32_t lastBlock =
        end == 0 ? 0 : static_cast<std::uint32_t>((end - 1) & ~(kBlockSize - 1));
    return previousEnd > lastBlock || previousEnd == end ? previousEnd : lastBlock;
  }

  // The blocks; a lone first block starts small and grows to a whole one
  // before a second is added.
  std::vector<GrowableBuffer> blocks_;
  // ends_[k] is where entry k - 1 ends (0 for k = 0), ends_[k + 1] where
  // entry k ends, counted across blocks as if they were back to back. Its
  // room lives in endsBuffer_.
  GrowableBuffer endsBuffer_;
  const std::uint32_t* ends_ = kNoEnds;
  std::size_t count_ = 0;
  static constexpr std::uint32_t kNoEnds[1] = {0};
  static constexpr char kNoBytes[1] = {0};
  std::uint32_t* WritableEnds() { return reinterpret_cast<std::uint32_t*>(endsBuffer_.data()); }

  // AppendUninitialized when the room below does not suffice: finds or
  // makes room, then sets the room anew.
  char* AppendAfterGrowing(std::size_t length);
  // The room AppendUninitialized may use without growing anything: from
  // tail_, where the next entry goes, tailRoom_ bytes of the same block;
  // entries up to endsRoom_ in all. Zero room sends every append the long
  // way, which is always right.
  char* tail_ = nullptr;
  std::size_t tailRoom_ = 0;
  std::size_t endsRoom_ = 0;
};

}  // namespace engine
