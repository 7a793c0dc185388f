// export --to thunderbird and --to ldap: LDIF with the lists as
// groupOfNames entries whose members are dns of contacts in the same file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "exchange/contact_formats.h"
#include "exchange/export_pieces.h"
#include "exchange/export_targets.h"
#include "exchange/text_store.h"

namespace exchange {

namespace {

void AppendObjectClasses(std::initializer_list<std::string_view> classes, std::string& out) {
  for (const std::string_view objectClass : classes) {
    AppendLdifAttribute("objectclass", objectClass, out);
  }
}

// A list as a group: `dn`, its title, its file and its members' dns
// (dnOf(contact)).
template <typename DnOf>
void AppendGroup(const ExportList& list, const std::string& dn, DnOf&& dnOf, std::string& out) {
  AppendLdifAttribute("dn", dn, out);
  AppendObjectClasses({"top", "groupOfNames"}, out);
  AppendLdifAttribute("cn", list.title, out);
  AppendLdifAttribute("description", list.file, out);
  for (const ExportMember& member : list.members) {
    AppendLdifAttribute("member", dnOf(*member.contact), out);
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
  // Both importers find a member by its dn, so no two contacts share one
  // (letter case folded): a later contact whose dn an earlier one has gets
  // a numbered name. The names are given out first, in order; the groups
  // name their members by these dns, kept for the contacts that are
  // members. A dn taken is filed by its hash alone: the contact's fields
  // (and its numbered name) say it again when another one's hash meets it.
  std::vector<std::string_view> dns(folder.contacts.size());
  std::unordered_map<std::size_t, std::string> numberedNames;
  const auto fieldsOf = [&](std::size_t i) {
    ContactText fields = folder.contacts[i].Fields();
    if (!numberedNames.empty()) {
      if (const auto numbered = numberedNames.find(i); numbered != numberedNames.end()) {
        fields.name = numbered->second;
      }
    }
    return fields;
  };
  TextArena kept;
  HashedNumbers taken;  // folded dn -> contact
  taken.Reserve(folder.contacts.size());
  std::string dn;
  std::string folded;
  std::string other;
  std::string otherFolded;
  const auto isTaken = [&](std::uint64_t hash) {
    return taken
        .Find(hash,
              [&](std::uint32_t j) {
                other.clear();
                AppendContactDn(fieldsOf(j), other);
                FoldKeyInto(other, otherFolded);
                return otherFolded == folded;
              })
        .has_value();
  };
  // The hashes of every contact's own dn first, two halves at once where
  // the export may split; then each dn is taken in order, its slot asked
  // for some contacts ahead.
  const std::size_t count = folder.contacts.size();
  std::vector<std::uint64_t> hashes(count);
  const auto hashRange = [&](std::size_t from, std::size_t to) {
    std::string own;
    std::string ownFolded;
    for (std::size_t i = from; i < to; ++i) {
      own.clear();
      AppendContactDn(folder.contacts[i].Fields(), own);
      FoldKeyInto(own, ownFolded);
      hashes[i] = TextHash(ownFolded);
    }
  };
  ForContactHalves(folder, context,
                   [&](std::size_t from, std::size_t to, std::size_t) { hashRange(from, to); });
  constexpr std::size_t kAhead = 16;
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kAhead < count) taken.Prefetch(hashes[i + kAhead]);
    const ExportContact& contact = folder.contacts[i];
    std::uint64_t hash = hashes[i];
    // No dn filed under this hash: free, and only a member's is kept.
    const bool maybeTaken = taken.Find(hash, [](std::uint32_t) { return true; }).has_value();
    if (!maybeTaken && contact.listCount == 0) {
      taken.Add(hash, static_cast<std::uint32_t>(i));
      continue;
    }
    ContactText fields = contact.Fields();
    const std::string_view shown = fields.name.empty() ? fields.address : fields.name;
    dn.clear();
    AppendContactDn(fields, dn);
    FoldKeyInto(dn, folded);
    std::string numbered;
    for (std::size_t n = 2; isTaken(hash); ++n) {
      numbered = UniqueNames::Numbered(shown, n);
      fields.name = numbered;
      dn.clear();
      AppendContactDn(fields, dn);
      FoldKeyInto(dn, folded);
      hash = TextHash(folded);
    }
    if (fields.name != contact.Fields().name) {
      ++context.renamed;
      numberedNames.emplace(i, std::move(numbered));
    }
    taken.Add(hash, static_cast<std::uint32_t>(i));
    if (contact.listCount > 0) dns[i] = kept.Add(dn);
  }
  WriteContacts(folder, context, [&](std::size_t i, std::string& out, std::size_t) {
    AppendContactLdif(fieldsOf(i), out);
  });
  for (const ExportList& list : folder.lists) {
    if (!Arrives(list, false)) continue;
    AppendGroup(
        list, "cn=" + DnValue(list.title), [&](std::size_t c) { return dns[c]; },
        context.sink.out());
  }
}

void WriteLdap(const ExportFolder& folder, ExportContext& context) {
  const std::string base(context.base);
  for (const std::string_view unit : {"contacts", "lists"}) {
    std::string& out = context.sink.out();
    AppendLdifAttribute("dn", "ou=" + std::string(unit) + "," + base, out);
    AppendObjectClasses({"top", "organizationalUnit"}, out);
    AppendLdifAttribute("ou", unit, out);
    out += kLdifLineEnd;
  }
  // A contact's dn is its UID, which no other entry has; its surname is
  // the family part of its name (the name when it is one word, the address
  // when there is none).
  const auto appendDn = [&](std::size_t c, std::string& dn) {
    dn = "uid=";
    dn += folder.Uid(c);
    dn += ",ou=contacts,";
    dn += base;
  };
  std::array<std::string, 2> dns;      // a lane's dn, its room kept
  std::array<std::string, 2> notesOf;  // a lane's notes, their room kept
  WriteContacts(folder, context, [&](std::size_t i, std::string& out, std::size_t lane) {
    const ExportContact& contact = folder.contacts[i];
    const ContactText c = contact.Fields();
    std::string& dn = dns[lane];
    appendDn(i, dn);
    AppendLdifAttribute("dn", dn, out);
    // What AppendObjectClasses makes of them, written at once.
    static_assert(kLdifLineEnd == "\n");
    out +=
        "objectclass: top\n"
        "objectclass: person\n"
        "objectclass: organizationalPerson\n"
        "objectclass: inetOrgPerson\n";
    AppendLdifAttribute("uid", folder.Uid(i), out);
    AppendLdifAttribute("cn", c.name.empty() ? c.address : c.name, out);
    const std::string_view family = SplitName(c.name).family;
    AppendLdifAttribute("sn", family.empty() ? c.address : family, out);
    AppendLdifAttribute("mail", c.address, out);
    AppendLdifAttribute("o", c.company, out);
    // Numbers a telephone number may not hold in LDAP go to the notes.
    std::string& notes = notesOf[lane];
    notes = c.notes;
    for (const auto& [attribute, number, label] :
         {std::tuple<std::string_view, std::string_view, std::string_view>{"telephoneNumber",
                                                                           c.phone, "Phone: "},
          {"facsimileTelephoneNumber", c.fax, "Fax: "}}) {
      if (IsPrintable(number)) {
        AppendLdifAttribute(attribute, number, out);
      } else {
        if (!notes.empty()) notes += '\n';
        notes += label;
        notes += number;
      }
    }
    AppendLdifAttribute("description", notes, out);
    AppendLdifAttribute("street", c.street, out);
    if (!c.postal.empty()) AppendLdifAttribute("postalAddress", PostalAddress(c.postal), out);
    out += kLdifLineEnd;
  });
  std::string member;
  for (const ExportList& list : folder.lists) {
    if (!Arrives(list, true)) continue;
    AppendGroup(
        list, "cn=" + DnValue(list.title) + ",ou=lists," + base,
        [&](std::size_t c) -> std::string_view {
          appendDn(c, member);
          return member;
        },
        context.sink.out());
  }
}

}  // namespace exchange
