#include "exchange/address_syntax.h"

#include <array>
#include <cstddef>

#include "base/ascii.h"

namespace exchange {

namespace {

// RFC 5322 atext; bytes past ASCII count too, as mail programs take them.
// A table indexed by byte.
constexpr std::array<bool, 256> kAtext = [] {
  std::array<bool, 256> atext{};
  for (unsigned c = 0; c < 256; ++c) {
    atext[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               std::string_view("!#$%&'*+-/=?^_`{|}~").find(static_cast<char>(c)) !=
                   std::string_view::npos ||
               c >= 0x80;
  }
  return atext;
}();

bool IsAtext(char c) {
  return kAtext[static_cast<unsigned char>(c)];
}

}  // namespace

std::string DisplayName(std::string_view entry) {
  std::string name;
  AppendDisplayName(entry, name);
  return name;
}

void AppendDisplayName(std::string_view entry, std::string& out) {
  entry = base::TrimBlanks(entry);
  if (entry.empty()) return;
  bool plain = true;
  for (std::size_t i = 0; i < entry.size() && plain; ++i) {
    plain = IsAtext(entry[i]) || (entry[i] == ' ' && entry[i - 1] != ' ');
  }
  if (plain) {
    out += entry;
    return;
  }
  out += '"';
  for (const char c : entry) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  out += '"';
}

}  // namespace exchange
