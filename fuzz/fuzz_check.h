// What the fuzz targets share: a check that stops the run with a message,
// and the plain, slow readings of the file rules that the engine's fast
// code must agree with.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzcheck {

// abort() makes libFuzzer keep the input that broke the rule.
inline void Require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", rule);
  std::abort();
}

inline char Upper(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  switch (b) {
    case 0x81:
      return static_cast<char>(0x9A);
    case 0x82:
      return static_cast<char>(0x90);
    case 0x84:
      return static_cast<char>(0x8E);
    case 0x86:
      return static_cast<char>(0x8F);
    case 0x87:
      return static_cast<char>(0x80);
    case 0x94:
      return static_cast<char>(0x99);
    case 0xA4:
      return static_cast<char>(0xA5);
    default:
      return c;
  }
}

// The lines of a list file, one byte at a time: CR ends a line, an LF after
// it belongs to the line end, a lone LF is text, 0x1A ends everything.
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  bool open = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\x1A') break;
    if (c == '\r') {
      lines.push_back(line);
      line.clear();
      open = false;
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    line += c;
    open = true;
  }
  if (open) lines.push_back(line);
  return lines;
}

// The text cut at every CR LF pair; the rest after the last pair too.
inline std::vector<std::string> Segments(std::string_view text) {
  std::vector<std::string> segments(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      segments.emplace_back();
      ++i;
    } else {
      segments.back() += text[i];
    }
  }
  return segments;
}

}  // namespace fuzzcheck
