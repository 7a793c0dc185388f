#include "exchange/text_store.h"

#include <algorithm>
#include <functional>

namespace exchange {

std::string_view TextArena::AddAfterGrowing(std::string_view text) {
  char* const at = ClaimAfterGrowing(text.size());
  std::memcpy(at, text.data(), text.size());
  return {at, text.size()};
}

char* TextArena::ClaimAfterGrowing(std::size_t size) {
  // A long text gets a block of its own, and the current block keeps its
  // room for the short ones.
  if (size > kBlockSize / 4) {
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
    return blocks_.back().get();
  }
  blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockSize));
  tail_ = blocks_.back().get();
  room_ = kBlockSize;
  return Claim(size);
}

void TextArena::Take(TextArena&& other) {
  // Blocks are only owned here: the one being filled is known by tail_.
  for (std::unique_ptr<char[]>& block : other.blocks_) blocks_.push_back(std::move(block));
  other.blocks_.clear();
  other.tail_ = nullptr;
  other.room_ = 0;
}

std::uint64_t TextHash(std::string_view text) {
  return std::hash<std::string_view>{}(text)*0x9E3779B97F4A7C15ULL;
}

void HashedNumbers::Reserve(std::size_t count) {
  std::size_t capacity = 16;
  while (capacity < count * 2) capacity *= 2;
  if (capacity > slots_.size()) Grow(capacity);
}

void HashedNumbers::Place(std::uint32_t tag, std::uint32_t number) {
  std::size_t i = tag & mask_;
  while (slots_[i].number != 0) i = (i + 1) & mask_;
  slots_[i] = {tag, number + 1};
}

void HashedNumbers::Grow(std::size_t capacity) {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(capacity, Slot{});
  mask_ = capacity - 1;
  for (const Slot& slot : old) {
    if (slot.number != 0) Place(slot.tag, slot.number - 1);
  }
}

void HashedNumbers::Add(std::uint64_t hash, std::uint32_t number) {
  if ((count_ + 1) * 2 > slots_.size()) Grow(std::max<std::size_t>(16, slots_.size() * 2));
  Place(Tag(hash), number);
  ++count_;
}

bool TextSet::Insert(std::string_view text) {
  const std::uint64_t hash = TextHash(text);
  if (numbers_.Find(hash, [&](std::uint32_t k) { return texts_[k] == text; })) return false;
  numbers_.Add(hash, static_cast<std::uint32_t>(texts_.size()));
  texts_.push_back(arena_.Add(text));
  return true;
}

bool TextSet::Contains(std::string_view text) const {
  return numbers_.Find(TextHash(text), [&](std::uint32_t k) { return texts_[k] == text; })
      .has_value();
}

}  // namespace exchange
