// import --from vcard and --from apple: vCard 2.1, 3.0 and 4.0 (RFC 2426,
// RFC 6350) as address books, phones, KDE (KContacts), python3-vobject and
// Apple's Contacts write them. A group is a card of KIND:group (4.0) with
// MEMBER lines, or Apple's X-ADDRESSBOOKSERVER-KIND:group with
// X-ADDRESSBOOKSERVER-MEMBER lines; a member is another card's UID
// (urn:uuid:... or the UID itself) or a mailto: address. The CATEGORIES of
// a card are groups too (Nextcloud and phones keep groups there), except
// Google's own "myContacts" and "starred".
//
// Values: unfolded, quoted-printable and base64 undone where ENCODING says
// so, in the CHARSET given (else UTF-8, else the ANSI code page), and the
// text escapes undone (\n and \N are a line break, written CR LF).
#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/ascii.h"
#include "exchange/address_syntax.h"
#include "exchange/import_readers.h"
#include "exchange/import_text.h"

namespace exchange {

namespace {

using importtext::Fault;
using importtext::SameWord;
using importtext::Trim;

struct Property {
  std::string name;                                        // upper case, without its group
  std::map<std::string, std::vector<std::string>> params;  // names upper case
  std::string value;                                       // decoded, still escaped
  std::size_t line = 0;

  bool Has(std::string_view param, std::string_view word) const {
    const auto it = params.find(std::string(param));
    if (it == params.end()) return false;
    return std::any_of(it->second.begin(), it->second.end(),
                       [&](const std::string& v) { return SameWord(v, word); });
  }
  // How much the card prefers this one: PREF=n (4.0), TYPE=PREF or a bare
  // PREF (2.1, 3.0) as 1; none as 101.
  int Rank() const {
    if (const auto it = params.find("PREF"); it != params.end() && !it->second.empty()) {
      const std::string_view n = Trim(it->second.front());
      int rank = 0;
      for (const char c : n) {
        if (c < '0' || c > '9' || rank > 1000) return 1;
        rank = rank * 10 + (c - '0');
      }
      return n.empty() ? 1 : rank;
    }
    return Has("TYPE", "PREF") ? 1 : 101;
  }
};

struct Card {
  std::size_t line = 0;
  std::vector<Property> properties;

  const Property* First(std::string_view name) const {
    for (const Property& p : properties) {
      if (p.name == name) return &p;
    }
    return nullptr;
  }
};

int Hex(char c) {
  return (c >= '0' && c <= '9')   ? c - '0'
         : (c >= 'a' && c <= 'f') ? c - 'a' + 10
         : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                  : -1;
}

std::string QuotedPrintable(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && i + 2 < text.size() && Hex(text[i + 1]) >= 0 && Hex(text[i + 2]) >= 0) {
      out += static_cast<char>(Hex(text[i + 1]) * 16 + Hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Splits at `separator` outside double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == separator && !quoted) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string Unquoted(std::string_view text) {
  text = Trim(text);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    text = text.substr(1, text.size() - 2);
  }
  return std::string(text);
}

// One content line: [group.]NAME *(;PARAM) : VALUE.
std::optional<Property> ParseLine(std::string_view line, std::size_t number, unsigned ansi) {
  bool quoted = false;
  std::size_t colon = std::string_view::npos;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) {
      colon = i;
      break;
    }
  }
  if (colon == std::string_view::npos) return std::nullopt;
  Property p;
  p.line = number;
  const std::vector<std::string_view> head = SplitOutsideQuotes(line.substr(0, colon), ';');
  std::string_view name = Trim(head[0]);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
    name.remove_prefix(dot + 1);
  }
  p.name = base::AsciiUpper(name);
  for (std::size_t i = 1; i < head.size(); ++i) {
    const std::string_view param = head[i];
    const std::size_t eq = param.find('=');
    // vCard 2.1 writes bare types (TEL;WORK;FAX) and bare encodings.
    std::string key = base::AsciiUpper(Trim(param.substr(0, eq)));
    std::string_view values = eq == std::string_view::npos ? param : param.substr(eq + 1);
    if (eq == std::string_view::npos) {
      if (key == "QUOTED-PRINTABLE" || key == "BASE64" || key == "8BIT" || key == "7BIT") {
        key = "ENCODING";
      } else {
        key = "TYPE";
      }
    }
    std::vector<std::string>& list = p.params[key];
    for (const std::string_view v : SplitOutsideQuotes(values, ',')) {
      std::string value = Unquoted(v);
      // A list of types may also come quoted whole, as RFC 6350's own
      // examples and KDE write it (TEL;TYPE="fax,work"): its words count
      // one by one.
      if (key == "TYPE" && value.find(',') != std::string::npos) {
        for (const std::string_view word : SplitOutsideQuotes(value, ',')) {
          list.emplace_back(Trim(word));
        }
      } else {
        list.push_back(std::move(value));
      }
    }
  }
  std::string value(line.substr(colon + 1));
  std::string bytes;
  if (p.Has("ENCODING", "QUOTED-PRINTABLE") || p.Has("ENCODING", "QP")) {
    bytes = QuotedPrintable(value);
  } else if (p.Has("ENCODING", "B") || p.Has("ENCODING", "BASE64")) {
    bytes = importtext::Base64(value).value_or(std::string());
  } else {
    bytes = std::move(value);
  }
  std::optional<std::string> text;
  if (const auto it = p.params.find("CHARSET"); it != p.params.end() && !it->second.empty()) {
    text = importtext::FromCharset(bytes, it->second.front());
  }
  p.value = importtext::WithoutNuls(text ? std::move(*text) : importtext::AsUtf8(bytes, ansi));
  return p;
}

// A text value with its escapes undone, cut at unescaped `separator`
// (';' for compound values, ',' for lists, 0 for neither).
std::vector<std::string> Unescaped(std::string_view value, char separator) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\\' && i + 1 < value.size()) {
      const char next = value[++i];
      if (next == 'n' || next == 'N') {
        parts.back() += "\r\n";
      } else if (next == '\\' || next == ',' || next == ';' || next == ':') {
        parts.back() += next;
      } else {
        parts.back() += c;
        parts.back() += next;
      }
    } else if (separator != 0 && c == separator) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

std::string Text(const Property* p) {
  return p ? Unescaped(p->value, 0).front() : std::string();
}

std::string Component(const std::vector<std::string>& parts, std::size_t i) {
  return i < parts.size() ? parts[i] : std::string();
}

// The property of `name` the card prefers, among those `fits` takes.
template <typename Fits>
const Property* Preferred(const Card& card, std::string_view name, Fits fits) {
  const Property* best = nullptr;
  for (const Property& p : card.properties) {
    if (p.name != name || !fits(p) || Trim(Text(&p)).empty()) continue;
    if (!best || p.Rank() < best->Rank()) best = &p;
  }
  return best;
}

std::string UidKey(std::string_view uid) {
  uid = Trim(uid);
  if (uid.size() >= 9 && SameWord(uid.substr(0, 9), "urn:uuid:")) uid.remove_prefix(9);
  std::string key(uid);
  for (char& c : key) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return key;
}

bool IsGroupCard(const Card& card) {
  for (const Property& p : card.properties) {
    if ((p.name == "KIND" || p.name == "X-ADDRESSBOOKSERVER-KIND") &&
        SameWord(Trim(Text(&p)), "group")) {
      return true;
    }
  }
  return false;
}

engine::BookRecord ContactOf(const Card& card) {
  engine::BookRecord f;
  const auto any = [](const Property&) { return true; };
  const Property* email = Preferred(card, "EMAIL", any);
  f.address = std::string(Trim(Text(email)));
  const std::vector<std::string> n =
      card.First("N") ? Unescaped(card.First("N")->value, ';') : std::vector<std::string>{};
  const std::string fromN = importtext::JoinParts(
      {Component(n, 3), Component(n, 1), Component(n, 2), Component(n, 0), Component(n, 4)}, " ");
  f.name = std::string(Trim(Text(card.First("FN"))));
  if (f.name.empty()) f.name = fromN;
  // A card known only by its address (FN is required) is a record without
  // a name, as the export writes it.
  if (fromN.empty() && !f.address.empty() && SameWord(f.name, f.address)) f.name.clear();
  if (const Property* org = card.First("ORG")) {
    const std::vector<std::string> parts = Unescaped(org->value, ';');
    std::string company;
    for (const std::string& part : parts) {
      if (Trim(part).empty()) continue;
      if (!company.empty()) company += ", ";
      company += Trim(part);
    }
    f.company = company;
  }
  if (const Property* nickname = card.First("NICKNAME")) {
    f.key = std::string(Trim(Unescaped(nickname->value, ',').front()));
  }
  const auto number = [](const Property* p) {
    std::string text(Trim(Text(p)));
    if (text.size() >= 4 && SameWord(std::string_view(text).substr(0, 4), "tel:")) {
      text.erase(0, 4);
    }
    return text;
  };
  f.fax = number(Preferred(card, "TEL", [](const Property& p) { return p.Has("TYPE", "FAX"); }));
  f.phone = number(Preferred(card, "TEL", [](const Property& p) { return !p.Has("TYPE", "FAX"); }));
  for (const Property& p : card.properties) {
    if (p.name == "NOTE" && !Text(&p).empty()) {
      if (!f.notes.empty()) f.notes += "\r\n";
      f.notes += Text(&p);
    }
  }
  // An address goes to the street or the postal field as its type says
  // (PARCEL and WORK the street, POSTAL and HOME the postal one), else to
  // whichever is free.
  for (const Property& p : card.properties) {
    if (p.name != "ADR") continue;
    const std::vector<std::string> parts = Unescaped(p.value, ';');
    std::string text;
    for (const std::string& part : parts) {
      if (Trim(part).empty()) continue;
      if (!text.empty()) text += ", ";
      text += Trim(part);
    }
    if (text.empty()) continue;
    const bool postal =
        !p.Has("TYPE", "PARCEL") &&
        (p.Has("TYPE", "POSTAL") || (!p.Has("TYPE", "WORK") && p.Has("TYPE", "HOME")));
    std::string* preferred = postal ? &f.postal : &f.street;
    std::string* other = postal ? &f.street : &f.postal;
    if (preferred->empty()) {
      *preferred = std::move(text);
    } else if (other->empty()) {
      *other = std::move(text);
    }
  }
  return f;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && Hex(text[i + 1]) >= 0 && Hex(text[i + 2]) >= 0) {
      out += static_cast<char>(Hex(text[i + 1]) * 16 + Hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool IsGoogleSystemCategory(std::string_view name) {
  return SameWord(name, "myContacts") || SameWord(name, "starred");
}

}  // namespace

ImportRead ReadVCards(std::string_view bytes, unsigned ansiCodePage) {
  const std::string text = importtext::FileText(bytes);
  if (auto fault = importtext::NulFault(text)) return Fault(fault->line, fault->what);

  // Content lines, unfolded: a line that begins with a blank or a TAB goes
  // on the one before; in quoted-printable, so does the line after a line
  // ending in "=" (a soft line break).
  struct Unfolded {
    std::string text;
    std::size_t line;
    bool quotedPrintable;
  };
  std::vector<Unfolded> lines;
  importtext::Lines physical(text);
  std::string_view line;
  while (physical.Next(line)) {
    if (!lines.empty() && !line.empty() && (line.front() == ' ' || line.front() == '\t')) {
      lines.back().text += line.substr(1);
      continue;
    }
    if (!lines.empty() && lines.back().quotedPrintable && !lines.back().text.empty() &&
        lines.back().text.back() == '=') {
      lines.back().text.pop_back();
      lines.back().text += line;
      continue;
    }
    const std::string head = base::AsciiUpper(line.substr(0, line.find(':')));
    lines.push_back(
        {std::string(line), physical.number(), head.find("QUOTED-PRINTABLE") != std::string::npos});
  }

  std::vector<Card> cards;
  std::size_t depth = 0;  // cards inside cards (2.1's AGENT) are skipped
  for (const Unfolded& u : lines) {
    if (Trim(u.text).empty()) continue;
    const std::string upper = base::AsciiUpper(Trim(u.text));
    if (upper == "BEGIN:VCARD") {
      if (depth++ == 0) cards.push_back({u.line, {}});
      continue;
    }
    if (upper == "END:VCARD") {
      if (depth == 0) return Fault(u.line, "END:VCARD without its BEGIN:VCARD");
      --depth;
      continue;
    }
    if (depth == 0) return Fault(u.line, "a line outside BEGIN:VCARD ... END:VCARD");
    if (depth > 1) continue;
    std::optional<Property> p = ParseLine(u.text, u.line, ansiCodePage);
    if (!p) return Fault(u.line, "not a vCard line (NAME:VALUE)");
    cards.back().properties.push_back(std::move(*p));
  }
  if (depth > 0) {
    return Fault(cards.empty() ? 0 : cards.back().line,
                 "the vCard that begins here has no END:VCARD");
  }

  ImportRead read;
  ImportedFile& file = read.file;
  using Target = std::pair<ImportedMember::Kind, std::size_t>;
  std::unordered_map<std::string, Target> byUid;
  std::vector<const Card*> groupCards;
  std::vector<std::pair<std::size_t, std::vector<std::string>>> categories;  // contact, names
  for (const Card& card : cards) {
    const std::string uid = UidKey(Text(card.First("UID")));
    if (IsGroupCard(card)) {
      ImportedGroup group;
      group.name = std::string(Trim(Text(card.First("FN"))));
      if (group.name.empty() && card.First("N")) {
        group.name = std::string(Trim(Unescaped(card.First("N")->value, ';').front()));
      }
      group.line = card.line;
      if (!uid.empty())
        byUid.emplace(uid, Target{ImportedMember::Kind::kGroup, file.groups.size()});
      file.groups.push_back(std::move(group));
      groupCards.push_back(&card);
      continue;
    }
    if (!uid.empty()) {
      byUid.emplace(uid, Target{ImportedMember::Kind::kContact, file.contacts.size()});
    }
    std::vector<std::string> names;
    for (const Property& p : card.properties) {
      if (p.name != "CATEGORIES") continue;
      for (const std::string& name : Unescaped(p.value, ',')) {
        const std::string_view trimmed = Trim(name);
        if (!trimmed.empty() && !IsGoogleSystemCategory(trimmed)) names.emplace_back(trimmed);
      }
    }
    if (!names.empty()) categories.emplace_back(file.contacts.size(), std::move(names));
    file.contacts.push_back({ContactOf(card), card.line});
  }
  for (std::size_t g = 0; g < groupCards.size(); ++g) {
    ImportedGroup& group = file.groups[g];
    for (const Property& p : groupCards[g]->properties) {
      if (p.name != "MEMBER" && p.name != "X-ADDRESSBOOKSERVER-MEMBER") continue;
      const std::string value(Trim(Text(&p)));
      if (value.empty()) continue;
      if (value.size() > 7 && SameWord(std::string_view(value).substr(0, 7), "mailto:")) {
        std::string address =
            importtext::WithoutNuls(PercentDecoded(std::string_view(value).substr(7)));
        address = std::string(Trim(address.substr(0, address.find('?'))));
        if (address.empty()) continue;
        ImportedMember member;
        member.address = importtext::AsUtf8(address, ansiCodePage);
        group.members.push_back(std::move(member));
        continue;
      }
      if (const auto it = byUid.find(UidKey(value)); it != byUid.end()) {
        const auto [kind, index] = it->second;
        if (kind == ImportedMember::Kind::kGroup && index == g) continue;
        ImportedMember member;
        member.kind = kind;
        member.index = index;
        group.members.push_back(member);
      } else if (LooksLikeAddress(value)) {
        ImportedMember member;
        member.address = value;
        group.members.push_back(std::move(member));
      } else {
        ++group.unresolved;
      }
    }
  }
  // Categories: a group each, in the order they first appear, named as
  // first written (later spellings in other letter case are the same).
  std::unordered_map<std::string, std::size_t> byCategory;
  for (const auto& [contact, names] : categories) {
    for (const std::string& name : names) {
      const auto [it, added] = byCategory.emplace(base::AsciiUpper(name), file.groups.size());
      if (added) {
        ImportedGroup group;
        group.name = name;
        group.line = file.contacts[contact].line;
        file.groups.push_back(std::move(group));
      }
      std::vector<ImportedMember>& members = file.groups[it->second].members;
      if (!members.empty() && members.back().kind == ImportedMember::Kind::kContact &&
          members.back().index == contact) {
        continue;  // the same category twice on one card
      }
      ImportedMember member;
      member.kind = ImportedMember::Kind::kContact;
      member.index = contact;
      members.push_back(member);
    }
  }
  return read;
}

}  // namespace exchange
