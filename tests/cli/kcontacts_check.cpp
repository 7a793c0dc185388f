// kcontacts_check FILE: reads a vCard file with KDE's contacts library
// (KContacts::VCardConverter, as KAddressBook and Akonadi read one) and
// writes what it made of each card as one JSON array on standard output,
// for export_test.py to compare with what the folder holds.
#include <KContacts/Addressee>
#include <KContacts/VCardConverter>
#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cstdio>

namespace {

QJsonArray Strings(const QStringList& strings) {
  QJsonArray array;
  for (const QString& s : strings) array.append(s);
  return array;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kcontacts_check FILE\n");
    return 2;
  }
  QFile file(QString::fromLocal8Bit(argv[1]));
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "kcontacts_check: cannot read %s\n", argv[1]);
    return 1;
  }
  const KContacts::VCardConverter converter;
  QJsonArray cards;
  for (const KContacts::Addressee& a : converter.parseVCards(file.readAll())) {
    QJsonObject card;
    card["uid"] = a.uid();
    card["kind"] = a.kind();
    card["fn"] = a.formattedName();
    card["family"] = a.familyName();
    card["given"] = a.givenName();
    card["emails"] = Strings(a.emails());
    card["members"] = Strings(a.members());
    card["org"] = a.organization();
    card["nickname"] = a.nickName();
    card["note"] = a.note();
    QJsonArray addresses;
    for (const KContacts::Address& address : a.addresses()) {
      addresses.append(QJsonObject{{"street", address.street()},
                                   {"extended", address.extended()},
                                   {"type", address.typeLabel()}});
    }
    card["addresses"] = addresses;
    QJsonArray phones;
    for (const KContacts::PhoneNumber& phone : a.phoneNumbers()) {
      phones.append(QJsonObject{{"number", phone.number()},
                                {"fax", (phone.type() & KContacts::PhoneNumber::Fax) != 0}});
    }
    card["phones"] = phones;
    cards.append(card);
  }
  const QByteArray json = QJsonDocument(cards).toJson(QJsonDocument::Compact);
  std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
  return 0;
}
