#include "engine/folder_contents.h"

#include <utility>

namespace engine {

MailFolder::MailFolder(std::string path, std::vector<std::string> bookFiles, StringTable names,
                       StringTable addresses, std::vector<MailingList> lists,
                       std::vector<UnreadableFile> unreadable,
                       std::vector<std::uint32_t> nameHashes, base::NameForm nameForm)
    : path_(std::move(path)),
      bookFiles_(std::move(bookFiles)),
      names_(std::move(names)),
      addresses_(std::move(addresses)),
      index_(names_, nameHashes),
      lists_(std::move(lists)),
      unreadable_(std::move(unreadable)),
      nameForm_(nameForm) {}

}  // namespace engine
