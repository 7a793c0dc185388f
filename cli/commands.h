// The commands of quillmer-cli as one table. Each command is declared in
// its own file beside its code: its name, the options it takes, its lines
// in the general --help and its own COMMAND --help, and the function that
// runs it. Dispatch, both kinds of help, the checks of options and the
// command names listed in the "unknown command" message all come from
// Commands(), in its order. A new command is a file that defines its
// Command and one row of the table (commands.cpp).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/options.h"
#include "cli/session.h"

namespace cli {

// Runs a command whose words are sorted out already; returns the exit
// status. Writes through `session` only.
using CommandFunction = int (*)(Session& session, const Request& request);

// Lines of help, one printed line each. Most are fixed text (FixedLines);
// some are made from another table, such as the export's targets.
using HelpLines = std::vector<std::string> (*)();

template <const auto& kLines>
std::vector<std::string> FixedLines() {
  return {std::begin(kLines), std::end(kLines)};
}

struct Command {
  std::string_view name;
  std::span<const Option> options;
  std::string_view operands;  // what its usage names after the options: "[FOLDER] LIST"
  HelpLines summary;          // its lines under "Commands:" in --help
  HelpLines help;             // COMMAND --help after its usage line
  CommandFunction run;
};

// Every command, in the order the general help and messages name them.
std::span<const Command* const> Commands();

// "expand [--format text|to|csv] [--strip] [--sort] [FOLDER] LIST", from
// the command's options and operands; its usage line is that after
// "Usage: quillmer-cli ".
std::string Synopsis(const Command& command);
std::string UsageLine(const Command& command);

// `text` cut at blanks into lines of at most `width` bytes, each beginning
// with `indent`; a word longer than a line has a line of its own.
std::vector<std::string> Wrapped(std::string_view text, std::string_view indent, std::size_t width);

}  // namespace cli
