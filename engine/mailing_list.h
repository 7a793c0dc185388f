// The mailing list catalogue and the mailing list file format.
//
// A folder's catalogue is one sequence of lists, one per *.PML file, in the
// directory listing's own order, never sorted (the folder's loader makes it,
// mail_folder.h):
//
//   file   the list's bare file name, as the directory listing gives it
//   title  its first line from the 8th byte on (the first 7 bytes are a
//          prefix nobody reads); empty when the file cannot be read
//
// Titles may repeat or be empty. In a list file, every line after the
// title that is neither empty nor starts with a backslash is an entry.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/lines.h"

namespace engine {

inline constexpr std::size_t kTitlePrefixLength = 7;

struct MailingList {
  std::string file;
  std::string title;
};

// The title that a list file with these bytes shows. Pure.
std::string ListTitleOf(std::string_view file);

// The position of the first list titled exactly `title`, or nullopt.
std::optional<std::size_t> FindListByTitle(std::span<const MailingList> lists,
                                           std::string_view title);

// Whether a line of a list file is an entry: not empty and not starting
// with a backslash (the title line, and comments, start with one).
inline bool IsListEntry(std::string_view line) {
  return !line.empty() && line.front() != '\\';
}

// Calls `visit(lineNumber, entry)` for every entry of a list file's bytes,
// read with the line rules of lines.h. Line numbers count every line, the
// title included, as an editor does.
template <typename Visit>
void ForEachListEntry(std::string_view file, Visit&& visit) {
  LineReader reader(file);
  std::string_view line;
  std::size_t number = 0;
  while (reader.Next(line)) {
    ++number;
    if (IsListEntry(line)) visit(number, line);
  }
}

}  // namespace engine
