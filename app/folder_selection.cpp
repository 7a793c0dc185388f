// Folder selection.
#include "app/folder_selection.h"

#include <string>
#include <string_view>

#include "app/mailing_lists.h"
#include "app/main_window.h"

// Also called from other programs that loaded QUILLMER.EXE without running
// its start-up: it touches no process-wide value of this program.
extern "C" platform::StringHandle QUILLMER_STDCALL
GETDISKDIR(const std::uint32_t* owner, const platform::StringHandle* title,
           const platform::StringHandle* startFolder) {
  const std::uint32_t ownerWindow = owner != nullptr ? *owner : 0;
  const std::string_view titleText =
      title != nullptr ? platform::StringHandleBytes(*title) : std::string_view();
  const std::string_view startText =
      startFolder != nullptr ? platform::StringHandleBytes(*startFolder) : std::string_view();
  return platform::NewStringHandle(platform::PickFolder(ownerWindow, titleText, startText));
}

namespace app {

const char kBrowseTitle[] = "Select the Pegasus Mail folder to search";

std::int32_t BrowseFolder(MainWindowState& state, platform::Window window, unsigned, std::uintptr_t,
                          std::intptr_t) {
  // CurrentFolder always ends with a backslash; the picker wants the folder
  // without it.
  const std::string& current = state.CurrentFolder;
  const std::string start = current.empty() ? std::string() : current.substr(0, current.size() - 1);
  const std::uint32_t noOwner = 0;
  const platform::OwnedStringHandle title{std::string_view(kBrowseTitle)};
  const platform::OwnedStringHandle startHandle{std::string_view(start)};
  const platform::OwnedStringHandle result{
      GETDISKDIR(&noOwner, title.Address(), startHandle.Address())};
  const std::string chosen(result.Bytes());

  // Cancel, or an item that is no folder on disk: keep the folder we have.
  if (chosen.empty()) return 0;
  // The picker ran a modal loop of its own, in which "&Browse" may have
  // been pressed again and another folder made current; this choice, the
  // later one to finish, replaces it. A folder that cannot be made current
  // must not be shown over the previous folder's lists: then nothing
  // changes.
  if (!OpenFolderInWindow(state, chosen)) return 0;

  // A drive root (D:\) comes back with its backslash already.
  state.CurrentFolder = chosen.back() == '\\' ? chosen : chosen + '\\';
  platform::SetControlText(window, kFolderTextId, state.CurrentFolder);
  return 0;
}

}  // namespace app
