// The mailing list catalogue: the *.PML files of the current directory, as
// two parallel tables indexed from 1 (entry 0 belongs to no list).
//
//   ListTitles[k]  the title of the k-th list found: its first line from the
//                  8th byte on (the first 7 bytes are a prefix nobody reads)
//   ListFiles[k]   its bare file name, as the directory listing gives it
//
// Order: the listing's own, never sorted. Titles may repeat or be empty; a
// file that cannot be read still gets its entry, with an empty title.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

inline constexpr std::size_t kTitlePrefixLength = 7;

extern std::vector<std::string> ListTitles;
extern std::vector<std::string> ListFiles;

// The title that a list file with these bytes shows. Pure.
std::string ListTitleOf(std::string_view file);

// The title of list file `fileName`, read only as far as its first line
// goes, in pieces, with the file opened for exclusive use. Empty when the
// file cannot be opened or read.
std::string ReadListTitle(const std::string& fileName);

// Replaces ListTitles and ListFiles from the *.PML files of the current
// directory. The list box side is the window's (LoadMailingLists).
void LoadListCatalogue();

// The lowest index k >= 1 with ListTitles[k] == title, or 0 for none.
std::size_t FindListByTitle(std::string_view title);

// Creates the four tables as the program starts: each with the two entries
// 0 and 1, both empty.
void CreateTables();

}  // namespace engine
