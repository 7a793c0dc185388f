// The commands of quillmer-cli as one table: each command's name, its
// lines in the general --help, its own COMMAND --help, the options it takes
// and the function that runs it. Dispatch, both kinds of help and the
// command names listed in the "unknown command" message all come from
// Commands(), in its order.
#pragma once

#include <span>
#include <string_view>

#include "cli/options.h"
#include "cli/session.h"

namespace cli {

// Runs a command whose words are sorted out already; returns the exit
// status. Writes through `session` only.
using CommandFunction = int (*)(Session& session, const Request& request);

struct Command {
  std::string_view name;
  std::span<const std::string_view> summary;  // its lines under "Commands:" in --help
  std::span<const std::string_view> help;     // COMMAND --help, one printed line each
  Accepts accepts;
  CommandFunction run;
};

// Every command, in the order the general help and messages name them.
std::span<const Command> Commands();

// The commands, each in its own file.
int RunLists(Session& session, const Request& request);
int RunExpand(Session& session, const Request& request);
int RunCheck(Session& session, const Request& request);
int RunBooks(Session& session, const Request& request);
int RunExport(Session& session, const Request& request);
int RunImport(Session& session, const Request& request);

}  // namespace cli
