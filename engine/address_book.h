// The address book index: every record of every Pegasus Mail address book
// (*.PMR) of one folder, as two parallel tables, indexed from 0. The tables
// belong to the folder's MailFolder (mail_folder.h), which also reads the
// books; what is here takes bytes.
//
//   BookNames[k]      the name of record slot k, upper-cased with UpperCase
//   BookAddresses[k]  the e-mail address of slot k, exactly as stored
//
// Of each record (book_layout.h) the name is read from the start of its
// field and the address from the start of its own, each up to its first NUL
// or, without one, to the end of the record: not of the field. Each book is
// cut into records on its own; a short last record is read as far as it
// goes with the same rules (names and addresses of the next book are not
// shifted by it).
//
// Order: the books in the directory listing's order, records first to last.
// Nothing is merged: a lookup takes the lowest index with an equal name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/book_layout.h"
#include "engine/growable_buffer.h"
#include "engine/string_table.h"

namespace engine {

// A file must reach past its header into the first record's name to add
// anything.
inline constexpr std::size_t kSmallestUsefulBook = kBookHeaderSize + kBookNameField.offset;
// The hash the first-match index files a name under (`name` already
// upper-cased).
std::uint32_t NameHash(std::string_view name);

// UpperCase(text) written to `out`, which has room for text.size() + 8
// bytes (the bytes after the text's are left undefined), and the NameHash
// of what was written: one pass over the text for both.
std::uint32_t UpperCaseHashed(std::string_view text, char* out);

// Appends the record slots of one whole address-book file to the tables.
// Files of kSmallestUsefulBook bytes or fewer add nothing. Pure: bytes in,
// entries out.
void AppendBookRecords(std::string_view file, StringTable& names, StringTable& addresses);

// Appends the slots of `records`, record data that starts at a record
// boundary; only its last slot may be short. What AppendBookRecords does
// after the header, for a book read piece by piece. With `hashes`, the
// NameHash of each name added is appended to it too, for the index.
void AppendRecordSlots(std::string_view records, StringTable& names, StringTable& addresses,
                       std::vector<std::uint32_t>* hashes = nullptr);

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
