// The start folder: the folder that holds the program file, spelled as the
// file system stores it, with exactly one trailing backslash.
#pragma once

#include <optional>
#include <string>

namespace app {

// Looks up one directory entry by its path; its stored name, or nullopt.
using EntryLookUp = std::optional<std::string> (*)(const std::string& path);

// `path` with every component after its prefix replaced by the entry's name
// as the file system reports it (long name, stored letter case). The prefix
// is a drive ("d:" becomes "D:") or a \\server\share, kept as it is. Empty
// when a component cannot be found.
std::string CanonicalFolderPath(const std::string& path, EntryLookUp lookUp);

// The start folder for the program file `programFile` (a full path): its
// folder, canonical, ending with one backslash.
std::string StartFolderOf(const std::string& programFile, EntryLookUp lookUp);

// The start folder of this program.
std::string StartFolder();

}  // namespace app
