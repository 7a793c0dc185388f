// What the fuzz targets share: a check that stops the run with a message,
// and the plain, slow readings of the file rules that the engine's fast
// code must agree with.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/upper_reference.h"

namespace fuzzcheck {

// abort() makes libFuzzer keep the input that broke the rule.
inline void Require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", rule);
  std::abort();
}

using reference::UpperByte;

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
