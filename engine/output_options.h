// The two output options: pure text-to-text functions over the output pane's
// whole text, lines separated by CR LF. Each result line ends in CR LF.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// Every segment reduced to the e-mail address it holds: after the first
// TAB, then after the last double quote, then without spaces, '<' and '>'
// at its ends, then after the first '<'. Every segment gives a line, the
// empty one after a final CR LF included.
std::string StripNames(std::string_view text);

// What StripNames makes of one line that holds no CR LF, without the line
// end: a view into `line`.
std::string_view StrippedLine(std::string_view line);

// The segments sorted (a-z folded to A-Z, every other byte by its unsigned
// value, a prefix first), leaving out every segment not greater than a
// single space.
std::string SortList(std::string_view text);

}  // namespace engine
