#include "engine/list_check.h"

#include <string>
#include <unordered_map>

#include "engine/address_syntax.h"
#include "engine/entry_reach.h"
#include "engine/mailing_list.h"

namespace engine {

std::string_view FindingKindName(FindingKind kind) {
  switch (kind) {
    case FindingKind::kUnknown:
      return "unknown";
    case FindingKind::kNoAddress:
      return "no-address";
    case FindingKind::kAmbiguous:
      return "ambiguous";
    case FindingKind::kDuplicate:
      return "duplicate";
    case FindingKind::kNotAnAddress:
      return "not-an-address";
    case FindingKind::kUnreadable:
      break;
  }
  return "unreadable";
}

std::unordered_set<std::string_view> AmbiguousNames(const MailFolder& folder) {
  const StringTable& names = folder.BookNames();
  const StringTable& addresses = folder.BookAddresses();
  std::unordered_map<std::string_view, std::size_t> first;
  std::unordered_set<std::string_view> ambiguous;
  for (std::size_t k = 0; k < names.size(); ++k) {
    const auto [seen, added] = first.emplace(names[k], k);
    if (!added && CaseFolded(addresses[seen->second]) != CaseFolded(addresses[k])) {
      ambiguous.insert(names[k]);
    }
  }
  return ambiguous;
}

std::vector<EntryFinding> CheckList(const MailFolder& folder,
                                    const std::unordered_set<std::string_view>& ambiguous,
                                    std::string_view listBytes) {
  std::vector<EntryFinding> findings;
  std::unordered_set<std::string> reached;  // this list's addresses, CaseFolded
  ForEachListEntry(listBytes, [&](std::size_t number, std::string_view entry) {
    const auto report = [&](FindingKind kind) { findings.push_back({number, entry, kind}); };
    const Reach reach = ReachOf(folder, entry);
    if (!reach.record && reach.address.empty()) {
      // An entry holding "@" that reduces to nothing is no address either.
      report(entry.find('@') == std::string_view::npos ? FindingKind::kUnknown
                                                       : FindingKind::kNotAnAddress);
      return;
    }
    if (reach.record && reach.address.empty()) report(FindingKind::kNoAddress);
    if (reach.record && ambiguous.count(folder.BookNames()[*reach.record]) != 0) {
      report(FindingKind::kAmbiguous);
    }
    if (reach.address.empty()) return;
    if (!reached.insert(CaseFolded(reach.address)).second) report(FindingKind::kDuplicate);
    if (!LooksLikeAddress(reach.address)) report(FindingKind::kNotAnAddress);
  });
  return findings;
}

}  // namespace engine
