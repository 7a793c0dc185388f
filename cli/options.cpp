#include "cli/options.h"

#include <cstddef>

namespace cli {

Result<Request> ParseWords(Session& session, const std::vector<std::string>& args,
                           Accepts accepts) {
  Request request;
  request.command = args[0];
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    const std::string name = word.substr(0, word.find('='));
    std::optional<std::string>* valued = nullptr;
    if (!optionsEnded && !accepts.formats.empty() && name == "--format") {
      valued = &request.format;
    }
    if (!optionsEnded && accepts.codePage && name == "--codepage") valued = &request.codePage;
    if (!optionsEnded && accepts.target && name == "--to") valued = &request.to;
    if (!optionsEnded && accepts.target && name == "--base") valued = &request.base;
    if (!optionsEnded && accepts.import && name == "--from") valued = &request.from;
    if (!optionsEnded && accepts.import && name == "--into") valued = &request.into;
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && accepts.transforms && (word == "--strip" || word == "--sort")) {
      request.transforms.push_back(word);
    } else if (!optionsEnded && (accepts.target || accepts.import) && word == "--report") {
      request.report = true;
    } else if (valued != nullptr) {
      if (name.size() < word.size()) {
        *valued = word.substr(name.size() + 1);
      } else if (i + 1 < args.size()) {
        *valued = args[++i];
      } else {
        return Failure{
            session.Fail(name + " needs a value; try 'quillmer-cli " + args[0] + " --help'")};
      }
    } else if (!optionsEnded && word.size() > 1 && word.front() == '-') {
      return Failure{session.Fail("unknown option " + Quoted(Shown(word)) + " for " + args[0] +
                                  "; try 'quillmer-cli --help'")};
    } else {
      request.positionals.push_back(word);
    }
  }
  if (accepts.formats.empty()) return request;
  if (!request.format) request.format = std::string(accepts.formats.front());
  for (const std::string_view known : accepts.formats) {
    if (*request.format == known) return request;
  }
  return Failure{session.Fail("unknown format " + Quoted(Shown(*request.format)) + " for " +
                              args[0] + " (expected " + Alternatives(accepts.formats) + ")")};
}

std::string Alternatives(std::span<const std::string_view> choices) {
  std::string text;
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) text += i + 1 == choices.size() ? " or " : ", ";
    text += choices[i];
  }
  return text;
}

}  // namespace cli
