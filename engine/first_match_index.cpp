#include "engine/first_match_index.h"

#include <algorithm>
#include <limits>

#include "base/words.h"
#include "engine/word_hash.h"

namespace engine {

std::uint32_t NameHash(std::string_view name) {
  WordHash hash;
  std::size_t at = 0;
  for (; at + 8 <= name.size(); at += 8) hash.Add(base::LoadWord(name.data() + at));
  if (at < name.size()) hash.Add(base::LoadTailOf(name, at));
  return hash.Finish(name.size());
}

FirstMatchIndex::FirstMatchIndex(const StringTable& names, std::span<const std::uint32_t> hashes)
    : names_(&names) {
  // A table holds at most kMaxEntries names, so every position + 1 fits the
  // slot's 32 bits.
  // Two thirds full at most: probe runs stay short (mostly within one cache
  // line), and the slots take 12 bytes a name, not up to 32 as a power of
  // two would.
  const std::size_t capacity = names.size() + names.size() / 2 + 1;
  slotBuffer_.Grow(capacity * sizeof(Slot), 0, true);
  slots_ = reinterpret_cast<Slot*>(slotBuffer_.data());
  capacity_ = capacity;
  const std::size_t count = names.size();
  const bool given = hashes.size() == count;
  const auto hashOf = [&](std::size_t k) { return given ? hashes[k] : NameHash(names[k]); };
  // The slots are visited in random order: each name's hash is worked out
  // this far ahead and its slot asked for then.
  constexpr std::size_t kAhead = 16;
  std::uint32_t ahead[kAhead];
  for (std::size_t k = 0; k < std::min(kAhead, count); ++k) {
    ahead[k] = hashOf(k);
    __builtin_prefetch(&slots_[Home(ahead[k])]);
  }
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint32_t hash = ahead[k % kAhead];
    if (k + kAhead < count) {
      const std::uint32_t next = hashOf(k + kAhead);
      ahead[k % kAhead] = next;
      __builtin_prefetch(&slots_[Home(next)]);
    }
    std::size_t i = Home(hash);
    for (;; i = Next(i)) {
      const Slot& slot = slots_[i];
      if (slot.position == 0) break;
      if (slot.hash == hash && names[slot.position - 1] == names[k]) break;
    }
    if (slots_[i].position == 0) slots_[i] = {hash, static_cast<std::uint32_t>(k + 1)};
  }
}

std::optional<std::size_t> FirstMatchIndex::Find(std::string_view key) const {
  if (names_ == nullptr) return std::nullopt;
  const StringTable& names = *names_;
  const std::uint32_t hash = NameHash(key);
  for (std::size_t i = Home(hash);; i = Next(i)) {
    const Slot& slot = slots_[i];
    if (slot.position == 0) return std::nullopt;
    const std::size_t k = slot.position - 1;
    if (slot.hash == hash && k < names.size() && names[k] == key) return k;
  }
}

void FirstMatchIndex::FindMany(std::span<const std::string_view> keys,
                               std::span<std::optional<std::size_t>> found,
                               const StringTable* companion) const {
  // In batches, hashed first, then looked up together.
  constexpr std::size_t kBatch = 64;
  std::uint32_t hashes[kBatch];
  const std::size_t count = std::min(keys.size(), found.size());
  for (std::size_t from = 0; from < count; from += kBatch) {
    const std::size_t n = std::min(kBatch, count - from);
    for (std::size_t i = 0; i < n; ++i) hashes[i] = NameHash(keys[from + i]);
    FindMany(keys.subspan(from, n), std::span(hashes, n), found.subspan(from, n), companion);
  }
}

void FirstMatchIndex::FindMany(std::span<const std::string_view> keys,
                               std::span<const std::uint32_t> hashes,
                               std::span<std::optional<std::size_t>> found,
                               const StringTable* companion) const {
  const std::size_t count = std::min({keys.size(), hashes.size(), found.size()});
  if (names_ == nullptr) {
    for (std::size_t i = 0; i < count; ++i) found[i] = Find(keys[i]);
    return;
  }
  const StringTable& names = *names_;
  const std::size_t companions = companion != nullptr ? companion->size() : 0;
  // A pipeline over the keys: key t has its slot asked for; key
  // t - kStep is probed and its name's bounds asked for; key t - 2 kStep has
  // its name's bytes asked for; key t - 3 kStep is compared and answered.
  // Each memory read is asked for a few dozen keys before it is needed, so
  // the cache misses of many keys overlap. Only a key whose 32-bit hash is
  // shared by another name takes the plain path.
  constexpr std::size_t kStep = 8;
  constexpr std::size_t kRing = 32;  // more than 3 kStep keys in flight
  constexpr std::size_t kEmpty = std::numeric_limits<std::size_t>::max();
  constexpr std::size_t kProbe = kEmpty - 1;
  std::size_t candidates[kRing];
  for (std::size_t t = 0; t < count + 3 * kStep; ++t) {
    if (t < count) __builtin_prefetch(&slots_[Home(hashes[t])]);
    if (t >= kStep && t - kStep < count) {
      const std::size_t i = t - kStep;
      const std::uint32_t hash = hashes[i];
      // Runs are short and mostly within one cache line.
      std::size_t j = Home(hash);
      while (slots_[j].position != 0 && slots_[j].hash != hash) j = Next(j);
      const Slot& slot = slots_[j];
      std::size_t candidate = kProbe;
      if (slot.position == 0) {
        candidate = kEmpty;
      } else if (slot.position - 1 < names.size()) {
        candidate = slot.position - 1;
        __builtin_prefetch(names.BoundsOf(candidate));
        if (candidate < companions) __builtin_prefetch(companion->BoundsOf(candidate));
      }
      candidates[i % kRing] = candidate;
    }
    if (t >= 2 * kStep && t - 2 * kStep < count) {
      const std::size_t candidate = candidates[(t - 2 * kStep) % kRing];
      if (candidate < kProbe) {
        __builtin_prefetch(names.DataOf(candidate));
        if (candidate < companions) __builtin_prefetch(companion->DataOf(candidate));
      }
    }
    if (t >= 3 * kStep && t - 3 * kStep < count) {
      const std::size_t i = t - 3 * kStep;
      const std::size_t candidate = candidates[i % kRing];
      if (candidate == kEmpty) {
        found[i] = std::nullopt;
      } else if (candidate < kProbe && names[candidate] == keys[i]) {
        found[i] = candidate;
      } else {
        found[i] = Find(keys[i]);
      }
    }
  }
}

}  // namespace engine
