// What in a mailing list will not reach anyone as meant: the findings of
// `quillmer-cli check`, for any front door to show. Pure, over a
// MailFolder's tables and a list file's bytes.
#pragma once

#include <cstddef>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/folder_contents.h"

namespace engine {

enum class FindingKind {
  kUnknown,       // no book knows the name and it holds no @
  kNoAddress,     // the name's record has no address
  kAmbiguous,     // several records hold the name, with different addresses
  kDuplicate,     // an earlier entry of the same list reaches the address already
  kNotAnAddress,  // what the entry reaches does not look like local@domain
  kUnreadable,    // the book or list file could not be read
};

// "unknown", "no-address", "ambiguous", "duplicate", "not-an-address",
// "unreadable".
std::string_view FindingKindName(FindingKind kind);

// The names (upper-cased, as the books hold them) that several records of
// `folder` hold with addresses that differ beyond letter case: lookups give
// the first of them, which may not be the one meant. The views point into
// the folder's names.
std::unordered_set<std::string_view> AmbiguousNames(const MailFolder& folder);

struct EntryFinding {
  std::size_t line;        // the entry's line number in the file, from 1
  std::string_view entry;  // the entry as written, a view into the list's bytes
  FindingKind kind;
};

// The findings for the list file `listBytes` over `folder`, entry by entry
// in the file's order; an entry may have several, in the order of the
// kinds above. `ambiguous` is AmbiguousNames(folder). Never kUnreadable:
// that is the reader's to say.
std::vector<EntryFinding> CheckList(const MailFolder& folder,
                                    const std::unordered_set<std::string_view>& ambiguous,
                                    std::string_view listBytes);

}  // namespace engine
