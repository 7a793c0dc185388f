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
#include "engine/word_hash.h"

namespace engine {

namespace {

using base::kByteHighs;
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

// UpperCase of eight bytes. Plain ASCII is folded all at once; the few
// bytes above 0x7F then go through the table one by one.
inline std::uint64_t UpperCaseWord(std::uint64_t word) {
  std::uint64_t upper = base::AsciiUpperWord(word);
  for (std::uint64_t high = word & kByteHighs; high != 0; high &= high - 1) {
    const unsigned shift = static_cast<unsigned>(std::countr_zero(high)) & ~7u;
    const std::uint64_t byte = detail::kUpperTable[(word >> shift) & 0xFF];
    upper = (upper & ~(std::uint64_t{0xFF} << shift)) | (byte << shift);
  }
  return upper;
}

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
    const std::uint64_t word = UpperCaseWord(base::LoadTailOf(text, at));
    std::memcpy(out + at, &word, 8);
    hash.Add(word);
  }
  return hash.Finish(text.size());
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

}  // namespace engine
