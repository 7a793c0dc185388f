#include "engine/output_options.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "base/ascii.h"
#include "engine/bytes.h"

namespace engine {

namespace {

// The address a segment holds, by the four steps of "Strip Names".
std::string_view AddressOf(std::string_view segment) {
  if (const std::size_t tab = segment.find('\t'); tab != std::string_view::npos) {
    segment.remove_prefix(tab + 1);
  }
  if (const std::size_t quote = segment.rfind('"'); quote != std::string_view::npos) {
    segment.remove_prefix(quote + 1);
  }
  constexpr std::string_view kEdgeBytes = " <>";
  const std::size_t first = segment.find_first_not_of(kEdgeBytes);
  if (first == std::string_view::npos) return {};
  segment = segment.substr(first, segment.find_last_not_of(kEdgeBytes) - first + 1);
  if (const std::size_t angle = segment.find('<'); angle != std::string_view::npos) {
    segment.remove_prefix(angle + 1);
  }
  return segment;
}

unsigned char SortKeyByte(char c) {
  return static_cast<unsigned char>(base::AsciiUpperByte(c));
}

// Byte order with only a-z folded; a prefix sorts first.
bool SortsBefore(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const unsigned char x = SortKeyByte(a[i]);
    const unsigned char y = SortKeyByte(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

// Greater than a single space in plain unsigned byte order: anything that
// starts above a space, or starts with one and goes on.
bool IsKeptBySort(std::string_view segment) {
  if (segment.empty()) return false;
  const auto first = static_cast<unsigned char>(segment.front());
  return first > ' ' || (first == ' ' && segment.size() > 1);
}

}  // namespace

std::string_view StrippedLine(std::string_view line) {
  return AddressOf(line);
}

std::string StripNames(std::string_view text) {
  std::string result;
  result.reserve(text.size() + 2);
  for (const std::string_view segment : SplitCrLfSegments(text)) {
    result += AddressOf(segment);
    result += "\r\n";
  }
  return result;
}

std::string SortList(std::string_view text) {
  std::vector<std::string_view> segments = SplitCrLfSegments(text);
  // Stable, so that pressing again gives the same text each time.
  std::stable_sort(segments.begin(), segments.end(), SortsBefore);
  std::string result;
  result.reserve(text.size() + 2);
  for (const std::string_view segment : segments) {
    if (!IsKeptBySort(segment)) continue;
    result += segment;
    result += "\r\n";
  }
  return result;
}

}  // namespace engine
