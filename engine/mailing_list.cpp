#include "engine/mailing_list.h"

#include "engine/address_book.h"
#include "engine/lines.h"
#include "platform/files.h"

namespace engine {

std::vector<std::string> ListTitles;
std::vector<std::string> ListFiles;

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
    const std::optional<std::string> bytes = platform::ReadWholeFileExclusive(name);
    titles.push_back(bytes ? ListTitleOf(*bytes) : std::string());
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
