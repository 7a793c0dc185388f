// export --to thunderbird and --to ldap: LDIF with the lists as
// groupOfNames entries whose members are dns of contacts in the same file.
#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "exchange/contact_formats.h"
#include "exchange/export_targets.h"

namespace exchange {

namespace {

void AppendObjectClasses(std::initializer_list<std::string_view> classes, std::string& out) {
  for (const std::string_view objectClass : classes) {
    AppendLdifAttribute("objectclass", objectClass, out);
  }
}

// A list as a group: `dn`, its title, its file and its members' dns.
void AppendGroup(const ExportList& list, const std::string& dn,
                 const std::vector<std::string>& contactDns, std::string& out) {
  AppendLdifAttribute("dn", dn, out);
  AppendObjectClasses({"top", "groupOfNames"}, out);
  AppendLdifAttribute("cn", list.title, out);
  AppendLdifAttribute("description", list.file, out);
  for (const ExportMember& member : list.members) {
    AppendLdifAttribute("member", contactDns[*member.contact], out);
  }
  out += kLdifLineEnd;
}

// RFC 4517 PrintableString: what a telephone number may hold in LDAP.
bool IsPrintable(std::string_view text) {
  for (const char c : text) {
    const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      std::string_view(" '()+,-./:=?").find(c) != std::string_view::npos;
    if (!fits) return false;
  }
  return true;
}

// RFC 4517 Postal Address: lines separated by "$", in which "\" and "$"
// are written \5C and \24; empty lines are not allowed, so left out.
std::string PostalAddress(std::string_view text) {
  std::string value;
  std::string line;
  const auto endLine = [&] {
    if (line.empty()) return;
    if (!value.empty()) value += '$';
    value += line;
    line.clear();
  };
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      endLine();
    } else if (c == '\\' || c == '$') {
      line += c == '\\' ? "\\5C" : "\\24";
    } else {
      line += c;
    }
  }
  endLine();
  return value;
}

}  // namespace

void WriteThunderbird(const ExportFolder& folder, ExportContext& context) {
  std::string& out = context.sink.out();
  // Both importers find a member by its dn, so no two contacts share one:
  // a later contact whose dn an earlier one has gets a numbered name.
  std::vector<std::string> dns;
  dns.reserve(folder.contacts.size());
  UniqueNames taken;
  for (const ExportContact& contact : folder.contacts) {
    Contact fields = contact.fields;
    const std::string shown = fields.name.empty() ? fields.address : fields.name;
    for (std::size_t n = 2; !taken.Take(ContactDn(fields)); ++n) {
      fields.name = UniqueNames::Numbered(shown, n);
    }
    if (fields.name != contact.fields.name) ++context.renamed;
    AppendContactLdif(fields, out);
    dns.push_back(ContactDn(fields));
    context.sink.Drain();
  }
  for (const ExportList& list : folder.lists) {
    if (!Arrives(list, false)) continue;
    AppendGroup(list, "cn=" + DnValue(list.title), dns, out);
  }
}

void WriteLdap(const ExportFolder& folder, ExportContext& context) {
  std::string& out = context.sink.out();
  const std::string base(context.base);
  for (const std::string_view unit : {"contacts", "lists"}) {
    AppendLdifAttribute("dn", "ou=" + std::string(unit) + "," + base, out);
    AppendObjectClasses({"top", "organizationalUnit"}, out);
    AppendLdifAttribute("ou", unit, out);
    out += kLdifLineEnd;
  }
  // A contact's dn is its UID, which no other entry has; its surname is
  // the family part of its name (the name when it is one word, the address
  // when there is none).
  std::vector<std::string> dns;
  dns.reserve(folder.contacts.size());
  for (const ExportContact& contact : folder.contacts) {
    const Contact& c = contact.fields;
    dns.push_back("uid=" + contact.uid + ",ou=contacts," + base);
    AppendLdifAttribute("dn", dns.back(), out);
    AppendObjectClasses({"top", "person", "organizationalPerson", "inetOrgPerson"}, out);
    AppendLdifAttribute("uid", contact.uid, out);
    AppendLdifAttribute("cn", c.name.empty() ? std::string_view(c.address) : c.name, out);
    const std::string_view family = SplitName(c.name).family;
    AppendLdifAttribute("sn", family.empty() ? std::string_view(c.address) : family, out);
    AppendLdifAttribute("mail", c.address, out);
    AppendLdifAttribute("o", c.company, out);
    // Numbers a telephone number may not hold in LDAP go to the notes.
    std::string notes = c.notes;
    for (const auto& [attribute, number, label] :
         {std::tuple<std::string_view, std::string_view, std::string_view>{"telephoneNumber",
                                                                           c.phone, "Phone: "},
          {"facsimileTelephoneNumber", c.fax, "Fax: "}}) {
      if (IsPrintable(number)) {
        AppendLdifAttribute(attribute, number, out);
      } else {
        notes += (notes.empty() ? "" : "\n") + std::string(label) + std::string(number);
      }
    }
    AppendLdifAttribute("description", notes, out);
    AppendLdifAttribute("street", c.street, out);
    AppendLdifAttribute("postalAddress", PostalAddress(c.postal), out);
    out += kLdifLineEnd;
    context.sink.Drain();
  }
  for (const ExportList& list : folder.lists) {
    if (!Arrives(list, true)) continue;
    AppendGroup(list, "cn=" + DnValue(list.title) + ",ou=lists," + base, dns, out);
  }
}

}  // namespace exchange
