// export --to vcard4 and --to apple: one card per contact, then one group
// card per list naming its members by their cards' UIDs.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "exchange/contact_formats.h"
#include "exchange/export_pieces.h"
#include "exchange/export_targets.h"

namespace exchange {

namespace {

constexpr std::string_view kUrnUuid = "urn:uuid:";

// `address` as a mailto: URI (RFC 6068): bytes outside the unreserved
// characters, "@" and the sub-delimiters that need no escape are %XX.
std::string MailtoUri(std::string_view address) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "mailto:";
  for (const char c : address) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       std::string_view("-._~@!$'()*+,;=").find(c) != std::string_view::npos;
    if (plain) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[u >> 4];
      uri += kHex[u & 0x0F];
    }
  }
  return uri;
}

void AppendContacts(const ExportFolder& folder, ExportContext& context, bool version4) {
  std::array<std::string, 2> uids;  // a lane's UID property value, its room kept
  WriteContacts(folder, context, [&](std::size_t i, std::string& out, std::size_t lane) {
    const ExportContact& contact = folder.contacts[i];
    std::string& uid = uids[lane];
    uid.assign(version4 ? kUrnUuid : std::string_view());
    uid += folder.Uid(i);
    AppendContactVCard(contact.Fields(), out, {version4, uid});
  });
}

}  // namespace

void WriteVCard4(const ExportFolder& folder, ExportContext& context) {
  AppendContacts(folder, context, true);
  std::string& out = context.sink.out();
  for (const ExportList& list : folder.lists) {
    if (!Arrives(list, false)) continue;
    out += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
    AppendVCardProperty("UID", std::string(kUrnUuid) + list.uid, out);
    AppendVCardProperty("KIND", "group", out);
    AppendVCardProperty("FN", VCardText(list.title, false), out);
    for (const ExportMember& member : list.members) {
      AppendVCardProperty(
          "MEMBER",
          member.contact
              ? std::string(kUrnUuid) + std::string(std::string_view(folder.Uid(*member.contact)))
              : MailtoUri(member.address),
          out);
    }
    out += "END:VCARD\r\n";
  }
}

void WriteApple(const ExportFolder& folder, ExportContext& context) {
  AppendContacts(folder, context, false);
  std::string& out = context.sink.out();
  for (const ExportList& list : folder.lists) {
    if (!Arrives(list, false)) continue;
    out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
    AppendVCardProperty("UID", list.uid, out);
    AppendVCardProperty("FN", VCardText(list.title), out);
    AppendVCardProperty("N", VCardText(list.title) + ";;;;", out);
    AppendVCardProperty("X-ADDRESSBOOKSERVER-KIND", "group", out);
    for (const ExportMember& member : list.members) {
      AppendVCardProperty(
          "X-ADDRESSBOOKSERVER-MEMBER",
          std::string(kUrnUuid) + std::string(std::string_view(folder.Uid(*member.contact))), out);
    }
    out += "END:VCARD\r\n";
  }
}

}  // namespace exchange
