#include "engine/expansion.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

#include "engine/address_book.h"
#include "engine/first_match_index.h"
#include "engine/lines.h"
#include "engine/mailing_list.h"
#include "engine/parallel.h"

namespace engine {

namespace {

// A list this long is worth expanding in two halves at once; below it a
// thread costs more than it saves.
constexpr std::size_t kHalvesFrom = std::size_t{256} << 10;

// Appends the expansion of `file` (already cut at its first Ctrl-Z) to
// `text`.
void AppendExpansion(std::string_view file, const FirstMatchIndex& names,
                     const StringTable& addresses, std::string& text) {
  // Entries are handed to the index in batches of this many, so that it can
  // overlap their lookups; the output is still written in file order.
  constexpr std::size_t kBatch = 64;
  std::string_view entries[kBatch];
  std::size_t keyEnds[kBatch];
  std::string_view keys[kBatch];
  std::uint32_t hashes[kBatch];
  std::optional<std::size_t> found[kBatch];
  std::size_t count = 0;
  // The batch's upper-cased keys, back to back, each written a word at a
  // time (8 bytes of room past the last).
  GrowableBuffer keyBytes;
  std::size_t keyUsed = 0;

  const auto flush = [&] {
    std::size_t begin = 0;
    for (std::size_t i = 0; i < count; ++i) {
      keys[i] = std::string_view(keyBytes.data() + begin, keyEnds[i] - begin);
      begin = keyEnds[i];
    }
    names.FindMany(std::span(keys, count), std::span(hashes, count), std::span(found, count),
                   &addresses);
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
    keyUsed = 0;
  };

  LineReader reader(file);
  std::string_view line;
  while (reader.Next(line)) {
    if (!IsListEntry(line)) continue;
    entries[count] = line;
    const std::size_t need = keyUsed + line.size() + 8;
    if (need > keyBytes.capacity()) {
      keyBytes.Grow(std::max(need, 2 * keyBytes.capacity()), keyUsed);
    }
    hashes[count] = UpperCaseHashed(line, keyBytes.data() + keyUsed);
    keyUsed += line.size();
    keyEnds[count] = keyUsed;
    if (++count == kBatch) flush();
  }
  flush();
}

// Where the second half of `file` starts: after the first line end (a CR
// and the LF after it, if any) from the middle on; 0 when no line starts
// there.
std::size_t SecondHalfStart(std::string_view file) {
  const std::size_t cr = file.find('\r', file.size() / 2);
  if (cr == std::string_view::npos) return 0;
  std::size_t start = cr + 1;
  if (start < file.size() && file[start] == '\n') ++start;
  return start < file.size() ? start : 0;
}

}  // namespace

std::string ExpandListText(std::string_view file, const FirstMatchIndex& names,
                           const StringTable& addresses, Split split) {
  // Nothing after the first Ctrl-Z is read: cut there before any halving.
  file = file.substr(0, file.find('\x1A'));
  const bool inHalves =
      split == Split::kAlways ||
      (split == Split::kWhenWorthIt && file.size() >= kHalvesFrom && HasSecondProcessor());
  std::string text;
  // Room for addresses too; pages of it that stay unused are never touched.
  text.reserve(2 * file.size());
  const std::size_t half = inHalves ? SecondHalfStart(file) : 0;
  if (half == 0) {
    AppendExpansion(file, names, addresses, text);
    return text;
  }
  // Each line lies wholly in one half, and a half's expansion depends on
  // its own lines only: the two joined are the expansion of the whole.
  std::string second;
  RunBoth([&] { AppendExpansion(file.substr(0, half), names, addresses, text); },
          [&] {
            second.reserve(2 * (file.size() - half));
            AppendExpansion(file.substr(half), names, addresses, second);
          });
  text += second;
  return text;
}

}  // namespace engine
