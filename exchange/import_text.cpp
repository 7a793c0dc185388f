#include "exchange/import_text.h"

#include <cstdint>

#include "base/ascii.h"
#include "platform/codepage.h"

namespace exchange::importtext {

namespace {

void AppendUtf8(std::uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 (little or big endian) as UTF-8; an odd last byte and unpaired
// surrogates become U+FFFD.
std::string FromUtf16(std::string_view bytes, bool little) {
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return little ? static_cast<std::uint32_t>(a | b << 8) : static_cast<std::uint32_t>(b | a << 8);
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    std::uint32_t c = unit(i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
      const std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    AppendUtf8(c, out);
  }
  if (i < bytes.size()) AppendUtf8(0xFFFD, out);
  return out;
}

const platform::CodePageConverter& Converter(unsigned codePage) {
  // Made once each, on first use, and never changed after.
  static const platform::CodePageConverter western(1252);
  static const platform::CodePageConverter central(1250);
  return codePage == 1250 ? central : western;
}

}  // namespace

std::string FileText(std::string_view bytes) {
  std::string text;
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE) {
    text = FromUtf16(bytes.substr(2), true);
  } else if (bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF) {
    text = FromUtf16(bytes.substr(2), false);
  } else if (bytes.size() >= 2 && at(0) != 0 && at(0) < 0x80 && at(1) == 0) {
    text = FromUtf16(bytes, true);
  } else if (bytes.size() >= 2 && at(0) == 0 && at(1) != 0 && at(1) < 0x80) {
    text = FromUtf16(bytes, false);
  } else if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    text = bytes.substr(3);
  } else {
    text = bytes;
  }
  if (const std::size_t end = text.find('\x1A'); end != std::string::npos) text.resize(end);
  return text;
}

std::optional<InputFault> NulFault(std::string_view text) {
  const std::size_t nul = text.find('\0');
  if (nul == std::string_view::npos) return std::nullopt;
  return InputFault{LineOf(text, nul),
                    "a NUL byte: this is not a text file (UTF-16 needs its byte order mark)"};
}

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t more = 0;
    std::uint32_t code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1;
      code = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      code = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + more >= text.size()) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (more == 2 && code < 0x800) || (more == 3 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += more + 1;
  }
  return true;
}

std::string AsUtf8(std::string_view bytes, unsigned ansiCodePage) {
  if (IsUtf8(bytes)) return std::string(bytes);
  std::string out;
  Converter(ansiCodePage).AppendUtf8(bytes, out);
  return out;
}

std::optional<std::string> FromCharset(std::string_view bytes, std::string_view charset) {
  const std::string name = base::AsciiUpper(Trim(charset));
  if (name == "UTF-8" || name == "UTF8" || name == "US-ASCII" || name == "ASCII") {
    return AsUtf8(bytes, 1252);
  }
  if (name == "ISO-8859-1" || name == "ISO8859-1" || name == "LATIN1" || name == "LATIN-1") {
    std::string out;
    for (const char b : bytes) AppendUtf8(static_cast<unsigned char>(b), out);
    return out;
  }
  for (const unsigned codePage : {1250U, 1252U}) {
    const std::string number = std::to_string(codePage);
    if (name == "WINDOWS-" + number || name == "CP" + number) {
      std::string out;
      Converter(codePage).AppendUtf8(bytes, out);
      return out;
    }
  }
  return std::nullopt;
}

std::size_t LineOf(std::string_view text, std::size_t offset) {
  std::size_t line = 1;
  const std::size_t end = offset < text.size() ? offset : text.size();
  for (std::size_t i = 0; i < end; ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
    }
  }
  return line;
}

bool Lines::Next(std::string_view& line) {
  if (done_) return false;
  ++number_;
  const std::size_t end = rest_.find_first_of("\r\n");
  if (end == std::string_view::npos) {
    line = rest_;
    done_ = true;
    // A text that ends with its line end has no empty line after it.
    return !line.empty() || number_ == 1;
  }
  line = rest_.substr(0, end);
  const std::size_t next =
      rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n' ? end + 2 : end + 1;
  rest_.remove_prefix(next);
  if (rest_.empty()) done_ = true;
  return true;
}

std::optional<std::string> Base64(std::string_view text) {
  std::string out;
  std::uint32_t bits = 0;
  int count = 0;
  bool padding = false;
  for (const char c : text) {
    int value = -1;
    if (c >= 'A' && c <= 'Z') {
      value = c - 'A';
    } else if (c >= 'a' && c <= 'z') {
      value = c - 'a' + 26;
    } else if (c >= '0' && c <= '9') {
      value = c - '0' + 52;
    } else if (c == '+' || c == '-') {
      value = 62;
    } else if (c == '/' || c == '_') {
      value = 63;
    } else if (c == '=') {
      padding = true;
      continue;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      continue;
    } else {
      return std::nullopt;
    }
    if (padding) return std::nullopt;  // a digit after the padding
    bits = (bits << 6 | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
    if (++count == 4) {
      out += static_cast<char>(bits >> 16);
      out += static_cast<char>((bits >> 8) & 0xFF);
      out += static_cast<char>(bits & 0xFF);
      count = 0;
    }
  }
  if (count == 1) return std::nullopt;
  if (count == 2) out += static_cast<char>((bits >> 4) & 0xFF);
  if (count == 3) {
    out += static_cast<char>((bits >> 10) & 0xFF);
    out += static_cast<char>((bits >> 2) & 0xFF);
  }
  return out;
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string JoinParts(std::initializer_list<std::string_view> parts, std::string_view separator) {
  std::string joined;
  for (const std::string_view part : parts) {
    const std::string_view trimmed = Trim(part);
    if (trimmed.empty()) continue;
    if (!joined.empty()) joined += separator;
    joined += trimmed;
  }
  return joined;
}

bool SameWord(std::string_view a, std::string_view b) {
  return base::EqualIgnoringAsciiCase(a, b);
}

std::string WithoutNuls(std::string text) {
  std::erase(text, '\0');
  return text;
}

}  // namespace exchange::importtext
