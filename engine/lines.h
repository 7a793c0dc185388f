// The line rules for reading a mailing-list file.
//
// A line ends at CR; an LF right after that CR belongs to the line end. A
// lone LF is an ordinary byte inside the line. The byte 0x1A ends the text:
// the line in progress ends before it and nothing after it is read. The end
// of the data ends the last line. No length limit, no conversion, no trimming.
#pragma once

#include <cstddef>
#include <string_view>

namespace engine {

class LineReader {
 public:
  explicit LineReader(std::string_view text);

  // Sets `line` to the next line and returns true, or returns false at the
  // end of the text. `line` points into the text given to the constructor.
  bool Next(std::string_view& line);

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool done_ = false;
};

// The first line of `text` (empty for an empty text).
std::string_view FirstLine(std::string_view text);

}  // namespace engine
