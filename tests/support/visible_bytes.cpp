#include "tests/support/visible_bytes.h"

namespace testsupport {

std::string Visible(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      shown += "<CR>";
    } else if (c == '\n') {
      shown += "<LF>\n";
    } else if (c == '\t') {
      shown += "<TAB>";
    } else if (byte < 32 || byte > 126) {
      shown += "<";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
      shown += ">";
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace testsupport
