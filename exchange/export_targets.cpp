#include "exchange/export_targets.h"

namespace exchange {

namespace {

// What each target's lists may be called is said by its title rules
// (export_titles.h), what each record field becomes by its writer's table.
constexpr ExportTarget kTargets[] = {
    {"thunderbird", {.titles = &kThunderbirdTitle}, false, false, WriteThunderbird},
    {"ldap", {.uids = true, .titles = &kLdapTitle}, true, true, WriteLdap},
    {"vcard4", {.makeContacts = false, .uids = true}, false, false, WriteVCard4},
    {"apple", {.uids = true}, false, false, WriteApple},
    {"google", {.titles = &kGoogleTitle}, true, false, WriteGoogle},
    {"outlook", {.titles = &kOutlookTitle}, true, false, WriteOutlook},
    {"mutt", {.titles = &kMuttTitle}, true, false, WriteMutt},
};

}  // namespace

std::span<const ExportTarget> ExportTargets() {
  return kTargets;
}

const ExportTarget* FindExportTarget(std::string_view name) {
  for (const ExportTarget& target : kTargets) {
    if (target.name == name) return &target;
  }
  return nullptr;
}

std::string ExportTargetNames() {
  std::string names;
  const std::span<const ExportTarget> targets = kTargets;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    if (i > 0) names += i + 1 == targets.size() ? " or " : ", ";
    names += targets[i].name;
  }
  return names;
}

}  // namespace exchange
