// quillmer-cli lists: one line per mailing list, file name TAB title; a list
// that cannot be read has an empty title and is named on standard error.
#include <cstddef>
#include <string>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/folder.h"

namespace cli {

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

}  // namespace cli
