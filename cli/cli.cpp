// The front door of quillmer-cli: help and version, then the command the
// first word names, all from the table of commands (commands.h).
#include "cli/cli.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/options.h"
#include "cli/result.h"
#include "cli/session.h"
#include "quillmer_version.h"

namespace cli {

namespace {

// The general help around the commands' summaries, one printed line each.
constexpr std::string_view kHelpHead[] = {
    "Usage: quillmer-cli COMMAND [OPTIONS] [FOLDER] ...",
    "Shows the Pegasus Mail mailing lists (*.PML) of a mail folder with every name",
    "that the folder's address books (*.PMR) know followed by its address.",
    "",
    "Commands:",
};
constexpr std::string_view kHelpTail[] = {
    "",
    "  --help                  show this text; COMMAND --help for one command",
    "  --version               show the version",
    "",
    "FOLDER defaults to the current folder. Nothing is ever written to it; import",
    "only adds new files to its --into FOLDER.",
    "Exit status: 0 done; 1 check found something; 2 error; 3 a book or list",
    "could not be read (tried again for up to 2 seconds; each such file is named",
    "on standard error, and the output is made from what could be read).",
};

// COMMAND --help for a command the first word names, else the general help.
void WriteHelp(Session& session, const std::vector<std::string>& args) {
  for (const Command* command : Commands()) {
    if (!args.empty() && args[0] == command->name) {
      session.Line(UsageLine(*command));
      for (const std::string& line : command->help()) session.Line(line);
      return;
    }
  }
  for (const std::string_view line : kHelpHead) session.Line(line);
  for (const Command* command : Commands()) {
    for (const std::string& line : command->summary()) session.Line(line);
  }
  for (const std::string_view line : kHelpTail) session.Line(line);
}

// "lists, expand, check or books".
std::string CommandNames() {
  std::vector<std::string_view> names;
  for (const Command* command : Commands()) names.push_back(command->name);
  return Alternatives(names);
}

}  // namespace

int Run(const std::vector<std::string>& args, std::string_view lineEnd, std::string& out,
        std::string& err, const RunOptions& options) {
  Session session(lineEnd, out, err, &options.drain, options.retryFor);
  for (const std::string& word : args) {
    if (word == "--") break;
    if (word == "--help" || word == "-h" || word == "/?") {
      WriteHelp(session, args);
      return kExitOk;
    }
    if (word == "--version") {
      session.Line(std::string(kProgram) + " " + QUILLMER_VERSION);
      return kExitOk;
    }
  }
  if (args.empty()) return session.Fail("no command given; try 'quillmer-cli --help'");
  for (const Command* command : Commands()) {
    if (args[0] != command->name) continue;
    const Result<Request> request = ParseWords(session, args, command->options);
    if (!request) return request.status();
    return command->run(session, *request);
  }
  if (!args[0].empty() && args[0].front() == '-') {
    return session.Fail("unknown option " + Quoted(Shown(args[0])) + "; try 'quillmer-cli --help'");
  }
  return session.Fail("unknown command " + Quoted(Shown(args[0])) + " (expected " + CommandNames() +
                      "); try 'quillmer-cli --help'");
}

}  // namespace cli
