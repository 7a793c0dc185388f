// Code page conversion with glibc's iconv.
#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "platform/codepage.h"

namespace platform {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case 1252:
      return "CP1252";
    case 1250:
      return "CP1250";
    case 850:
      return "IBM850";
    case 437:
      return "IBM437";
    default:
      return nullptr;
  }
}

iconv_t Descriptor(void* handle) {
  return static_cast<iconv_t>(handle);
}

}  // namespace

bool IsSupportedCodePage(unsigned codePage) {
  return IconvName(codePage) != nullptr;
}

CodePageConverter::CodePageConverter(unsigned codePage) : codePage_(codePage) {
  const char* name = IconvName(codePage);
  if (name == nullptr) {
    failure_ = "unsupported code page";
  } else if (const iconv_t descriptor = iconv_open("UTF-8", name);
             descriptor == reinterpret_cast<iconv_t>(-1)) {
    failure_ = std::string("iconv cannot convert from ") + name;
  } else {
    handle_ = descriptor;
  }
  BuildTable();
}

CodePageConverter::~CodePageConverter() {
  if (handle_ != nullptr) iconv_close(Descriptor(handle_));
}

std::optional<std::size_t> CodePageConverter::ConvertWithPlatform(std::string_view bytes,
                                                                  std::string& out) {
  // ASCII is the same in all these code pages and in UTF-8: most fields
  // need no converter at all.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; })) {
    out += bytes;
    return 0;
  }
  std::size_t undefined = 0;
  // Each byte of a single-byte code page gives at most 3 UTF-8 bytes.
  const std::size_t start = out.size();
  out.resize(start + 3 * bytes.size());
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* to = out.data() + start;
  std::size_t toLeft = out.size() - start;
  iconv(Descriptor(handle_), nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    if (iconv(Descriptor(handle_), &in, &inLeft, &to, &toLeft) != static_cast<std::size_t>(-1)) {
      break;
    }
    if (errno != EILSEQ && errno != EINVAL) {
      failure_ = "iconv failed on code page " + std::to_string(codePage_);
      return std::nullopt;
    }
    // A byte the code page does not define: U+FFFD in its place (the room
    // set aside for the byte stays unused), and on with the next byte.
    ++undefined;
    ++in;
    --inLeft;
    out.resize(out.size() + kReplacement.size());
    to = out.data() + out.size() - toLeft - kReplacement.size();
    for (const char c : kReplacement) *to++ = c;
  }
  out.resize(out.size() - toLeft);
  return undefined;
}

}  // namespace platform
