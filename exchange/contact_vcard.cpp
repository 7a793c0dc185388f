// The vCard side of the contact formats (contact_formats.h): text escaped
// and content lines folded at 75 octets, written straight into the output.
#include <array>
#include <cstddef>
#include <cstdint>

#include "base/ascii.h"
#include "base/words.h"
#include "exchange/contact_formats.h"

namespace exchange {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kVCardLineOctets = 75;

// ---------------------------------------------------------------- vCard

// The bytes a vCard text value escapes: \\ , ; and line breaks. vCard 4
// escapes ; only inside compound values (N, ADR, ORG), where it parts the
// components; a semicolon escaped elsewhere is shown with its backslash by
// some readers. Marks the special bytes of `word` (exactly up to the first
// one, which is all that is read of them). Whether semicolons count is
// fixed at compile time, so that the test is a few constant compares in
// the loop that calls it.
template <bool kSemicolons>
constexpr std::uint64_t VCardSpecials(std::uint64_t word) {
  const std::uint64_t semicolon = kSemicolons ? base::BytesEqualTo(word, ';') : 0;
  return base::BytesEqualTo(word, '\\') | base::BytesEqualTo(word, ',') | semicolon |
         base::BytesEqualTo(word, '\r') | base::BytesEqualTo(word, '\n');
}

// Where the first special byte of `text` is; its size when there is none.
// Eight bytes at a time, the tail as one word (its zero padding is no
// special).
template <bool kSemicolons>
std::size_t FirstVCardSpecial(std::string_view text) {
  std::size_t at = 0;
  for (; at + 8 <= text.size(); at += 8) {
    const std::uint64_t marks = VCardSpecials<kSemicolons>(base::LoadWord(text.data() + at));
    if (marks != 0) return at + base::FirstMarkedByte(marks);
  }
  if (at == text.size()) return at;
  const std::uint64_t marks =
      VCardSpecials<kSemicolons>(base::LoadTailOf(text, at)) & base::LowBytes(text.size() - at);
  return marks == 0 ? text.size() : at + base::FirstMarkedByte(marks);
}

// Appends `text` escaped as a vCard text value.
template <bool kSemicolons>
void AppendVCardTextOf(std::string_view text, std::string& out) {
  while (!text.empty()) {
    // Plain runs go in whole; only the specials are looked at one by one.
    const std::size_t special = FirstVCardSpecial<kSemicolons>(text);
    out.append(text.data(), special);
    if (special == text.size()) break;
    const char c = text[special];
    text.remove_prefix(special + 1);
    if (c == '\r' || c == '\n') {
      // CR LF, CR alone and LF alone are each one line break.
      if (c == '\r' && !text.empty() && text.front() == '\n') text.remove_prefix(1);
      out += "\\n";
    } else {
      out += '\\';
      out += c;
    }
  }
}

void AppendVCardText(std::string_view text, std::string& out, bool semicolons = true) {
  if (semicolons) {
    AppendVCardTextOf<true>(text, out);
  } else {
    AppendVCardTextOf<false>(text, out);
  }
}

// Appends `line` (a whole content line without its end) folded: no line
// longer than 75 octets, continuation lines starting with a space, and no
// fold between the bytes of one UTF-8 character.
void AppendFolded(std::string_view line, std::string& out) {
  std::size_t room = kVCardLineOctets;
  while (line.size() > room) {
    std::size_t cut = room;
    // Back off over continuation bytes (10xxxxxx) to a character's start.
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    if (cut == 0) cut = room;  // not UTF-8 after all: fold where it fits
    out += line.substr(0, cut);
    out += kCrLf;
    out += ' ';
    line.remove_prefix(cut);
    room = kVCardLineOctets - 1;
  }
  out += line;
  out += kCrLf;
}

// A content line is written straight into the output: its name and colon
// (BeginProperty, which says where the line starts), its value, then
// EndProperty, which folds it if it came out longer than a line may be (the
// rare case, so only then is it copied).
std::size_t BeginProperty(std::string_view name, std::string& out) {
  const std::size_t start = out.size();
  out += name;
  out += ':';
  return start;
}

void EndProperty(std::size_t start, std::string& out) {
  if (out.size() - start <= kVCardLineOctets) {
    out += kCrLf;
    return;
  }
  const std::string line = out.substr(start);
  out.resize(start);
  AppendFolded(line, out);
}

// A property whose value is `text` escaped (semicolons too where
// `semicolons`), between `before` and `after` (the other components of a
// compound value).
void AppendTextProperty(std::string_view name, std::string_view text, std::string& out,
                        bool semicolons, std::string_view before = {},
                        std::string_view after = {}) {
  const std::size_t start = BeginProperty(name, out);
  out += before;
  AppendVCardText(text, out, semicolons);
  out += after;
  EndProperty(start, out);
}

}  // namespace

std::string VCardText(std::string_view text, bool semicolons) {
  std::string escaped;
  escaped.reserve(text.size() + 8);
  AppendVCardText(text, escaped, semicolons);
  return escaped;
}

void AppendVCardProperty(std::string_view name, std::string_view value, std::string& out) {
  const std::size_t start = BeginProperty(name, out);
  out += value;
  EndProperty(start, out);
}

NameParts SplitName(std::string_view name) {
  std::string_view family = base::TrimBlanks(name);
  std::string_view given;
  if (const std::size_t comma = family.find(','); comma != std::string_view::npos) {
    given = base::TrimBlanks(family.substr(comma + 1));
    family = base::TrimBlanks(family.substr(0, comma));
  } else if (const std::size_t space = family.find_last_of(" \t");
             space != std::string_view::npos) {
    given = base::TrimBlanks(family.substr(0, space));
    family = family.substr(space + 1);
  }
  return {family, given};
}

void AppendContactVCard(const ContactText& c, std::string& out, VCardShape shape) {
  out += "BEGIN:VCARD";
  out += kCrLf;
  out += shape.version4 ? "VERSION:4.0" : "VERSION:3.0";
  out += kCrLf;
  if (!shape.uid.empty()) AppendVCardProperty("UID", shape.uid, out);
  // FN and N are required; a record without a name is known by its address.
  const std::string_view shown = c.name.empty() ? std::string_view(c.address) : c.name;
  // vCard 3.0 escapes ; in every text value, 4.0 in compound ones only.
  const bool anySemicolon = !shape.version4;
  AppendTextProperty("FN", shown, out, anySemicolon);
  // N: family;given;additional;prefixes;suffixes.
  const std::size_t name = BeginProperty("N", out);
  const NameParts parts = SplitName(c.name);
  AppendVCardText(parts.family, out);
  out += ';';
  AppendVCardText(parts.given, out);
  out += ";;;";
  EndProperty(name, out);
  if (!c.company.empty()) AppendTextProperty("ORG", c.company, out, true);
  if (!c.key.empty()) AppendTextProperty("NICKNAME", c.key, out, anySemicolon);
  // ADR components: box;extended;street;locality;region;code;country. 4.0
  // has no PARCEL or POSTAL type, nor INTERNET for EMAIL.
  if (!c.street.empty()) {
    AppendTextProperty(shape.version4 ? "ADR" : "ADR;TYPE=PARCEL", c.street, out, true, ";;",
                       ";;;;");
  }
  if (!c.postal.empty()) {
    AppendTextProperty(shape.version4 ? "ADR" : "ADR;TYPE=POSTAL", c.postal, out, true, ";;",
                       ";;;;");
  }
  if (!c.phone.empty()) AppendTextProperty("TEL;TYPE=VOICE", c.phone, out, anySemicolon);
  if (!c.fax.empty()) AppendTextProperty("TEL;TYPE=FAX", c.fax, out, anySemicolon);
  if (!c.notes.empty()) AppendTextProperty("NOTE", c.notes, out, anySemicolon);
  if (!c.address.empty()) {
    AppendTextProperty(shape.version4 ? "EMAIL" : "EMAIL;TYPE=INTERNET", c.address, out,
                       anySemicolon);
  }
  out += "END:VCARD";
  out += kCrLf;
}

}  // namespace exchange
