#include "engine/expansion.h"

#include <optional>

#include "engine/address_book.h"
#include "engine/bytes.h"
#include "engine/lines.h"
#include "platform/files.h"

namespace engine {

std::string ExpandListText(std::string_view file, const FirstMatchIndex& names,
                           const std::vector<std::string>& addresses) {
  std::string text;
  std::string key;  // reused: one allocation for all lines of ordinary length
  LineReader reader(file);
  std::string_view line;
  while (reader.Next(line)) {
    if (line.empty() || line.front() == '\\') continue;
    key.assign(line);
    for (char& c : key) c = UpperCaseByte(c);
    text += line;
    const std::optional<std::size_t> k = names.Find(key);
    if (k && *k < addresses.size()) {
      text += '\t';
      text += addresses[*k];
    }
    text += "\r\n";
  }
  return text;
}

std::string ExpandListFile(const std::string& fileName) {
  const std::optional<std::string> bytes = platform::ReadWholeFileExclusive(fileName);
  if (!bytes) return {};
  return ExpandListText(*bytes, BookNameIndex(), BookAddresses);
}

}  // namespace engine
