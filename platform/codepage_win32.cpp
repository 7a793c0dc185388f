// Code page conversion with MultiByteToWideChar and WideCharToMultiByte.
#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/codepage.h"

namespace platform {

bool IsSupportedCodePage(unsigned codePage) {
  return codePage == 1252 || codePage == 1250 || codePage == 850 || codePage == 437;
}

CodePageConverter::CodePageConverter(unsigned codePage) : codePage_(codePage) {
  CPINFO info;
  if (!IsSupportedCodePage(codePage)) {
    failure_ = "unsupported code page";
  } else if (!GetCPInfo(codePage, &info) || info.MaxCharSize != 1) {
    failure_ = "code page " + std::to_string(codePage) + " is not installed";
  }
  BuildTable();
}

CodePageConverter::~CodePageConverter() = default;

std::optional<std::size_t> CodePageConverter::ConvertWithPlatform(std::string_view bytes,
                                                                  std::string& out) {
  // ASCII is the same in all these code pages and in UTF-8: most fields
  // need no converter at all.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; })) {
    out += bytes;
    return 0;
  }
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 3)) {
    failure_ = "text too long to convert";
    return std::nullopt;
  }
  const int count = static_cast<int>(bytes.size());
  // Single-byte code pages: one UTF-16 unit per byte, all in the BMP. No
  // MB_ERR_INVALID_CHARS: Windows maps the undefined bytes to C1 controls
  // rather than failing, and they are singled out below instead.
  std::vector<wchar_t> wide(bytes.size());
  if (MultiByteToWideChar(codePage_, 0, bytes.data(), count, wide.data(), count) != count) {
    failure_ = "MultiByteToWideChar failed";
    return std::nullopt;
  }
  std::size_t undefined = 0;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const unsigned byte = static_cast<unsigned char>(bytes[i]);
    const unsigned unit = wide[i];
    if (byte >= 0x80 && byte <= 0x9F && unit == byte) {
      wide[i] = 0xFFFD;
      ++undefined;
    }
  }
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
  if (size <= 0) {
    failure_ = "WideCharToMultiByte failed";
    return std::nullopt;
  }
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(size));
  if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), count, out.data() + start, size, nullptr,
                          nullptr) != size) {
    failure_ = "WideCharToMultiByte failed";
    return std::nullopt;
  }
  return undefined;
}

}  // namespace platform
