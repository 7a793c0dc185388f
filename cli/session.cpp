#include "cli/session.h"

#include <cstddef>

#include "cli/cli.h"
#include "platform/files.h"

namespace cli {

void Session::Drain() {
  constexpr std::size_t kDrainSize = std::size_t{1} << 20;
  if (drain_ != nullptr && *drain_ && out_.size() >= kDrainSize) (*drain_)(out_);
}

void Session::Pass(std::string& text) {
  if (drain_ != nullptr && *drain_) {
    if (!out_.empty()) (*drain_)(out_);
    (*drain_)(text);
  } else {
    out_ += text;
  }
  text.clear();
}

void Session::Note(std::string_view message) {
  err_ += kProgram;
  err_ += ": ";
  err_ += message;
  err_ += lineEnd_;
}

int Session::Fail(std::string_view message) {
  Note(message);
  return kExitError;
}

void Session::Line(std::string_view text) {
  out_ += text;
  out_ += lineEnd_;
}

std::string Counted(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  quoted += text;
  quoted += "'";
  return quoted;
}

std::string Shown(std::string_view name) {
  return platform::AnsiFormOf(name, kNames).value_or(std::string(name));
}

}  // namespace cli
