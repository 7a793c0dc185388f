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
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && accepts.transforms && (word == "--strip" || word == "--sort")) {
      request.transforms.push_back(word);
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
  std::string expected;
  for (std::size_t k = 0; k < accepts.formats.size(); ++k) {
    if (*request.format == accepts.formats[k]) return request;
    if (k > 0) expected += k + 1 == accepts.formats.size() ? " or " : ", ";
    expected += accepts.formats[k];
  }
  return Failure{session.Fail("unknown format " + Quoted(Shown(*request.format)) + " for " +
                              args[0] + " (expected " + expected + ")")};
}

}  // namespace cli
