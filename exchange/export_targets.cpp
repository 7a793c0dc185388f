#include "exchange/export_targets.h"

namespace exchange {

namespace {

// clang-format off
constexpr std::string_view kThunderbirdHelp[] = {
    "LDIF for Thunderbird and Evolution, lists as groupOfNames",
};
constexpr std::string_view kThunderbirdTitleHelp[] = {
    "refuses , ; \" < > and two blanks in a row: a run of blanks",
    "becomes one, < > become ( ), \" becomes ', , and ; become",
    "\" - \"",
};
constexpr std::string_view kLdapHelp[] = {
    "LDIF for an LDAP directory under --base DN: ou=contacts",
    "(inetOrgPerson, dn by UID, surname the name's last word or",
    "the part before a comma) and ou=lists (groupOfNames)",
};
constexpr std::string_view kLdapTitleHelp[] = {
    "titles that differ only in letter case or blanks are one",
};
constexpr std::string_view kVCard4Help[] = {
    "vCard 4.0, lists as KIND:group cards with MEMBER",
};
constexpr std::string_view kAppleHelp[] = {
    "vCard 3.0 with Apple Contacts' group cards",
};
constexpr std::string_view kGoogleHelp[] = {
    "CSV for Google Contacts, lists as labels",
};
constexpr std::string_view kOutlookHelp[] = {
    "CSV for Outlook, lists as categories, in the Windows code",
    "page (1250 for --codepage 1250, else 1252)",
};
// Google's labels and Outlook's categories, said once for both.
constexpr std::string_view kSeparatorTitleHelp[] = {
    "the separator of labels (:::) or categories (;) becomes :",
    "or ,",
};
constexpr std::string_view kMuttHelp[] = {
    "a mutt alias file, one alias per contact and per list",
};
constexpr std::string_view kMuttTitleHelp[] = {
    "a list is known by its alias key: letters a-z, digits, . _ -",
    "(\"Team <core>\" is team-core)",
};
// clang-format on

// What each target's lists may be called is said by its title rules
// (export_titles.h), what each record field becomes by its writer's table.
constexpr ExportTarget kTargets[] = {
    {"thunderbird",
     {.titles = &kThunderbirdTitle},
     false,
     false,
     WriteThunderbird,
     kThunderbirdHelp,
     kThunderbirdTitleHelp},
    {"ldap",
     {.uids = true, .titles = &kLdapTitle},
     true,
     true,
     WriteLdap,
     kLdapHelp,
     kLdapTitleHelp},
    {"vcard4", {.makeContacts = false, .uids = true}, false, false, WriteVCard4, kVCard4Help},
    {"apple", {.uids = true}, false, false, WriteApple, kAppleHelp},
    {"google",
     {.titles = &kGoogleTitle},
     true,
     false,
     WriteGoogle,
     kGoogleHelp,
     kSeparatorTitleHelp},
    {"outlook",
     {.titles = &kOutlookTitle},
     true,
     false,
     WriteOutlook,
     kOutlookHelp,
     kSeparatorTitleHelp},
    {"mutt", {.titles = &kMuttTitle}, true, false, WriteMutt, kMuttHelp, kMuttTitleHelp},
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

}  // namespace exchange
