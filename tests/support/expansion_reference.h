// The expansion written out a second time as a plain linear scan, for tests
// and fuzz targets to check the engine's indexed one against. `lines` are a
// list's lines; an entry is a line that is neither empty nor starts with a
// backslash. An entry that is a book name (the first in book order, letter
// case folded) gets a tab and that name's address; every entry ends in CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/support/upper_reference.h"

namespace reference {

template <typename Names, typename Addresses>
std::string Expansion(const std::vector<std::string>& lines, const Names& names,
                      const Addresses& addresses) {
  std::string text;
  for (const std::string& line : lines) {
    if (line.empty() || line[0] == '\\') continue;
    const std::string key = Upper(line);
    text += line;
    for (std::size_t k = 0; k < names.size(); ++k) {
      if (names[k] == key) {
        text += '\t';
        text += addresses[k];
        break;
      }
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace reference
