#include "engine/mail_folder.h"

#include "engine/address_book.h"
#include "platform/files.h"

namespace engine {

bool OpenMailFolder(const std::string& folder, void (*loadLists)()) {
  // Showing the tables of whatever folder happens to be current, under the
  // name of one that could not be entered, would mislead: stop here.
  if (!platform::MakeFolderCurrent(folder)) return false;
  LoadAddressBooksOfCurrentFolder();
  if (loadLists != nullptr) loadLists();
  return true;
}

}  // namespace engine
