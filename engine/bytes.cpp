#include "engine/bytes.h"

#include <cstddef>

namespace engine {

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperCaseByte(c);
  return result;
}

std::vector<std::string_view> SplitCrLfSegments(std::string_view text) {
  std::vector<std::string_view> segments;
  std::size_t start = 0;
  for (;;) {
    const std::size_t pair = text.find("\r\n", start);
    if (pair == std::string_view::npos) break;
    segments.push_back(text.substr(start, pair - start));
    start = pair + 2;
  }
  segments.push_back(text.substr(start));
  return segments;
}

}  // namespace engine
