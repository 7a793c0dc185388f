#include "cli/options.h"

#include <cstddef>

namespace cli {

namespace {

// The option of `options` the word names: a valued option by the part
// before "=", one without a value by the whole word.
const Option* Named(std::span<const Option> options, std::string_view word) {
  const std::string_view name = word.substr(0, word.find('='));
  for (const Option& option : options) {
    if (option.name == (option.value.empty() ? word : name)) return &option;
  }
  return nullptr;
}

}  // namespace

bool Request::Has(const Option& option) const {
  for (const auto& [name, value] : given_) {
    if (name == option.name) return true;
  }
  return false;
}

std::optional<std::string> Request::Value(const Option& option) const {
  for (auto it = given_.rbegin(); it != given_.rend(); ++it) {
    if (it->first == option.name) return it->second;
  }
  if (option.choices.empty()) return std::nullopt;
  return std::string(option.choices.front());
}

Result<Request> ParseWords(Session& session, const std::vector<std::string>& args,
                           std::span<const Option> options) {
  Request request(args[0]);
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    const Option* option = optionsEnded ? nullptr : Named(options, word);
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (option != nullptr && option->value.empty()) {
      request.given_.emplace_back(option->name, std::string());
    } else if (option != nullptr) {
      const std::size_t equals = word.find('=');
      if (equals != std::string::npos) {
        request.given_.emplace_back(option->name, word.substr(equals + 1));
      } else if (i + 1 < args.size()) {
        request.given_.emplace_back(option->name, args[++i]);
      } else {
        return Failure{session.Fail(std::string(option->name) +
                                    " needs a value; try 'quillmer-cli " + args[0] + " --help'")};
      }
    } else if (!optionsEnded && word.size() > 1 && word.front() == '-') {
      return Failure{session.Fail("unknown option " + Quoted(Shown(word)) + " for " + args[0] +
                                  "; try 'quillmer-cli --help'")};
    } else {
      request.positionals_.push_back(word);
    }
  }
  for (const Option& option : options) {
    if (option.choices.empty()) continue;
    const std::string value = *request.Value(option);
    bool known = false;
    for (const std::string_view choice : option.choices) known = known || value == choice;
    if (!known) {
      // "--format" asks for a format.
      const std::string_view what = option.name.substr(option.name.find_first_not_of('-'));
      return Failure{session.Fail("unknown " + std::string(what) + " " + Quoted(Shown(value)) +
                                  " for " + args[0] + " (expected " + Alternatives(option.choices) +
                                  ")")};
    }
  }
  return request;
}

std::string Alternatives(std::span<const std::string_view> choices, std::string_view conjunction) {
  std::string text;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) {
      if (i + 1 == choices.size()) {
        text += ' ';
        text += conjunction;
        text += ' ';
      } else {
        text += ", ";
      }
    }
    text += choices[i];
  }
  return text;
}

}  // namespace cli
