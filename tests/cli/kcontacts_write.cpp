// kcontacts_write BOOK VERSION OUT: makes the addressees BOOK (JSON) describes
// with KDE's contacts library and writes them with
// KContacts::VCardConverter::exportVCards, as KAddressBook exports a
// selection, in vCard VERSION (3.0 or 4.0) to OUT, for import_test.py to
// import. A group is an addressee of kind "group" with members: KContacts's
// own ContactGroup is written only as XML (ContactGroupTool), never as a
// vCard, so the cards are the only way a group leaves KDE as a vCard.
//
// BOOK: {"contacts": [{"uid", "fn", "given", "family", "emails": [],
// "org", "nickname", "note", "phones": [{"number", "fax"}], "street",
// "locality"}], "groups": [{"uid", "fn", "members": []}]}; a member is
// "mailto:ADDRESS" or a contact's uid, as KContacts keeps them.
#include <KContacts/Address>
#include <KContacts/Addressee>
#include <KContacts/Email>
#include <KContacts/PhoneNumber>
#include <KContacts/VCardConverter>
#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <cstdio>

namespace {

KContacts::Addressee Contact(const QJsonObject& described) {
  KContacts::Addressee a;
  a.setUid(described["uid"].toString());
  a.setFormattedName(described["fn"].toString());
  a.setGivenName(described["given"].toString());
  a.setFamilyName(described["family"].toString());
  for (const QJsonValue& email : described["emails"].toArray())
    a.addEmail(KContacts::Email(email.toString()));
  a.setOrganization(described["org"].toString());
  a.setNickName(described["nickname"].toString());
  a.setNote(described["note"].toString());
  for (const QJsonValue& phone : described["phones"].toArray()) {
    const QJsonObject p = phone.toObject();
    a.insertPhoneNumber(KContacts::PhoneNumber(
        p["number"].toString(), p["fax"].toBool()
                                    ? KContacts::PhoneNumber::Fax | KContacts::PhoneNumber::Work
                                    : KContacts::PhoneNumber::Work));
  }
  if (!described["street"].toString().isEmpty()) {
    KContacts::Address address(KContacts::Address::Work);
    address.setStreet(described["street"].toString());
    address.setLocality(described["locality"].toString());
    a.insertAddress(address);
  }
  return a;
}

KContacts::Addressee Group(const QJsonObject& described) {
  KContacts::Addressee a;
  a.setUid(described["uid"].toString());
  a.setKind(QStringLiteral("group"));
  a.setFormattedName(described["fn"].toString());
  a.setName(described["fn"].toString());
  for (const QJsonValue& member : described["members"].toArray()) a.insertMember(member.toString());
  return a;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: kcontacts_write BOOK 3.0|4.0 OUT\n");
    return 2;
  }
  QFile in(QString::fromLocal8Bit(argv[1]));
  if (!in.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "kcontacts_write: cannot read %s\n", argv[1]);
    return 1;
  }
  const QJsonObject described = QJsonDocument::fromJson(in.readAll()).object();
  KContacts::Addressee::List list;
  for (const QJsonValue& c : described["contacts"].toArray()) list.append(Contact(c.toObject()));
  for (const QJsonValue& g : described["groups"].toArray()) list.append(Group(g.toObject()));
  const KContacts::VCardConverter converter;
  const QByteArray vcards =
      converter.exportVCards(list, QByteArray(argv[2]) == "4.0" ? KContacts::VCardConverter::v4_0
                                                                : KContacts::VCardConverter::v3_0);
  QFile out(QString::fromLocal8Bit(argv[3]));
  if (!out.open(QIODevice::WriteOnly) || out.write(vcards) != vcards.size()) {
    std::fprintf(stderr, "kcontacts_write: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
