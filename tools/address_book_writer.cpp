#include "tools/address_book_writer.h"

#include <algorithm>
#include <cstddef>

namespace tools {

namespace {

struct Field {
  std::size_t offset;
  std::size_t size;
};

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kTitleSize = 28;
constexpr std::size_t kRecordSize = 458;
constexpr Field kName{2, 40};
constexpr Field kCompany{42, 40};
constexpr Field kKey{82, 12};
constexpr Field kStreet{94, 60};
constexpr Field kPostal{154, 60};
constexpr Field kPhone{214, 24};
constexpr Field kFax{238, 24};
constexpr Field kNotes{262, 80};
constexpr Field kAddress{342, 100};

void Put(std::string& bytes, std::size_t base, Field field, std::string_view text) {
  const std::size_t count = std::min(text.size(), field.size - 1);
  std::copy_n(text.data(), count, bytes.begin() + static_cast<std::ptrdiff_t>(base + field.offset));
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string AddressBookBytes(std::string_view title, const std::vector<BookEntry>& entries) {
  std::string bytes(kHeaderSize + kRecordSize * entries.size(), '\0');
  std::copy_n(title.data(), std::min(title.size(), kTitleSize - 1), bytes.begin());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t base = kHeaderSize + kRecordSize * i;
    const BookEntry& entry = entries[i];
    Put(bytes, base, kName, entry.name);
    Put(bytes, base, kCompany, entry.company);
    Put(bytes, base, kKey, entry.key);
    Put(bytes, base, kStreet, entry.street);
    Put(bytes, base, kPostal, entry.postal);
    Put(bytes, base, kPhone, entry.phone);
    Put(bytes, base, kFax, entry.fax);
    Put(bytes, base, kNotes, entry.notes);
    Put(bytes, base, kAddress, entry.address);
  }
  return bytes;
}

std::string AddressBookFromSource(std::string_view source) {
  std::string title;
  std::vector<BookEntry> entries;
  while (!source.empty()) {
    const auto end = source.find('\n');
    const std::string_view line = Trimmed(source.substr(0, end));
    source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.substr(0, 6) == "title:") {
      title = std::string(Trimmed(line.substr(6)));
      continue;
    }
    std::vector<std::string> fields;
    for (std::string_view rest = line;;) {
      const auto bar = rest.find('|');
      fields.emplace_back(Trimmed(rest.substr(0, bar)));
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
