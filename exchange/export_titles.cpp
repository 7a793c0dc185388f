#include "exchange/export_titles.h"

#include "base/ascii.h"

namespace exchange {

namespace {

std::string AsItIs(std::string_view title) {
  return std::string(title);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// `text` with every `from` replaced by `to`, left to right; what a
// replacement wrote is not looked at again.
std::string Replaced(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    if (text.substr(at, from.size()) == from) {
      out += to;
      at += from.size();
    } else {
      out += text[at++];
    }
  }
  return out;
}

std::string ThunderbirdName(std::string_view title) {
  std::string name;
  for (std::size_t i = 0; i < title.size(); ++i) {
    switch (const char c = title[i]) {
      case '<':
        name += '(';
        break;
      case '>':
        name += ')';
        break;
      case '"':
        name += '\'';
        break;
      case ',':
      case ';':
        // "a, b" and "a,b" both become "a - b".
        name += " -";
        if (i + 1 < title.size() && !IsBlank(title[i + 1])) name += ' ';
        break;
      default:
        name += c;
    }
  }
  // Two blanks in a row are refused, a TAB beside a blank too.
  std::string single;
  for (const char c : name) {
    if (IsBlank(c) && !single.empty() && IsBlank(single.back())) continue;
    single += c;
  }
  return single;
}

std::string GoogleLabel(std::string_view title) {
  return Replaced(title, ":::", ":");
}

std::string OutlookCategory(std::string_view title) {
  return Replaced(title, ";", ",");
}

// cn as LDAP's caseIgnoreMatch compares it: blanks at the ends ignored,
// runs of blanks as one, letter case folded.
std::string LdapKey(std::string_view title) {
  std::string collapsed;
  for (const char c : base::TrimBlanks(title)) {
    const char blank = IsBlank(c) ? ' ' : c;
    if (blank == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
    collapsed += blank;
  }
  return FoldedKey(collapsed);
}

std::string MuttNumbered(std::string_view title, std::size_t n) {
  return MuttAliasKey(title) + "-" + std::to_string(n);
}

}  // namespace

const TitleRules kAnyTitle = {AsItIs, FoldedKey, UniqueNames::Numbered};
const TitleRules kThunderbirdTitle = {ThunderbirdName, FoldedKey, UniqueNames::Numbered};
const TitleRules kLdapTitle = {AsItIs, LdapKey, UniqueNames::Numbered};
const TitleRules kGoogleTitle = {GoogleLabel, FoldedKey, UniqueNames::Numbered};
const TitleRules kOutlookTitle = {OutlookCategory, FoldedKey, UniqueNames::Numbered};
const TitleRules kMuttTitle = {MuttAliasKey, FoldedKey, MuttNumbered};

std::string MuttAliasKey(std::string_view text) {
  std::string key;
  MuttAliasKeyInto(text, key);
  return key;
}

void MuttAliasKeyInto(std::string_view text, std::string& key) {
  key.clear();
  for (const char c : text) {
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    const bool fits = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') ||
                      lower == '.' || lower == '_' || lower == '-';
    if (fits) {
      key += lower;
    } else if (!key.empty() && key.back() != '-') {
      key += '-';
    }
  }
  while (!key.empty() && key.back() == '-') key.pop_back();
  if (key.empty()) key = "contact";
}

std::string FoldedKey(std::string_view text) {
  std::string folded;
  FoldKeyInto(text, folded);
  return folded;
}

void FoldKeyInto(std::string_view text, std::string& folded) {
  if (!base::AssignAsciiUpper(text, folded)) return;  // ASCII: a-z was all
  // U+00E0 to U+00FE (C3 A0 to C3 BE) fold to U+00C0 to U+00DE, but for
  // the division sign U+00F7.
  for (std::size_t i = 0; i + 1 < folded.size(); ++i) {
    const unsigned char second = static_cast<unsigned char>(folded[i + 1]);
    if (static_cast<unsigned char>(folded[i]) == 0xC3 && second >= 0xA0 && second <= 0xBE &&
        second != 0xB7) {
      folded[i + 1] = static_cast<char>(second - 0x20);
      ++i;
    }
  }
}

std::string UniqueNames::Numbered(std::string_view wanted, std::size_t n) {
  std::string name(wanted);
  if (n > 1) name += " (" + std::to_string(n) + ")";
  return name;
}

bool UniqueNames::Take(std::string_view name) {
  return taken_.Insert(rules_.key(name));
}

std::string UniqueNames::Claim(std::string_view wanted) {
  std::string name = rules_.acceptable(wanted);
  for (std::size_t n = 2; !Take(name); ++n) name = rules_.acceptable(rules_.numbered(wanted, n));
  return name;
}

}  // namespace exchange
