#include "engine/mailing_list.h"

namespace engine {

std::string ListTitleOf(std::string_view file) {
  const std::string_view line = FirstLine(file);
  if (line.size() <= kTitlePrefixLength) return {};
  return std::string(line.substr(kTitlePrefixLength));
}

std::optional<std::size_t> FindListByTitle(std::span<const MailingList> lists,
                                           std::string_view title) {
  for (std::size_t k = 0; k < lists.size(); ++k) {
    if (lists[k].title == title) return k;
  }
  return std::nullopt;
}

}  // namespace engine
