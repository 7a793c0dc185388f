#include "engine/expansion.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <span>

#include "engine/address_book.h"
#include "engine/bytes.h"
#include "engine/lines.h"
#include "engine/mailing_list.h"

namespace engine {

namespace {

// UpperCase written to `out`, which has room for `text`. Plain ASCII, the
// usual case, takes a branch-free loop the compiler can vectorise; any byte
// above 127 sends the text through the full table.
void UpperCaseInto(std::string_view text, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  auto* to = reinterpret_cast<unsigned char*>(out);
  const std::size_t size = text.size();
  unsigned high = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned b = in[i];
    high |= b;
    to[i] = static_cast<unsigned char>(b - ((b - 'a' < 26u) ? 32u : 0u));
  }
  if (high & 0x80u) {
    for (std::size_t i = 0; i < size; ++i) out[i] = UpperCaseByte(text[i]);
  }
}

}  // namespace

std::string ExpandListText(std::string_view file, const FirstMatchIndex& names,
                           const StringTable& addresses) {
  // Entries are handed to the index in batches of this many, so that it can
  // overlap their lookups; the output is still written in file order.
  constexpr std::size_t kBatch = 64;
  std::string_view entries[kBatch];
  std::size_t keyEnds[kBatch];
  std::string_view keys[kBatch];
  std::optional<std::size_t> found[kBatch];
  std::size_t count = 0;
  std::string keyBytes;  // the batch's upper-cased keys, back to back

  std::string text;
  // Room for addresses too; pages of it that stay unused are never touched.
  text.reserve(2 * file.size());
  const auto flush = [&] {
    std::size_t begin = 0;
    for (std::size_t i = 0; i < count; ++i) {
      keys[i] = std::string_view(keyBytes.data() + begin, keyEnds[i] - begin);
      begin = keyEnds[i];
    }
    names.FindMany(std::span(keys, count), std::span(found, count), &addresses);
    // The batch's output is sized first and then copied into place, piece
    // by piece, without a capacity check per piece.
    std::string_view resolved[kBatch];
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const bool hit = found[i] && *found[i] < addresses.size();
      resolved[i] = hit ? addresses[*found[i]] : std::string_view();
      size += entries[i].size() + 2 + (hit ? 1 + resolved[i].size() : 0);
      if (!hit) found[i] = std::nullopt;
    }
    std::size_t at = text.size();
    if (text.capacity() < at + size) text.reserve(std::max(2 * text.capacity(), at + size));
    text.resize(at + size);
    char* out = text.data();
    for (std::size_t i = 0; i < count; ++i) {
      std::memcpy(out + at, entries[i].data(), entries[i].size());
      at += entries[i].size();
      if (found[i]) {
        out[at++] = '\t';
        std::memcpy(out + at, resolved[i].data(), resolved[i].size());
        at += resolved[i].size();
      }
      out[at++] = '\r';
      out[at++] = '\n';
    }
    count = 0;
    keyBytes.clear();
  };

  LineReader reader(file);
  std::string_view line;
  while (reader.Next(line)) {
    if (!IsListEntry(line)) continue;
    entries[count] = line;
    const std::size_t begin = keyBytes.size();
    keyBytes.resize(begin + line.size());
    UpperCaseInto(line, keyBytes.data() + begin);
    keyEnds[count] = keyBytes.size();
    if (++count == kBatch) flush();
  }
  flush();
  return text;
}

}  // namespace engine
