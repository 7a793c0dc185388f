// What both code page converters share: the platform's answer for each byte
// value kept in a table, so that converting a book's many short fields is a
// table look-up per byte rather than a call into the system per field.
#include "platform/codepage.h"

#include <cstdint>

#include "base/words.h"

namespace platform {

void CodePageConverter::BuildTable() {
  for (unsigned byte = 0x80; byte <= 0xFF && IsOpen(); ++byte) {
    const char in = static_cast<char>(byte);
    std::string utf8;
    const std::optional<std::size_t> undefined =
        ConvertWithPlatform(std::string_view(&in, 1), utf8);
    if (!undefined) break;
    // A single-byte code page gives one character of at most 3 bytes.
    if (utf8.empty() || utf8.size() > sizeof high_[0].utf8) {
      failure_ = "code page " + std::to_string(codePage_) + " is not a single-byte code page";
      break;
    }
    Character& c = high_[byte - 0x80];
    utf8.copy(c.utf8, utf8.size());
    c.size = static_cast<unsigned char>(utf8.size());
    c.undefined = *undefined > 0;
  }
  if (IsOpen()) return;
  for (Character& c : high_) c = {{'\xEF', '\xBF', '\xBD'}, 3, true};  // U+FFFD
}

std::size_t CodePageConverter::AppendUtf8(std::string_view bytes, std::string& out) const {
  // ASCII is the same in all these code pages and in UTF-8: most fields
  // are copied as they are. Checked eight bytes at a time.
  std::uint64_t high = 0;
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) high |= base::LoadWord(bytes.data() + i);
  for (; i < bytes.size(); ++i) high |= static_cast<unsigned char>(bytes[i]);
  if (base::AllAscii(high)) {
    out += bytes;
    return 0;
  }
  std::size_t size = 0;
  for (const char b : bytes) {
    const auto byte = static_cast<unsigned char>(b);
    size += byte < 0x80 ? 1 : high_[byte - 0x80].size;
  }
  const std::size_t start = out.size();
  out.resize(start + size);
  char* to = out.data() + start;
  std::size_t undefined = 0;
  for (const char b : bytes) {
    const auto byte = static_cast<unsigned char>(b);
    if (byte < 0x80) {
      *to++ = b;
      continue;
    }
    const Character& c = high_[byte - 0x80];
    for (unsigned k = 0; k < c.size; ++k) *to++ = c.utf8[k];
    undefined += c.undefined ? 1 : 0;
  }
  return undefined;
}

CodePageEncoder::CodePageEncoder(unsigned codePage) {
  const CodePageConverter converter(codePage);
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    std::string utf8;
    if (converter.AppendUtf8(std::string(1, static_cast<char>(byte)), utf8) == 0) {
      bytes_.emplace(utf8, static_cast<char>(byte));
    }
  }
}

std::string CodePageEncoder::Encode(std::string_view text, std::size_t& missing) const {
  std::string encoded;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (i + length > text.size()) length = text.size() - i;
    if (length == 1) {
      encoded += text[i];
    } else if (const auto found = bytes_.find(std::string(text.substr(i, length)));
               found != bytes_.end()) {
      encoded += found->second;
    } else {
      encoded += '?';
      ++missing;
    }
    i += length;
  }
  return encoded;
}

}  // namespace platform
