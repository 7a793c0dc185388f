// Many short texts and the look-ups over them, without a heap block each:
// what the export's model keeps for hundreds of thousands of contacts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace exchange {

// Texts kept back to back in blocks that never move: a text added is read
// back as a view that stays valid as long as the arena.
class TextArena {
 public:
  std::string_view Add(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > room_) return AddAfterGrowing(text);
    char* at = tail_;
    std::memcpy(at, text.data(), text.size());
    tail_ += text.size();
    room_ -= text.size();
    return {at, text.size()};
  }
  // Room for `size` bytes kept as the next text, for the caller to fill:
  // what Add would do with a text written in place. Null for no bytes.
  char* Claim(std::size_t size) {
    if (size == 0) return nullptr;
    if (size > room_) return ClaimAfterGrowing(size);
    char* at = tail_;
    tail_ += size;
    room_ -= size;
    return at;
  }
  // Keeps the texts of `other` too (their views stay valid); `other` ends
  // empty.
  void Take(TextArena&& other);

 private:
  static constexpr std::size_t kBlockSize = std::size_t{1} << 20;
  std::string_view AddAfterGrowing(std::string_view text);
  char* ClaimAfterGrowing(std::size_t size);
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* tail_ = nullptr;
  std::size_t room_ = 0;
};

// The hash the look-ups below file texts under.
std::uint64_t TextHash(std::string_view text);

// Numbers filed under hashes, found again by a hash and a test of the
// number: the caller keeps what a number stands for, so that nothing is
// copied here. Open addressing with linear probing, at most half full.
class HashedNumbers {
 public:
  // The first number filed under `hash` that `matches`, if any.
  template <typename Matches>
  std::optional<std::uint32_t> Find(std::uint64_t hash, Matches&& matches) const {
    if (slots_.empty()) return std::nullopt;
    const std::uint32_t tag = Tag(hash);
    for (std::size_t i = Home(hash);; i = (i + 1) & mask_) {
      const Slot& slot = slots_[i];
      if (slot.number == 0) return std::nullopt;
      if (slot.tag == tag && matches(slot.number - 1)) return slot.number - 1;
    }
  }
  // Asks for the slot a search for `hash` starts at, some time before the
  // search: the slots of a large table are rarely in the cache.
  void Prefetch(std::uint64_t hash) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[Home(hash)]);
  }
  // Files `number` under `hash`; an earlier number with the same key stays
  // the one Find gives.
  void Add(std::uint64_t hash, std::uint32_t number);
  // Room for `count` numbers in all without growing.
  void Reserve(std::size_t count);

 private:
  struct Slot {
    std::uint32_t tag = 0;
    std::uint32_t number = 0;  // the number + 1; 0 marks an empty slot
  };
  // A slot keeps the hash's high half, which also says where its probe run
  // starts: growing needs no more than the slots.
  static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
  std::size_t Home(std::uint64_t hash) const { return Tag(hash) & mask_; }
  void Place(std::uint32_t tag, std::uint32_t number);
  void Grow(std::size_t capacity);
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

// A set of texts, each kept once in an arena of its own.
class TextSet {
 public:
  // Adds `text`; false when it was there already.
  bool Insert(std::string_view text);
  bool Contains(std::string_view text) const;
  void Reserve(std::size_t count) { numbers_.Reserve(count); }

 private:
  TextArena arena_;
  std::vector<std::string_view> texts_;
  HashedNumbers numbers_;
};

}  // namespace exchange
