// The CSV and LDIF sides of the contact formats (the vCard side is
// contact_vcard.cpp).
#include "exchange/contact_formats.h"

#include <cstddef>

namespace exchange {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// ---------------------------------------------------------------- CSV

void AppendCsvField(std::string_view field, std::string& out) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

// ---------------------------------------------------------------- LDIF

std::string DnValue(std::string_view value) {
  std::string escaped;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '\0') {
      escaped += "\\00";
      continue;
    }
    const bool special =
        c == ',' || c == '+' || c == '"' || c == '\\' || c == '<' || c == '>' || c == ';';
    const bool leading = i == 0 && (c == ' ' || c == '#');
    const bool trailing = i + 1 == value.size() && c == ' ';
    if (special || leading || trailing) escaped += '\\';
    escaped += c;
  }
  return escaped;
}

namespace {

// True when RFC 2849 lets `value` follow "attr: " as it is.
bool LdifSafe(std::string_view value) {
  if (value.empty()) return true;
  const char first = value.front();
  if (first == ' ' || first == ':' || first == '<' || value.back() == ' ') return false;
  for (const char c : value) {
    if (c == '\0' || c == '\r' || c == '\n' || static_cast<unsigned char>(c) > 0x7F) return false;
  }
  return true;
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

void AppendContactCsv(const Contact& c, std::string& out) {
  AppendCsvRow(
      {c.name, c.company, c.key, c.street, c.postal, c.phone, c.fax, c.notes, c.address, c.book},
      out);
}

std::string ContactDn(const Contact& c) {
  // cn is required of a person; a record without a name is known by its
  // address, as in a vCard.
  const std::string_view shown = c.name.empty() ? std::string_view(c.address) : c.name;
  std::string dn = "cn=" + DnValue(shown);
  if (!c.address.empty()) dn += ",mail=" + DnValue(c.address);
  return dn;
}

namespace {

// Which attribute takes each field, as Thunderbird's LDIF importer reads
// them: it reads no postalAddress, so the postal address is also the
// second line of the work address (mozillaWorkStreet2); postalAddress
// stays for Evolution and other LDIF readers.
struct LdifField {
  std::string_view attribute;
  std::string Contact::*field;
};
const LdifField kThunderbirdFields[] = {
    {"mail", &Contact::address},
    {"o", &Contact::company},
    {"mozillaNickname", &Contact::key},
    {"telephoneNumber", &Contact::phone},
    {"facsimileTelephoneNumber", &Contact::fax},
    {"description", &Contact::notes},
    {"street", &Contact::street},
    {"mozillaWorkStreet2", &Contact::postal},
    {"postalAddress", &Contact::postal},
};

}  // namespace

void AppendContactLdif(const Contact& c, std::string& out) {
  AppendLdifAttribute("dn", ContactDn(c), out);
  for (const std::string_view objectClass :
       {"top", "person", "organizationalPerson", "inetOrgPerson", "mozillaAbPersonAlpha"}) {
    AppendLdifAttribute("objectclass", objectClass, out);
  }
  AppendLdifAttribute("cn", c.name.empty() ? std::string_view(c.address) : c.name, out);
  for (const LdifField& field : kThunderbirdFields) {
    AppendLdifAttribute(field.attribute, c.*field.field, out);
  }
  out += kLdifLineEnd;
}

}  // namespace exchange
