#include "engine/address_book.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "engine/address_book_record.h"
#include "engine/bytes.h"

namespace engine {

namespace {

// The bytes of `record` from `offset` up to its first NUL there, or to its
// end; empty when the record is too short to reach the field.
std::string_view FieldAt(std::string_view record, std::size_t offset) {
  if (record.size() <= offset) return {};
  const char* start = record.data() + offset;
  const std::size_t left = record.size() - offset;
  const void* nul = std::memchr(start, '\0', left);
  return {start,
          nul == nullptr ? left : static_cast<std::size_t>(static_cast<const char*>(nul) - start)};
}

// Reads eight bytes at a time; names are short, but a 50 MB list line is a
// key too.
std::uint32_t HashBytes(std::string_view bytes) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  std::uint64_t h = 0x243F6A8885A308D3ULL ^ bytes.size();
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  if (i < bytes.size()) {
    // The last bytes: the final eight (overlapping the words above) when
    // there are that many, so that no copy of a variable length is needed.
    std::uint64_t word = 0;
    if (bytes.size() >= 8) {
      std::memcpy(&word, bytes.data() + bytes.size() - 8, 8);
    } else {
      for (std::size_t j = 0; j < bytes.size(); ++j) {
        word |= std::uint64_t{static_cast<unsigned char>(bytes[j])} << (8 * j);
      }
    }
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  h *= kMultiplier;
  return static_cast<std::uint32_t>(h >> 32);
}

}  // namespace

void AppendRecordSlots(std::string_view records, StringTable& names, StringTable& addresses) {
  for (std::size_t start = 0; start < records.size(); start += kBookRecordSize) {
    // The last slot may be short: it is read as far as it goes.
    const std::string_view record = records.substr(start, kBookRecordSize);
    const std::string_view name = FieldAt(record, kBookNameField.offset);
    char* to = names.AppendUninitialized(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) to[i] = UpperCaseByte(name[i]);
    addresses.push_back(FieldAt(record, kBookAddressField.offset));
  }
}

void AppendBookRecords(std::string_view file, StringTable& names, StringTable& addresses) {
  if (file.size() <= kSmallestUsefulBook) return;
  AppendRecordSlots(file.substr(kBookHeaderSize), names, addresses);
}

FirstMatchIndex::FirstMatchIndex(const StringTable& names) : names_(&names) {
  // A table holds at most kMaxEntries names, so every position + 1 fits the
  // slot's 32 bits.
  // Two thirds full at most: probe runs stay short (mostly within one cache
  // line), and the slots take 12 bytes a name, not up to 32 as a power of
  // two would.
  const std::size_t capacity = names.size() + names.size() / 2 + 1;
  slotBuffer_.Grow(capacity * sizeof(Slot), 0, true);
  slots_ = reinterpret_cast<Slot*>(slotBuffer_.data());
  capacity_ = capacity;
  // The slots are visited in random order: each name's hash is worked out
  // this far ahead and its slot asked for then.
  constexpr std::size_t kAhead = 16;
  std::uint32_t ahead[kAhead];
  const std::size_t count = names.size();
  for (std::size_t k = 0; k < std::min(kAhead, count); ++k) {
    ahead[k] = HashBytes(names[k]);
    __builtin_prefetch(&slots_[Home(ahead[k])]);
  }
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint32_t hash = ahead[k % kAhead];
    if (k + kAhead < count) {
      const std::uint32_t next = HashBytes(names[k + kAhead]);
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
  const std::uint32_t hash = HashBytes(key);
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
  const std::size_t count = std::min(keys.size(), found.size());
  if (names_ == nullptr) {
    for (std::size_t i = 0; i < count; ++i) found[i] = Find(keys[i]);
    return;
  }
  const StringTable& names = *names_;
  const std::size_t companions = companion != nullptr ? companion->size() : 0;
  // A pipeline over the keys: key t is hashed and its slot asked for; key
  // t - kStep is probed and its name's bounds asked for; key t - 2 kStep has
  // its name's bytes asked for; key t - 3 kStep is compared and answered.
  // Each memory read is asked for a few dozen keys before it is needed, so
  // the cache misses of many keys overlap. Only a key whose 32-bit hash is
  // shared by another name takes the plain path.
  constexpr std::size_t kStep = 8;
  constexpr std::size_t kRing = 32;  // more than 3 kStep keys in flight
  constexpr std::size_t kEmpty = std::numeric_limits<std::size_t>::max();
  constexpr std::size_t kProbe = kEmpty - 1;
  std::uint32_t hashes[kRing];
  std::size_t candidates[kRing];
  for (std::size_t t = 0; t < count + 3 * kStep; ++t) {
    if (t < count) {
      const std::uint32_t hash = HashBytes(keys[t]);
      hashes[t % kRing] = hash;
      __builtin_prefetch(&slots_[Home(hash)]);
    }
    if (t >= kStep && t - kStep < count) {
      const std::size_t i = t - kStep;
      const std::uint32_t hash = hashes[i % kRing];
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
