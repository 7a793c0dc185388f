// List expansion: a mailing list's lines turned into the text the output
// pane shows, one CR LF-terminated line per entry.
//
// Lines starting with a backslash and empty lines are skipped
// (IsListEntry). Every other line is an entry; its key is UpperCase of the whole line (nothing
// trimmed). A key found in the address book index gives the entry, a TAB and
// the address; any other entry is shown alone.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/folder_contents.h"
#include "engine/parallel.h"
#include "engine/string_table.h"

namespace engine {

class FirstMatchIndex;

// The expansion of a list file's bytes against the given tables. Pure.
// Split in two as `split` says (parallel.h): the halves, cut at the first
// line end after the middle, are expanded at once and joined; the text is
// the same.
std::string ExpandListText(std::string_view file, const FirstMatchIndex& names,
                           const StringTable& addresses, Split split = Split::kNever);

// The same against the address books of `folder`.
inline std::string ExpandListText(std::string_view file, const MailFolder& folder,
                                  Split split = Split::kNever) {
  return ExpandListText(file, folder.BookNameIndex(), folder.BookAddresses(), split);
}

}  // namespace engine
