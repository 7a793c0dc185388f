#include "tools/address_book_writer.h"

#include "base/ascii.h"

namespace tools {

std::string AddressBookFromSource(std::string_view source) {
  std::string title;
  std::vector<BookEntry> entries;
  while (!source.empty()) {
    const auto end = source.find('\n');
    std::string_view line = source.substr(0, end);
    // Sources written on Windows end their lines in CR LF.
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = base::TrimBlanks(line);
    source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.substr(0, 6) == "title:") {
      title = std::string(base::TrimBlanks(line.substr(6)));
      continue;
    }
    std::vector<std::string> fields;
    for (std::string_view rest = line;;) {
      const auto bar = rest.find('|');
      fields.emplace_back(base::TrimBlanks(rest.substr(0, bar)));
      if (bar == std::string_view::npos) break;
      rest = rest.substr(bar + 1);
    }
    fields.resize(9);
    entries.push_back(BookEntry{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5],
                                fields[6], fields[7], fields[8]});
  }
  return AddressBookBytes(title, entries);
}

}  // namespace tools
