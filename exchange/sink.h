// Where a writer of another program's format puts its text: a string that
// grows, handed on in pieces by whoever owns it (the command line writes
// each piece to standard output as it comes), so that an export of any
// size keeps little in memory.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace exchange {

class Sink {
 public:
  // `drain`, when set, takes what `text` holds once it is large.
  Sink(std::string& text, std::function<void()> drain) : text_(text), drain_(std::move(drain)) {}

  std::string& out() { return text_; }
  // Called by writers between entries: a point where the text may go.
  void Drain() {
    if (drain_) drain_();
  }

 private:
  std::string& text_;
  std::function<void()> drain_;
};

}  // namespace exchange
