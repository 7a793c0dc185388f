#include "engine/mailing_list.h"

#include <cstring>

#include "engine/address_book.h"
#include "engine/lines.h"
#include "platform/files.h"

namespace engine {

std::vector<std::string> ListTitles;
std::vector<std::string> ListFiles;

namespace {

// Title lines are short; a list file is read this much at a time until its
// first line has ended.
constexpr std::size_t kTitlePiece = 4096;

}  // namespace

std::string ReadListTitle(const std::string& fileName) {
  platform::ExclusiveFile file(fileName);
  if (!file.IsOpen()) return {};
  std::string head;
  char piece[kTitlePiece];
  for (;;) {
    const std::optional<std::size_t> got = file.ReadNext(piece, sizeof piece);
    if (!got) return {};
    head.append(piece, *got);
    // A CR or a Ctrl-Z ends the first line; so does the end of the file.
    if (*got < sizeof piece || std::memchr(piece, '\r', *got) != nullptr ||
        std::memchr(piece, '\x1A', *got) != nullptr) {
      break;
    }
  }
  return ListTitleOf(head);
}

std::string ListTitleOf(std::string_view file) {
  const std::string_view line = FirstLine(file);
  if (line.size() <= kTitlePrefixLength) return {};
  return std::string(line.substr(kTitlePrefixLength));
}

void LoadListCatalogue() {
  // Entry 0 belongs to no list; the lists are numbered from 1.
  std::vector<std::string> titles(1);
  std::vector<std::string> files(1);
  for (std::string& name : platform::ListMatchingFiles("*.PML")) {
    // An unreadable list keeps its entry, with an empty title.
    titles.push_back(ReadListTitle(name));
    files.push_back(std::move(name));
  }
  ListTitles = std::move(titles);
  ListFiles = std::move(files);
}

std::size_t FindListByTitle(std::string_view title) {
  for (std::size_t k = 1; k < ListTitles.size() && k < ListFiles.size(); ++k) {
    if (ListTitles[k] == title) return k;
  }
  return 0;
}

void CreateTables() {
  SetAddressBooks({"", ""}, {"", ""});
  ListTitles = {"", ""};
  ListFiles = {"", ""};
}

}  // namespace engine
