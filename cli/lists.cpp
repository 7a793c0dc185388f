// quillmer-cli lists: one line per mailing list, file name TAB title; a list
// that cannot be read has an empty title and is named on standard error.
#include <cstddef>
#include <string>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/folder.h"

namespace cli {

namespace {

// clang-format off
constexpr std::string_view kSummary[] = {
    "  lists [FOLDER]          one line per mailing list: file name, TAB, title",
};
constexpr std::string_view kHelp[] = {
    "One line per mailing list of FOLDER (default: the current folder), in the",
    "folder's own order: file name, TAB, title.",
};
// clang-format on

int RunLists(Session& session, const Request& request) {
  // Titles are all it prints: no book is opened.
  const Result<Folder> folder = Folder::OpenNamed(session, request, {.bookRecords = false});
  if (!folder) return folder.status();
  for (std::size_t i = 0; i < folder->ListCount(); ++i) {
    const Folder::List list = folder->ListAt(i);
    std::string line = Shown(list.file);
    line += '\t';
    line += list.title;
    session.Line(line);
  }
  // Titles come from the lists alone.
  return folder->NoteUnreadable(session, false);
}

}  // namespace

extern const Command kListsCommand{"lists",           {},      "[FOLDER]", FixedLines<kSummary>,
                                   FixedLines<kHelp>, RunLists};

}  // namespace cli
