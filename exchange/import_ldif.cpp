// import --from thunderbird and --from ldap: LDIF (RFC 2849), as
// Thunderbird's address book writes it (AddrBookUtils.exportCardsToLDIF:
// a person per card, a groupOfNames per mailing list whose members are the
// cards' dns) and as a directory's entries are dumped (inetOrgPerson,
// groupOfNames or groupOfUniqueNames, nested groups).
//
// Thunderbird writes dns unescaped ("cn=Smith, Jo,mail=jo@example.org"),
// the same text for the card and for the list's member, so a member is
// looked up by its text first and only then by its dn read as RFC 4514
// says (attribute types and values without letter case, escapes undone).
// A member found nowhere is an address when its dn says one (mail=...);
// otherwise it is counted as unresolved.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/ascii.h"
#include "exchange/export_titles.h"
#include "exchange/import_readers.h"
#include "exchange/import_text.h"

namespace exchange {

namespace {

using importtext::Fault;
using importtext::SameWord;
using importtext::Trim;

struct Attribute {
  std::string name;  // lower case, without options (cn;lang-de is cn)
  std::string value;
  std::size_t line;
};

struct Entry {
  std::string dn;
  std::size_t line = 0;
  std::vector<Attribute> attributes;

  // The first value of any of `names`, in the order of `names`.
  std::string First(std::initializer_list<std::string_view> names) const {
    for (const std::string_view name : names) {
      for (const Attribute& a : attributes) {
        if (a.name == name && !Trim(a.value).empty()) return a.value;
      }
    }
    return {};
  }
  bool HasClass(std::initializer_list<std::string_view> classes) const {
    for (const Attribute& a : attributes) {
      if (a.name != "objectclass") continue;
      for (const std::string_view c : classes) {
        if (SameWord(Trim(a.value), c)) return true;
      }
    }
    return false;
  }
  bool HasAnyClass() const {
    return std::any_of(attributes.begin(), attributes.end(),
                       [](const Attribute& a) { return a.name == "objectclass"; });
  }
};

// A logical line (folded lines joined) and the line it starts on.
struct LogicalLine {
  std::string text;
  std::size_t line;
};

struct Parsed {
  std::vector<Entry> entries;
  std::optional<InputFault> fault;
};

// One "name: value", "name:: base64" or "name:< url" line into `entry`.
std::optional<InputFault> AddAttribute(const LogicalLine& logical, unsigned ansi, Entry& entry) {
  const std::string_view text = logical.text;
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0) {
    return InputFault{logical.line, "not an LDIF line (NAME: VALUE)"};
  }
  std::string name = base::AsciiUpper(Trim(text.substr(0, colon)));
  for (char& c : name) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  if (const std::size_t option = name.find(';'); option != std::string::npos) name.resize(option);
  std::string_view rest = text.substr(colon + 1);
  std::string value;
  if (!rest.empty() && rest.front() == ':') {
    const std::optional<std::string> bytes = importtext::Base64(rest.substr(1));
    if (!bytes) return InputFault{logical.line, "the value after \"" + name + "::\" is not base64"};
    value = importtext::AsUtf8(*bytes, ansi);
  } else if (!rest.empty() && rest.front() == '<') {
    return std::nullopt;  // a value in another file (a photo): not read
  } else {
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    value = importtext::AsUtf8(rest, ansi);
  }
  value = importtext::WithoutNuls(std::move(value));
  if (entry.attributes.empty() && entry.dn.empty()) {
    if (name != "dn") return InputFault{logical.line, "an entry must begin with a dn: line"};
    entry.dn = std::move(value);
    entry.line = logical.line;
    entry.attributes.push_back({"dn", entry.dn, logical.line});
    return std::nullopt;
  }
  if (name == "changetype") {
    const std::string_view kind = Trim(value);
    if (!SameWord(kind, "add")) {
      return InputFault{logical.line, "a change record (changetype: " + std::string(kind) +
                                          "), not an entry to import"};
    }
    return std::nullopt;
  }
  if (name == "control" && entry.attributes.size() == 1) return std::nullopt;
  entry.attributes.push_back({std::move(name), std::move(value), logical.line});
  return std::nullopt;
}

Parsed ParseLdif(std::string_view text, unsigned ansi) {
  Parsed parsed;
  importtext::Lines lines(text);
  std::vector<LogicalLine> record;
  bool inComment = false;
  bool first = true;
  const auto endRecord = [&]() -> bool {
    if (record.empty()) return true;
    std::size_t from = 0;
    // "version: 1" before the first entry, on a line of its own.
    if (first && record.size() >= 1) {
      const std::string_view head = record[0].text;
      if (head.size() >= 8 && SameWord(head.substr(0, 8), "version:")) from = 1;
    }
    first = false;
    Entry entry;
    for (std::size_t i = from; i < record.size(); ++i) {
      if (auto fault = AddAttribute(record[i], ansi, entry)) {
        parsed.fault = std::move(fault);
        return false;
      }
    }
    record.clear();
    if (!entry.dn.empty() || !entry.attributes.empty()) parsed.entries.push_back(std::move(entry));
    return true;
  };
  std::string_view line;
  while (lines.Next(line)) {
    if (!line.empty() && line.front() == ' ') {
      if (inComment) continue;
      if (record.empty()) {
        if (Trim(line).empty()) continue;  // blanks only, between entries
        parsed.fault = InputFault{lines.number(), "a continued line with no line before it"};
        return parsed;
      }
      record.back().text += line.substr(1);
      continue;
    }
    inComment = false;
    if (line.empty()) {
      if (!endRecord()) return parsed;
      continue;
    }
    if (line.front() == '#') {
      inComment = true;
      continue;
    }
    if (line == "-") continue;  // ends a change of a modify record
    record.push_back({std::string(line), lines.number()});
  }
  endRecord();
  return parsed;
}

// ------------------------------------------------------------- dns

struct Ava {
  std::string type;  // lower case
  std::string value;
};

// A dn read as RFC 4514 says; false when it is not one (Thunderbird's
// unescaped commas, for one).
bool ParseDn(std::string_view dn, std::vector<std::vector<Ava>>& rdns) {
  rdns.clear();
  std::size_t i = 0;
  const std::size_t n = dn.size();
  if (Trim(dn).empty()) return true;
  std::vector<Ava> rdn;
  while (true) {
    while (i < n && dn[i] == ' ') ++i;
    const std::size_t eq = dn.find('=', i);
    if (eq == std::string_view::npos) return false;
    std::string type(Trim(dn.substr(i, eq - i)));
    if (type.empty()) return false;
    for (char& c : type) {
      const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '.';
      if (!fits) return false;
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    i = eq + 1;
    while (i < n && dn[i] == ' ') ++i;
    std::string value;
    std::size_t keptSpaces = 0;  // trailing spaces that came escaped
    if (i < n && dn[i] == '"') {
      ++i;
      while (i < n && dn[i] != '"') {
        if (dn[i] == '\\' && i + 1 < n) ++i;
        value += dn[i++];
      }
      if (i >= n) return false;
      ++i;
      while (i < n && dn[i] == ' ') ++i;
      keptSpaces = value.size();
    } else {
      while (i < n && dn[i] != ',' && dn[i] != '+' && dn[i] != ';') {
        if (dn[i] == '\\') {
          if (i + 1 >= n) return false;
          const auto hex = [](char c) {
            return (c >= '0' && c <= '9')   ? c - '0'
                   : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                   : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                            : -1;
          };
          if (i + 2 < n && hex(dn[i + 1]) >= 0 && hex(dn[i + 2]) >= 0) {
            value += static_cast<char>(hex(dn[i + 1]) * 16 + hex(dn[i + 2]));
            i += 3;
          } else {
            value += dn[i + 1];
            i += 2;
          }
          keptSpaces = value.size();
          continue;
        }
        if (dn[i] == '=' || dn[i] == '"') return false;
        value += dn[i++];
      }
      while (value.size() > keptSpaces && value.back() == ' ') value.pop_back();
    }
    rdn.push_back({std::move(type), std::move(value)});
    if (i >= n) break;
    const char separator = dn[i++];
    if (separator != '+') {
      rdns.push_back(std::move(rdn));
      rdn.clear();
    }
  }
  rdns.push_back(std::move(rdn));
  return true;
}

// What two dns that name one entry have in common: types and values
// without letter case and runs of blanks, the values of a multi-valued
// RDN in any order. The text itself when it is not a dn.
std::string DnKey(std::string_view dn) {
  std::vector<std::vector<Ava>> rdns;
  if (!ParseDn(dn, rdns)) return "\x01" + FoldedKey(dn);
  std::string key;
  for (std::vector<Ava>& rdn : rdns) {
    std::vector<std::string> parts;
    for (const Ava& ava : rdn) {
      std::string value;
      for (const char c : FoldedKey(Trim(ava.value))) {
        if (c == ' ' && !value.empty() && value.back() == ' ') continue;
        value += c;
      }
      parts.push_back(ava.type + "=" + value);
    }
    std::sort(parts.begin(), parts.end());
    for (const std::string& part : parts) key += part + "\x02";
    key += "\x03";
  }
  return key;
}

// The value of the first `type` in a dn; for a dn that is not one, the
// text after "type=" up to the next comma.
std::string DnPart(std::string_view dn, std::string_view type) {
  std::vector<std::vector<Ava>> rdns;
  if (ParseDn(dn, rdns)) {
    for (const auto& rdn : rdns) {
      for (const Ava& ava : rdn) {
        if (ava.type == type) return ava.value;
      }
    }
    return {};
  }
  const std::string folded = base::AsciiUpper(dn);
  const std::string wanted = base::AsciiUpper(type) + "=";
  for (std::size_t at = folded.find(wanted); at != std::string::npos;
       at = folded.find(wanted, at + 1)) {
    if (at != 0 && folded[at - 1] != ',') continue;
    const std::size_t start = at + wanted.size();
    // Thunderbird puts cn first, whose text may hold commas: it runs to
    // the last ",mail=".
    std::size_t end = type == "cn" ? folded.rfind(",MAIL=") : dn.find(',', start);
    if (end == std::string::npos || end < start) end = dn.size();
    return std::string(Trim(dn.substr(start, end - start)));
  }
  return {};
}

// A dn's value as text: its \XX escapes may give any bytes.
std::string DnText(std::string_view value, unsigned ansi) {
  return importtext::WithoutNuls(importtext::AsUtf8(value, ansi));
}

// RFC 4517 Postal Address: lines separated by "$", "\24" and "\5C" for a
// dollar and a backslash; the lines here end in CR LF.
std::string PostalLines(std::string_view value) {
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '$') {
      text += "\r\n";
    } else if (value[i] == '\\' && i + 2 < value.size() && value.substr(i + 1, 2) == "24") {
      text += '$';
      i += 2;
    } else if (value[i] == '\\' && i + 2 < value.size() &&
               (value.substr(i + 1, 2) == "5C" || value.substr(i + 1, 2) == "5c")) {
      text += '\\';
      i += 2;
    } else {
      text += value[i];
    }
  }
  return text;
}

// `export --to ldap` moves a number a directory's telephone syntax cannot
// hold to the last lines of the description ("Phone: ...", "Fax: ..."):
// taken back where the entry has no number of its own.
void NumbersFromNotes(engine::BookRecord& fields) {
  for (const auto& [label, field] :
       {std::pair<std::string_view, std::string*>{"Fax: ", &fields.fax},
        {"Phone: ", &fields.phone}}) {
    if (!field->empty()) continue;
    const std::size_t lineStart = fields.notes.rfind('\n');
    const std::size_t start = lineStart == std::string::npos ? 0 : lineStart + 1;
    const std::string_view last = std::string_view(fields.notes).substr(start);
    if (last.size() <= label.size() || last.substr(0, label.size()) != label) continue;
    *field = std::string(last.substr(label.size()));
    fields.notes.resize(lineStart == std::string::npos ? 0 : lineStart);
  }
}

engine::BookRecord ContactOf(const Entry& e) {
  engine::BookRecord f;
  f.name = e.First({"cn", "commonname", "displayname"});
  if (Trim(f.name).empty()) {
    f.name = importtext::JoinParts({e.First({"givenname"}), e.First({"sn", "surname"})}, " ");
  }
  f.address = std::string(Trim(e.First({"mail"})));
  // cn is required of a person: a record without a name is written with
  // its address there (and as its surname, in a directory).
  const std::string sn = e.First({"sn", "surname"});
  if (!f.address.empty() && SameWord(Trim(f.name), f.address) && e.First({"givenname"}).empty() &&
      (sn.empty() || SameWord(Trim(sn), f.address))) {
    f.name.clear();
  }
  f.company = e.First({"o", "company"});
  f.key = e.First({"mozillanickname", "xmozillanickname"});
  f.phone = e.First({"telephonenumber", "mobile", "homephone"});
  f.fax = e.First({"facsimiletelephonenumber", "fax"});
  f.notes = e.First({"description", "notes"});
  f.street = e.First({"street", "streetaddress", "mozillahomestreet"});
  f.postal = e.First({"mozillaworkstreet2"});
  if (f.postal.empty()) f.postal = PostalLines(e.First({"postaladdress"}));
  if (f.postal.empty()) {
    f.postal = importtext::JoinParts(
        {e.First({"l", "locality"}), e.First({"st"}), e.First({"postalcode"}), e.First({"c"})},
        ", ");
  }
  NumbersFromNotes(f);
  return f;
}

// A member value of a groupOfUniqueNames may end in "#'0101'B".
std::string_view MemberDn(std::string_view value) {
  const std::size_t hash = value.rfind("#'");
  if (hash != std::string_view::npos && value.size() >= hash + 4 && value.back() == 'B' &&
      value[value.size() - 2] == '\'') {
    return value.substr(0, hash);
  }
  return value;
}

}  // namespace

ImportRead ReadLdif(std::string_view bytes, unsigned ansiCodePage) {
  const std::string text = importtext::FileText(bytes);
  if (auto fault = importtext::NulFault(text)) return Fault(fault->line, fault->what);
  Parsed parsed = ParseLdif(text, ansiCodePage);
  if (parsed.fault) return Fault(parsed.fault->line, parsed.fault->what);

  ImportRead read;
  ImportedFile& file = read.file;
  using Target = std::pair<ImportedMember::Kind, std::size_t>;
  std::unordered_map<std::string, Target> byText;
  std::unordered_map<std::string, Target> byKey;
  const auto known = [&](const Entry& e, Target target) {
    byText.emplace(e.dn, target);
    byKey.emplace(DnKey(e.dn), target);
  };
  std::vector<const Entry*> groupEntries;
  for (const Entry& e : parsed.entries) {
    if (e.HasClass({"groupOfNames", "groupOfUniqueNames"})) {
      ImportedGroup group;
      group.name = e.First({"cn", "commonname"});
      if (group.name.empty()) {
        std::vector<std::vector<Ava>> rdns;
        if (ParseDn(e.dn, rdns) && !rdns.empty() && !rdns[0].empty()) {
          group.name = DnText(rdns[0][0].value, ansiCodePage);
        }
      }
      group.line = e.line;
      known(e, {ImportedMember::Kind::kGroup, file.groups.size()});
      file.groups.push_back(std::move(group));
      groupEntries.push_back(&e);
      continue;
    }
    const bool person =
        e.HasClass({"person", "inetOrgPerson", "organizationalPerson", "mozillaAbPersonAlpha",
                    "mozillaAbPersonObsolete", "residentialPerson"});
    // An entry without any object class is a person when it has an address.
    if (!person && (e.HasAnyClass() || e.First({"mail"}).empty())) continue;
    known(e, {ImportedMember::Kind::kContact, file.contacts.size()});
    file.contacts.push_back({ContactOf(e), e.line});
  }
  for (std::size_t g = 0; g < groupEntries.size(); ++g) {
    ImportedGroup& group = file.groups[g];
    for (const Attribute& a : groupEntries[g]->attributes) {
      if (a.name != "member" && a.name != "uniquemember") continue;
      const std::string_view dn = MemberDn(a.value);
      if (Trim(dn).empty()) continue;
      const Target* target = nullptr;
      if (const auto it = byText.find(std::string(dn)); it != byText.end()) {
        target = &it->second;
      } else if (const auto key = byKey.find(DnKey(dn)); key != byKey.end()) {
        target = &key->second;
      }
      if (target) {
        const auto [kind, index] = *target;
        if (kind == ImportedMember::Kind::kGroup && index == g) continue;  // itself
        ImportedMember member;
        member.kind = kind;
        member.index = index;
        group.members.push_back(std::move(member));
        continue;
      }
      std::string address(Trim(DnText(DnPart(dn, "mail"), ansiCodePage)));
      if (address.empty()) {
        ++group.unresolved;
        continue;
      }
      ImportedMember member;
      member.address = std::move(address);
      member.name = DnText(DnPart(dn, "cn"), ansiCodePage);
      group.members.push_back(std::move(member));
    }
  }
  return read;
}

}  // namespace exchange
