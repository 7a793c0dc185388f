#include "engine/address_syntax.h"

#include <cstddef>

#include "base/ascii.h"

namespace engine {

bool LooksLikeAddress(std::string_view address) {
  const std::size_t at = address.rfind('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == address.size()) return false;
  for (const char c : address.substr(0, at)) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F ||
        std::string_view("<>()[],;:\\\"@").find(c) != std::string_view::npos) {
      return false;
    }
  }
  const std::string_view domain = address.substr(at + 1);
  if (domain.front() == '.' || domain.back() == '.' ||
      domain.find("..") != std::string_view::npos) {
    return false;
  }
  for (const char c : domain) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || u >= 0x80;
    if (!fits) return false;
  }
  return true;
}

std::string CaseFolded(std::string_view address) {
  return base::AsciiUpper(address);
}

}  // namespace engine
