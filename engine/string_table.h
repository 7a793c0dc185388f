// A table of byte strings kept in one arena: the bytes of all entries back
// to back, and where each entry ends. Many short strings cost their bytes
// plus four bytes each, not a heap block each, and the bytes of
// neighbouring entries share cache lines.
//
// Entries are read as string_views into the arena; they stay valid until
// the table is changed. The arena grows by reallocation without
// initialising the new room, so an entry is written once, in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class StringTable {
 public:
  StringTable() = default;
  StringTable(std::initializer_list<std::string_view> entries);
  StringTable(const StringTable& other);
  StringTable& operator=(const StringTable& other);
  // A table moved from is empty.
  StringTable(StringTable&& other) noexcept;
  StringTable& operator=(StringTable&& other) noexcept;

  std::size_t size() const { return ends_.size() - 1; }
  bool empty() const { return ends_.size() == 1; }
  std::string_view operator[](std::size_t k) const {
    return {bytes_.get() + ends_[k], static_cast<std::size_t>(ends_[k + 1] - ends_[k])};
  }
  // Where entry k's bytes start and its end offset sits, for callers that
  // ask the memory for them early.
  const char* DataOf(std::size_t k) const { return bytes_.get() + ends_[k]; }
  const std::uint32_t* BoundsOf(std::size_t k) const { return &ends_[k]; }

  // Adds an entry of `length` bytes and returns where to write them; they
  // are not initialised. Throws std::bad_alloc when the arena cannot grow
  // (also past 4 GiB, the reach of its offsets).
  char* AppendUninitialized(std::size_t length);
  void push_back(std::string_view entry);
  // Drops every entry from index `count` on.
  void Truncate(std::size_t count);
  // Room for `entries` more entries of `bytes` more bytes in all.
  void ReserveMore(std::size_t entries, std::size_t bytes);
  // The bytes the table holds on to: arena and offsets, capacity included.
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
  // Equal to a list of strings: the same entries in the same order.
  friend bool operator==(const StringTable& a, const std::vector<std::string>& b);

 private:
  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  void GrowArena(std::size_t needed);

  std::unique_ptr<char, Free> bytes_;
  std::size_t capacity_ = 0;
  // ends_[k] is where entry k starts, ends_[k + 1] where it ends.
  std::vector<std::uint32_t> ends_ = std::vector<std::uint32_t>(1, 0);
};

}  // namespace engine
