#include "engine/expansion.h"

#include <cstddef>
#include <optional>

#include "engine/address_book.h"
#include "engine/bytes.h"
#include "engine/lines.h"
#include "platform/files.h"

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
                           const std::vector<std::string>& addresses) {
  // Entries are looked up a batch at a time (see FindMany); the output is
  // still written strictly in file order.
  constexpr std::size_t kBatch = 64;
  std::vector<std::string_view> entries;
  std::vector<std::size_t> keyEnds;
  std::vector<std::string_view> keys;
  std::vector<std::optional<std::size_t>> found(kBatch);
  std::string keyBytes;  // the batch's upper-cased keys, back to back
  entries.reserve(kBatch);
  keyEnds.reserve(kBatch);
  keys.reserve(kBatch);

  std::string text;
  text.reserve(file.size() + file.size() / 2);  // room for addresses too
  const auto flush = [&] {
    keys.clear();
    std::size_t begin = 0;
    for (const std::size_t end : keyEnds) {
      keys.emplace_back(keyBytes.data() + begin, end - begin);
      begin = end;
    }
    names.FindMany(keys, found);
    // The addresses are as scattered as the names: ask for them early too.
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (found[i] && *found[i] < addresses.size()) __builtin_prefetch(&addresses[*found[i]]);
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (found[i] && *found[i] < addresses.size()) {
        __builtin_prefetch(addresses[*found[i]].data());
      }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
      text += entries[i];
      if (found[i] && *found[i] < addresses.size()) {
        text += '\t';
        text += addresses[*found[i]];
      }
      text += "\r\n";
    }
    entries.clear();
    keyEnds.clear();
    keyBytes.clear();
  };

  LineReader reader(file);
  std::string_view line;
  while (reader.Next(line)) {
    if (line.empty() || line.front() == '\\') continue;
    entries.push_back(line);
    const std::size_t begin = keyBytes.size();
    keyBytes.resize(begin + line.size());
    UpperCaseInto(line, keyBytes.data() + begin);
    keyEnds.push_back(keyBytes.size());
    if (entries.size() == kBatch) flush();
  }
  flush();
  return text;
}

std::string ExpandListFile(const std::string& fileName) {
  const std::optional<std::string> bytes = platform::ReadWholeFileExclusive(fileName);
  if (!bytes) return {};
  return ExpandListText(*bytes, BookNameIndex(), BookAddresses);
}

}  // namespace engine
