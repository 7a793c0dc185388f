// The options a command takes, as it declares them beside its code, and the
// words of one command line sorted by them into options and positional
// words. Anything after "--" is positional, so a title may begin with a
// dash; an option's value follows it as the next word or after "=".
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/result.h"
#include "cli/session.h"

namespace cli {

// One option of a command. Its usage ("[--format text|to|csv]",
// "[--codepage CP]", "--to TARGET", "[--report]") is made from these fields.
struct Option {
  std::string_view name;  // "--format"
  // What follows it, as its usage names it ("CP"); empty: it takes no value.
  std::string_view value = {};
  // The values it takes, the default first: another one fails, and without
  // the option Request::Value gives the default. Empty: any value, which the
  // command checks itself.
  std::span<const std::string_view> choices = {};
  // Shown without brackets in the usage; the command says itself what is
  // missing when it is not given (its message names what it could be).
  bool required = false;
};

// What one command line asks for, once the options are sorted out.
class Request {
 public:
  explicit Request(std::string command) : command_(std::move(command)) {}

  const std::string& command() const { return command_; }  // the first word
  const std::vector<std::string>& positionals() const { return positionals_; }
  // The options given, each with its value (empty for one that takes
  // none), in the order given.
  const std::vector<std::pair<std::string_view, std::string>>& given() const { return given_; }

  // Whether `option` was given.
  bool Has(const Option& option) const;
  // The value `option` was given last; without it, its default (the first
  // of its choices), or nullopt when it has none.
  std::optional<std::string> Value(const Option& option) const;

 private:
  friend Result<Request> ParseWords(Session&, const std::vector<std::string>&,
                                    std::span<const Option>);
  std::string command_;
  std::vector<std::string> positionals_;
  std::vector<std::pair<std::string_view, std::string>> given_;
};

// Sorts `args` (the command first) for a command that takes `options`. An
// option the command does not take, one without its value, or a value
// outside an option's choices fails.
Result<Request> ParseWords(Session& session, const std::vector<std::string>& args,
                           std::span<const Option> options);

// "a", "a or b", "a, b or c": choices as messages name them; "a, b and c"
// with `conjunction` "and".
std::string Alternatives(std::span<const std::string_view> choices,
                         std::string_view conjunction = "or");

}  // namespace cli
