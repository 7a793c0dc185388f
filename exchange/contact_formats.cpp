// The CSV and LDIF sides of the contact formats (the vCard side is
// contact_vcard.cpp).
#include "exchange/contact_formats.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "base/words.h"
#include "engine/book_layout.h"

namespace exchange {

namespace {

bool IsAscii(std::string_view text) {
  std::uint64_t high = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) high |= base::LoadWord(text.data() + i);
  if (i < text.size()) high |= base::LoadTailOf(text, i);
  return base::AllAscii(high);
}

}  // namespace

engine::BookRecordText Utf8Texts(const engine::BookRecordText& record,
                                 const platform::CodePageConverter& converter, std::string& scratch,
                                 std::size_t& undefined) {
  // A byte becomes at most three: the room for a whole record converted.
  scratch.clear();
  scratch.reserve(3 * engine::kBookRecordSize);
  engine::BookRecordText utf8 = record;
  for (std::string_view* text : {&utf8.name, &utf8.address, &utf8.company, &utf8.phone, &utf8.notes,
                                 &utf8.key, &utf8.street, &utf8.postal, &utf8.fax}) {
    if (IsAscii(*text)) continue;
    const std::size_t start = scratch.size();
    undefined += converter.AppendUtf8(*text, scratch);
    *text = std::string_view(scratch).substr(start);
  }
  return utf8;
}

namespace {

constexpr std::string_view kCrLf = "\r\n";

// ---------------------------------------------------------------- CSV

// Whether any of the eight bytes of `word` makes a CSV field quoted.
bool HasCsvSpecial(std::uint64_t word) {
  return (base::BytesEqualTo(word, ',') | base::BytesEqualTo(word, '"') |
          base::BytesEqualTo(word, '\r') | base::BytesEqualTo(word, '\n')) != 0;
}

bool NeedsQuotes(std::string_view field) {
  std::size_t i = 0;
  for (; i + 8 <= field.size(); i += 8) {
    if (HasCsvSpecial(base::LoadWord(field.data() + i))) return true;
  }
  // The tail's zero padding is none of the specials.
  return i < field.size() && HasCsvSpecial(base::LoadTailOf(field, i));
}

void AppendCsvField(std::string_view field, std::string& out) {
  if (!NeedsQuotes(field)) {
    out += field;
    return;
  }
  // Runs between quotes go in whole; each quote is doubled.
  out += '"';
  for (std::size_t quote; (quote = field.find('"')) != std::string_view::npos;) {
    out.append(field.data(), quote + 1);
    out += '"';
    field.remove_prefix(quote + 1);
  }
  out += field;
  out += '"';
}

}  // namespace

// ---------------------------------------------------------------- LDIF

namespace {

// The bytes RFC 4514 escapes anywhere in a value (NUL is written \00).
constexpr char kDnSpecialBytes[] = {',', '+', '"', '\\', '<', '>', ';', '\0'};

constexpr std::array<bool, 256> kDnSpecials = [] {
  std::array<bool, 256> specials{};
  for (const char c : kDnSpecialBytes) specials[static_cast<unsigned char>(c)] = true;
  return specials;
}();

// The marks of the bytes of `word` that are special.
constexpr std::uint64_t DnSpecials(std::uint64_t word) {
  std::uint64_t marks = 0;
  // Unrolled, so that each byte is a constant of its own test.
#pragma GCC unroll std::size(kDnSpecialBytes)
  for (const char c : kDnSpecialBytes)
    marks |= base::BytesEqualTo(word, static_cast<unsigned char>(c));
  return marks;
}

// Whether `value` needs no escape at all: no special byte, eight bytes at
// a time and the tail as one word, and no blank or "#" where it may not
// stand.
bool DnPlain(std::string_view value) {
  if (value.empty()) return true;
  if (value.front() == ' ' || value.front() == '#' || value.back() == ' ') return false;
  std::size_t i = 0;
  for (; i + 8 <= value.size(); i += 8) {
    if (DnSpecials(base::LoadWord(value.data() + i)) != 0) return false;
  }
  return i == value.size() ||
         (DnSpecials(base::LoadTailOf(value, i)) & base::LowBytes(value.size() - i)) == 0;
}

}  // namespace

void AppendDnValue(std::string_view value, std::string& out) {
  const auto special = [](char c) { return kDnSpecials[static_cast<unsigned char>(c)]; };
  // The common value goes in whole.
  if (DnPlain(value)) {
    out += value;
    return;
  }
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\0') {
      out += "\\00";
      continue;
    }
    const bool leading = i == 0 && (c == ' ' || c == '#');
    const bool trailing = i + 1 == value.size() && c == ' ';
    if (special(c) || leading || trailing) out += '\\';
    out += c;
  }
}

std::string DnValue(std::string_view value) {
  std::string escaped;
  AppendDnValue(value, escaped);
  return escaped;
}

namespace {

// True when RFC 2849 lets `value` follow "attr: " as it is.
bool LdifSafe(std::string_view value) {
  if (value.empty()) return true;
  const char first = value.front();
  if (first == ' ' || first == ':' || first == '<' || value.back() == ' ') return false;
  // Eight bytes at a time: none zero, CR, LF or above 127; the tail as
  // one word, the marks of its zero padding dropped.
  const auto unsafe = [](std::uint64_t word) {
    return base::ZeroBytes(word) | base::BytesEqualTo(word, '\r') | base::BytesEqualTo(word, '\n') |
           (word & base::kByteHighs);
  };
  std::size_t i = 0;
  for (; i + 8 <= value.size(); i += 8) {
    if (unsafe(base::LoadWord(value.data() + i)) != 0) return false;
  }
  return i == value.size() ||
         (unsafe(base::LoadTailOf(value, i)) & base::LowBytes(value.size() - i)) == 0;
}

void AppendBase64(std::string_view bytes, std::string& out) {
  constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned>(static_cast<unsigned char>(bytes[i]) << 16) |
                       static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1]) << 8) |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[(v >> 18) & 63];
    out += kDigits[(v >> 12) & 63];
    out += kDigits[(v >> 6) & 63];
    out += kDigits[v & 63];
  }
  const std::size_t rest = bytes.size() - i;
  if (rest == 0) return;
  unsigned v = static_cast<unsigned>(static_cast<unsigned char>(bytes[i]) << 16);
  if (rest == 2) v |= static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1]) << 8);
  out += kDigits[(v >> 18) & 63];
  out += kDigits[(v >> 12) & 63];
  out += rest == 2 ? kDigits[(v >> 6) & 63] : '=';
  out += '=';
}

}  // namespace

void AppendLdifAttribute(std::string_view name, std::string_view value, std::string& out) {
  if (value.empty()) return;
  out += name;
  if (LdifSafe(value)) {
    out += ": ";
    out += value;
  } else {
    out += ":: ";
    AppendBase64(value, out);
  }
  out += kLdifLineEnd;
}

void AppendCsvRow(std::initializer_list<std::string_view> fields, std::string& out) {
  bool first = true;
  for (const std::string_view field : fields) {
    if (!first) out += ',';
    first = false;
    AppendCsvField(field, out);
  }
  out += kCrLf;
}

void AppendContactCsvHeader(std::string& out) {
  AppendCsvRow(
      {"name", "company", "key", "street", "postal", "phone", "fax", "notes", "email", "book"},
      out);
}

void AppendContactCsv(const ContactText& c, std::string& out) {
  AppendCsvRow(
      {c.name, c.company, c.key, c.street, c.postal, c.phone, c.fax, c.notes, c.address, c.book},
      out);
}

void AppendContactDn(const ContactText& c, std::string& out) {
  // cn is required of a person; a record without a name is known by its
  // address, as in a vCard.
  out += "cn=";
  AppendDnValue(c.name.empty() ? c.address : c.name, out);
  if (!c.address.empty()) {
    out += ",mail=";
    AppendDnValue(c.address, out);
  }
}

std::string ContactDn(const ContactText& c) {
  std::string dn;
  AppendContactDn(c, dn);
  return dn;
}

namespace {

// Which attribute takes each field, as Thunderbird's LDIF importer reads
// them: it reads no postalAddress, so the postal address is also the
// second line of the work address (mozillaWorkStreet2); postalAddress
// stays for Evolution and other LDIF readers.
struct LdifField {
  std::string_view attribute;
  std::string_view ContactText::*field;
};
const LdifField kThunderbirdFields[] = {
    {"mail", &ContactText::address},
    {"o", &ContactText::company},
    {"mozillaNickname", &ContactText::key},
    {"telephoneNumber", &ContactText::phone},
    {"facsimileTelephoneNumber", &ContactText::fax},
    {"description", &ContactText::notes},
    {"street", &ContactText::street},
    {"mozillaWorkStreet2", &ContactText::postal},
    {"postalAddress", &ContactText::postal},
};

void AppendContactEntry(const ContactText& c, std::string& out) {
  // What AppendLdifAttribute makes of each class, written at once.
  static_assert(kLdifLineEnd == "\n");
  out +=
      "objectclass: top\n"
      "objectclass: person\n"
      "objectclass: organizationalPerson\n"
      "objectclass: inetOrgPerson\n"
      "objectclass: mozillaAbPersonAlpha\n";
  AppendLdifAttribute("cn", c.name.empty() ? c.address : c.name, out);
  for (const LdifField& field : kThunderbirdFields) {
    AppendLdifAttribute(field.attribute, c.*field.field, out);
  }
  out += kLdifLineEnd;
}

}  // namespace

void AppendContactLdif(const ContactText& c, std::string& out) {
  // The dn is written where it goes, then looked at as any value is (it
  // is never empty).
  const std::size_t start = out.size();
  out += "dn: ";
  AppendContactDn(c, out);
  if (!LdifSafe(std::string_view(out).substr(start + 4))) {
    const std::string dn = out.substr(start + 4);
    out.resize(start);
    AppendLdifAttribute("dn", dn, out);
  } else {
    out += kLdifLineEnd;
  }
  AppendContactEntry(c, out);
}

void AppendContactLdif(const ContactText& c, std::string_view dn, std::string& out) {
  AppendLdifAttribute("dn", dn, out);
  AppendContactEntry(c, out);
}

}  // namespace exchange
