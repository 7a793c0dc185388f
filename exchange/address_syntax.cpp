#include "exchange/address_syntax.h"

#include <cstddef>

#include "base/ascii.h"

namespace exchange {

namespace {

// RFC 5322 atext; bytes past ASCII count too, as mail programs take them.
bool IsAtext(char c) {
  constexpr std::string_view kSpecials = "!#$%&'*+-/=?^_`{|}~";
  const unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         kSpecials.find(c) != std::string_view::npos || u >= 0x80;
}

}  // namespace

std::string DisplayName(std::string_view entry) {
  entry = base::TrimBlanks(entry);
  if (entry.empty()) return {};
  bool plain = true;
  for (std::size_t i = 0; i < entry.size() && plain; ++i) {
    plain = IsAtext(entry[i]) || (entry[i] == ' ' && entry[i - 1] != ' ');
  }
  if (plain) return std::string(entry);
  std::string quoted = "\"";
  for (const char c : entry) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

}  // namespace exchange
