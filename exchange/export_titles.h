// What each target program lets a list's title be, and how a title it
// would refuse is made acceptable: changed as little as it can be, so that
// people still know the list, and told apart from the other lists the way
// the target tells names apart. The target table (export.cpp) names one
// set of these rules for each target.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "exchange/text_store.h"

namespace exchange {

struct TitleRules {
  // `title` as the target accepts it (itself when it does); never empty
  // when `title` has a character the target keeps.
  std::string (*acceptable)(std::string_view title);
  // What the target compares when it looks a name up: two titles with one
  // key are one list there.
  std::string (*key)(std::string_view title);
  // The n-th title wanting `title` (n from 2 on), before it is made
  // acceptable again.
  std::string (*numbered)(std::string_view title, std::size_t n);
};

// Any text: vCard 4, Apple.
extern const TitleRules kAnyTitle;
// Thunderbird refuses a mailing-list name that is empty, holds two blanks
// in a row or any of , ; " < > (and then drops every later list of the
// file): a run of blanks becomes one, < > become ( ), " becomes ', and a
// comma or semicolon becomes " -".
extern const TitleRules kThunderbirdTitle;
// An LDAP directory compares cn without letter case and with runs of
// blanks as one, leading and trailing ones ignored.
extern const TitleRules kLdapTitle;
// Google Contacts reads " ::: " between labels: ":::" becomes ":".
extern const TitleRules kGoogleTitle;
// Outlook reads ";" between categories: it becomes ",".
extern const TitleRules kOutlookTitle;
// A mutt alias key: ASCII letters (lower-cased), digits, ".", "_" and "-",
// every other run of characters one "-"; "-2", "-3" ... tell keys apart.
extern const TitleRules kMuttTitle;

// A mutt alias key from any text ("contact" when nothing is left).
std::string MuttAliasKey(std::string_view text);
// The same into `key`, replacing what it held (its room is kept).
void MuttAliasKeyInto(std::string_view text, std::string& key);

// Letter case folded as directories and address books compare: ASCII, and
// the Latin-1 letters of UTF-8 text.
std::string FoldedKey(std::string_view text);
// The same into `out`, replacing what it held (its room is kept).
void FoldKeyInto(std::string_view text, std::string& out);

// Hands out names no earlier one has, compared by `rules.key`: the first
// `wanted` as the target accepts it, the next rules.numbered(wanted, 2)
// made acceptable, and so on.
class UniqueNames {
 public:
  explicit UniqueNames(const TitleRules& rules = kAnyTitle) : rules_(rules) {}
  std::string Claim(std::string_view wanted);
  // Takes `name` when it is free; false when an earlier one has it.
  bool Take(std::string_view name);
  // "wanted" for n = 1, else "wanted (n)".
  static std::string Numbered(std::string_view wanted, std::size_t n);

 private:
  const TitleRules& rules_;
  TextSet taken_;
};

}  // namespace exchange
