#include "engine/lines.h"

namespace engine {

namespace {

constexpr char kEndOfText = '\x1A';

}  // namespace

// Nothing after the first Ctrl-Z is ever looked at, so the text is simply
// cut there once instead of testing for it in every line.
LineReader::LineReader(std::string_view text) : text_(text.substr(0, text.find(kEndOfText))) {}

bool LineReader::Next(std::string_view& line) {
  if (done_) return false;
  const std::size_t cr = text_.find('\r', pos_);
  if (cr == std::string_view::npos) {
    // The last line needs no line end, but an empty remainder is no line.
    done_ = true;
    if (pos_ >= text_.size()) return false;
    line = text_.substr(pos_);
    pos_ = text_.size();
    return true;
  }
  line = text_.substr(pos_, cr - pos_);
  pos_ = cr + 1;
  if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  return true;
}

std::string_view FirstLine(std::string_view text) {
  LineReader reader(text);
  std::string_view line;
  return reader.Next(line) ? line : std::string_view();
}

}  // namespace engine
