// The words of one command line sorted into options and positional words,
// as far as its command takes options. Anything after "--" is positional,
// so a title may begin with a dash; an option's value follows it as the
// next word or after "=".
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/result.h"
#include "cli/session.h"

namespace cli {

// Which options a command takes.
struct Accepts {
  bool transforms = false;  // --strip, --sort
  // The values --format takes, the default first; none: no --format.
  std::span<const std::string_view> formats = {};
  bool codePage = false;  // --codepage
  bool target = false;    // --to, --base, --report
  bool import = false;    // --from, --into, --report
};

// What one command line asks for, once the options are sorted out.
struct Request {
  std::string command;  // the first word
  std::vector<std::string> positionals;
  std::vector<std::string> transforms;  // "--strip" / "--sort", in the order given
  std::optional<std::string> format;    // one of Accepts::formats, when there are any
  std::optional<std::string> codePage;
  std::optional<std::string> to;
  std::optional<std::string> base;
  std::optional<std::string> from;
  std::optional<std::string> into;
  bool report = false;
};

// Sorts `args` (the command first) for a command that takes `accepts`. An
// option the command does not take, one without its value, or a format the
// command does not write fails. Without --format, the command's first format.
Result<Request> ParseWords(Session& session, const std::vector<std::string>& args, Accepts accepts);

// "a", "a or b", "a, b or c": choices as messages name them.
std::string Alternatives(std::span<const std::string_view> choices);

}  // namespace cli
