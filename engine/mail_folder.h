// The one way into a mail folder, for the window's start-up, its "&Browse"
// button and the command line alike.
#pragma once

#include <string>

namespace engine {

// Makes `folder` the process's current directory, once, and then loads
// from it, in this order: its address books (BookNames, BookAddresses) and
// its mailing lists, through `loadLists` (the window's LoadMailingLists or
// the bare catalogue). A folder that cannot be made current changes
// nothing, neither the current directory nor a table: false.
bool OpenMailFolder(const std::string& folder, void (*loadLists)());

}  // namespace engine
