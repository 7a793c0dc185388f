#include "engine/address_book.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "base/words.h"
#include "engine/bytes.h"

namespace engine {

namespace {

using base::kByteHighs;
using base::kByteOnes;
using base::LoadWord;

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

// UpperCase of eight bytes. Plain ASCII is folded all at once: a byte from
// 'a' to 'z' has its 0x20 bit cleared; the few bytes above 0x7F then go
// through the table one by one.
inline std::uint64_t UpperCaseWord(std::uint64_t word) {
  // Of each byte's low seven bits, none of these sums carries into the
  // next byte: the high bit says low bits >= 'a', and low bits > 'z'.
  const std::uint64_t low = word & ~kByteHighs;
  const std::uint64_t fromA = low + kByteOnes * (0x80 - 'a');
  const std::uint64_t pastZ = low + kByteOnes * (0x7F - 'z');
  std::uint64_t upper = word ^ ((fromA & ~pastZ & ~word & kByteHighs) >> 2);
  for (std::uint64_t high = word & kByteHighs; high != 0; high &= high - 1) {
    const unsigned shift = static_cast<unsigned>(std::countr_zero(high)) & ~7u;
    const std::uint64_t byte = detail::kUpperTable[(word >> shift) & 0xFF];
    upper = (upper & ~(std::uint64_t{0xFF} << shift)) | (byte << shift);
  }
  return upper;
}

// The name hash, fed a word at a time: the name's bytes in eight-byte
// words, the last one padded with zeros, then its length. Reading words
// is what lets the hash be worked out while the name is upper-cased.
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

// A record's name: the upper-cased bytes from its field's start to its
// first NUL or to the record's end, written to `out` in whole words, its
// length in `length`, its hash returned. `record` is a whole record.
std::uint32_t UpperCaseRecordName(const char* record, char* out, std::size_t& length) {
  constexpr std::size_t kRoom = kBookRecordSize - kBookNameField.offset;
  static_assert(kRoom % 8 == 0, "the name's room is whole words: no read past the record");
  const char* in = record + kBookNameField.offset;
  WordHash hash;
  for (std::size_t at = 0; at < kRoom; at += 8) {
    std::uint64_t word = LoadWord(in + at);
    if (const std::uint64_t zeros = base::ZeroBytes(word); zeros != 0) {
      const std::size_t kept = base::FirstMarkedByte(zeros);
      word = UpperCaseWord(word & ((std::uint64_t{1} << (8 * kept)) - 1));
      std::memcpy(out + at, &word, 8);
      if (kept > 0) hash.Add(word);
      length = at + kept;
      return hash.Finish(length);
    }
    word = UpperCaseWord(word);
    std::memcpy(out + at, &word, 8);
    hash.Add(word);
  }
  length = kRoom;
  return hash.Finish(length);
}

// Copies a record's address (from its field's start to its first NUL or to
// the record's end) a word at a time into `out`, which has room for the
// rest of the record rounded up to whole words; returns its length. Its
// last word reads past the record: not for the last record of the data.
std::size_t CopyRecordAddress(const char* record, char* out) {
  constexpr std::size_t kRoom = kBookRecordSize - kBookAddressField.offset;
  const char* in = record + kBookAddressField.offset;
  for (std::size_t at = 0; at < kRoom; at += 8) {
    const std::uint64_t word = LoadWord(in + at);
    std::memcpy(out + at, &word, 8);
    if (const std::uint64_t zeros = base::ZeroBytes(word); zeros != 0) {
      return std::min(kRoom, at + base::FirstMarkedByte(zeros));
    }
  }
  return kRoom;
}

}  // namespace

std::uint32_t UpperCaseHashed(std::string_view text, char* out) {
  WordHash hash;
  std::size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    const std::uint64_t word = UpperCaseWord(LoadWord(text.data() + at));
    std::memcpy(out + at, &word, 8);
    hash.Add(word);
  }
  if (at < text.size()) {
    const std::uint64_t word = UpperCaseWord(
        base::LoadTail(text.data() + text.size(), text.size() - at, text.size() >= 8));
    std::memcpy(out + at, &word, 8);
    hash.Add(word);
  }
  return hash.Finish(text.size());
}

std::uint32_t NameHash(std::string_view name) {
  WordHash hash;
  std::size_t at = 0;
  for (; at + 8 <= name.size(); at += 8) hash.Add(LoadWord(name.data() + at));
  if (at < name.size()) {
    hash.Add(base::LoadTail(name.data() + name.size(), name.size() - at, name.size() >= 8));
  }
  return hash.Finish(name.size());
}

void AppendRecordSlots(std::string_view records, StringTable& names, StringTable& addresses,
                       std::vector<std::uint32_t>* hashes) {
  // Room for a whole record's name and the word that may run past it.
  char upper[kBookRecordSize + 8];
  constexpr std::size_t kAddressRoom = kBookRecordSize - kBookAddressField.offset + 8;
  for (std::size_t start = 0; start < records.size(); start += kBookRecordSize) {
    // The last slot may be short: it is read as far as it goes.
    const std::string_view record = records.substr(start, kBookRecordSize);
    std::size_t length = 0;
    std::uint32_t hash = 0;
    if (record.size() == kBookRecordSize) {
      // Written straight into the table where it has the room.
      char* room = names.RoomAtTail(sizeof upper);
      hash = UpperCaseRecordName(record.data(), room != nullptr ? room : upper, length);
      char* to = names.AppendUninitialized(length);
      if (room == nullptr && length > 0) std::memcpy(to, upper, length);
    } else {
      const std::string_view name = FieldAt(record, kBookNameField.offset);
      hash = UpperCaseHashed(name, upper);
      length = name.size();
      char* to = names.AppendUninitialized(length);
      if (length > 0) std::memcpy(to, upper, length);
    }
    char* room = addresses.RoomAtTail(kAddressRoom);
    if (room != nullptr && start + kBookRecordSize + 8 <= records.size()) {
      addresses.AppendUninitialized(CopyRecordAddress(record.data(), room));
    } else {
      addresses.push_back(FieldAt(record, kBookAddressField.offset));
    }
    if (hashes != nullptr) hashes->push_back(hash);
  }
}

void AppendBookRecords(std::string_view file, StringTable& names, StringTable& addresses) {
  if (file.size() <= kSmallestUsefulBook) return;
  AppendRecordSlots(file.substr(kBookHeaderSize), names, addresses);
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
