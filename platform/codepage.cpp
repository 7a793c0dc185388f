// What both code page converters share: the platform's answer for each byte
// value kept in a table, so that converting a book's many short fields is a
// table look-up per byte rather than a call into the system per field.
#include "platform/codepage.h"

#include <stdexcept>

namespace platform {

void CodePageConverter::BuildTable() {
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    const char in = static_cast<char>(byte);
    std::string utf8;
    const std::size_t undefined = ConvertWithPlatform(std::string_view(&in, 1), utf8);
    // A single-byte code page gives one character of at most 3 bytes.
    if (utf8.empty() || utf8.size() > sizeof high_[0].utf8) {
      throw std::runtime_error("code page " + std::to_string(codePage_) +
                               " is not a single-byte code page");
    }
    Character& c = high_[byte - 0x80];
    utf8.copy(c.utf8, utf8.size());
    c.size = static_cast<unsigned char>(utf8.size());
    c.undefined = undefined > 0;
  }
}

std::size_t CodePageConverter::AppendUtf8(std::string_view bytes, std::string& out) const {
  const std::size_t start = out.size();
  // At most 3 bytes each; what is not used is cut off again below.
  out.resize(start + 3 * bytes.size());
  char* to = out.data() + start;
  std::size_t undefined = 0;
  for (const char b : bytes) {
    const auto byte = static_cast<unsigned char>(b);
    if (byte < 0x80) {
      *to++ = b;  // ASCII is the same in all these code pages and in UTF-8
      continue;
    }
    const Character& c = high_[byte - 0x80];
    for (unsigned i = 0; i < c.size; ++i) *to++ = c.utf8[i];
    undefined += c.undefined ? 1 : 0;
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
  return undefined;
}

}  // namespace platform
