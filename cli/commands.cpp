#include "cli/commands.h"

#include <cstddef>

namespace cli {

// Each defined in its own file (lists.cpp, expand.cpp, ...).
extern const Command kListsCommand;
extern const Command kExpandCommand;
extern const Command kCheckCommand;
extern const Command kBooksCommand;
extern const Command kExportCommand;
extern const Command kImportCommand;

namespace {

constexpr const Command* kCommands[] = {
    &kListsCommand, &kExpandCommand, &kCheckCommand,
    &kBooksCommand, &kExportCommand, &kImportCommand,
};

}  // namespace

std::span<const Command* const> Commands() {
  return kCommands;
}

std::string UsageLine(const Command& command) {
  return "Usage: " + std::string(kProgram) + " " + Synopsis(command);
}

std::string Synopsis(const Command& command) {
  std::string line(command.name);
  for (const Option& option : command.options) {
    std::string usage(option.name);
    if (!option.choices.empty()) {
      usage += ' ';
      for (std::size_t i = 0; i < option.choices.size(); ++i) {
        if (i > 0) usage += '|';
        usage += option.choices[i];
      }
    } else if (!option.value.empty()) {
      usage += ' ';
      usage += option.value;
    }
    line += ' ';
    line += option.required ? usage : "[" + usage + "]";
  }
  if (!command.operands.empty()) {
    line += ' ';
    line += command.operands;
  }
  return line;
}

std::vector<std::string> Wrapped(std::string_view text, std::string_view indent,
                                 std::size_t width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = text.find_first_not_of(' ', at);
    if (start == std::string_view::npos) break;
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view word = text.substr(start, end - start);
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(std::move(line));
      line.clear();
    }
    if (line.empty()) {
      line = std::string(indent);
    } else {
      line += ' ';
    }
    line += word;
    at = end;
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

}  // namespace cli
