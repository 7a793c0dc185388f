// Any bytes as the output pane's text, put through both buttons, alone and
// one after the other: each result must equal the plain reading of its
// rules (lines cut at CR LF pairs only, every lone CR and LF kept where it
// stands), and sorting a sorted text changes nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/output_options.h"
#include "fuzz/fuzz_check.h"

using fuzzcheck::Require;

namespace {

std::string StripOne(std::string s) {
  if (const auto tab = s.find('\t'); tab != std::string::npos) s.erase(0, tab + 1);
  if (const auto quote = s.rfind('"'); quote != std::string::npos) s.erase(0, quote + 1);
  const auto edge = [](char c) { return c == ' ' || c == '<' || c == '>'; };
  while (!s.empty() && edge(s.front())) s.erase(0, 1);
  while (!s.empty() && edge(s.back())) s.pop_back();
  if (const auto angle = s.find('<'); angle != std::string::npos) s.erase(0, angle + 1);
  return s;
}

std::string ExpectedStrip(std::string_view text) {
  std::string out;
  for (const std::string& segment : fuzzcheck::Segments(text)) out += StripOne(segment) + "\r\n";
  return out;
}

std::string Folded(const std::string& s) {
  std::string f = s;
  for (char& c : f) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return f;
}

bool Before(const std::string& a, const std::string& b) {
  const std::string x = Folded(a);
  const std::string y = Folded(b);
  return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
    return static_cast<unsigned char>(p) < static_cast<unsigned char>(q);
  });
}

// The kept segments in collation order. Equal keys may come in any order,
// so only the folded keys are compared, and the bytes as a multiset.
void RequireSorted(std::string_view text, const std::string& sorted) {
  std::vector<std::string> kept;
  for (const std::string& s : fuzzcheck::Segments(text)) {
    if (s.size() > 1 ? static_cast<unsigned char>(s[0]) >= ' '
                     : !s.empty() && static_cast<unsigned char>(s[0]) > ' ') {
      kept.push_back(s);
    }
  }
  std::string joined;
  for (const std::string& s : kept) joined += s + "\r\n";
  Require(sorted.size() == joined.size(), "sort keeps the bytes of the kept lines");
  std::vector<std::string> got = fuzzcheck::Segments(sorted);
  Require(!got.empty() && got.back().empty(), "sort result ends with CR LF or is empty");
  got.pop_back();
  Require(got.size() == kept.size(), "sort keeps every line greater than a space");
  Require(std::is_sorted(got.begin(), got.end(), Before), "sort order");
  std::sort(kept.begin(), kept.end());
  std::sort(got.begin(), got.end());
  Require(got == kept, "sort neither loses nor invents lines");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view pane(reinterpret_cast<const char*>(data), size);
  const std::string stripped = engine::StripNames(pane);
  Require(stripped == ExpectedStrip(pane), "strip names");
  const std::string sorted = engine::SortList(pane);
  RequireSorted(pane, sorted);
  Require(engine::SortList(sorted) == sorted, "sort of a sorted text (stable)");
  RequireSorted(stripped, engine::SortList(stripped));
  Require(engine::StripNames(sorted) == ExpectedStrip(sorted), "strip after sort");
  return 0;
}
