// The import readers: files shaped as the real programs write them, each of
// our own export targets' output read back, and bad input with its line.
#include "exchange/import_readers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/contact_formats.h"
#include "exchange/export_targets.h"

namespace {

using exchange::ImportedFile;
using exchange::ImportedGroup;
using exchange::ImportedMember;
using exchange::ImportRead;

// Line breaks and other controls made visible, so that expectations read
// as one line each.
std::string Visible(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

// A file's contents as text: one line per contact (the fields it has), then
// one per group with its members (#name for a contact, @name for a group,
// <address> for an address, "name" before it when given).
std::string Describe(const ImportedFile& file) {
  std::string out;
  for (const auto& contact : file.contacts) {
    const auto& f = contact.fields;
    out += "contact " + std::to_string(contact.line) + ": " + Visible(f.name) + " <" +
           Visible(f.address) + ">";
    for (const auto& [label, value] :
         {std::pair<const char*, const std::string*>{"company", &f.company},
          {"key", &f.key},
          {"phone", &f.phone},
          {"fax", &f.fax},
          {"notes", &f.notes},
          {"street", &f.street},
          {"postal", &f.postal}}) {
      if (!value->empty()) out += std::string(" ") + label + "=" + Visible(*value);
    }
    out += "\n";
  }
  for (const ImportedGroup& group : file.groups) {
    out += "group " + std::to_string(group.line) + ": " + Visible(group.name) + ":";
    for (const ImportedMember& m : group.members) {
      switch (m.kind) {
        case ImportedMember::Kind::kContact:
          out += " #" + Visible(file.contacts.at(m.index).fields.name);
          break;
        case ImportedMember::Kind::kGroup:
          out += " @" + Visible(file.groups.at(m.index).name);
          break;
        case ImportedMember::Kind::kAddress:
          out +=
              m.name.empty() ? " <" + m.address + ">" : " \"" + m.name + "\" <" + m.address + ">";
          break;
      }
    }
    if (group.unresolved > 0) out += " +" + std::to_string(group.unresolved) + " unresolved";
    out += "\n";
  }
  return out;
}

ImportRead Read(std::string_view source, std::string_view bytes) {
  const exchange::ImportSource* reader = exchange::FindImportSource(source);
  if (!reader) throw std::runtime_error("no source " + std::string(source));
  return reader->read(bytes);
}

TEST(ImportSources, AreNamedInTheHelpsOrder) {
  EXPECT_EQ(exchange::ImportSourceNames(),
            "thunderbird, ldap, vcard, apple, google, outlook, mutt or csv");
  EXPECT_EQ(exchange::FindImportSource("vcard4"), nullptr);
  ASSERT_NE(exchange::FindImportSource("mutt"), nullptr);
  EXPECT_EQ(exchange::FindImportSource("mutt")->name, "mutt");
}

// ------------------------------------------------------------ samples

struct Sample {
  const char* what;
  const char* source;
  std::string bytes;
  std::string expected;
};

class ImportSample : public ::testing::TestWithParam<Sample> {};

TEST_P(ImportSample, GivesItsContactsAndGroups) {
  const Sample& sample = GetParam();
  const ImportRead read = Read(sample.source, sample.bytes);
  ASSERT_FALSE(read.fault) << sample.what << ": line " << read.fault->line << ": "
                           << read.fault->what;
  EXPECT_EQ(Describe(read.file), sample.expected) << sample.what;
}

const Sample kSamples[] = {
    // Thunderbird's own export: unescaped dns (a comma inside cn), base64
    // where RFC 2849 wants it, CR LF on Windows, a list of two cards.
    {"thunderbird export", "thunderbird",
     "dn: cn=Smith, Jo,mail=jo@example.org\r\n"
     "objectclass: top\r\nobjectclass: person\r\nobjectclass: organizationalPerson\r\n"
     "objectclass: inetOrgPerson\r\nobjectclass: mozillaAbPersonAlpha\r\n"
     "givenName: Jo\r\nsn: Smith\r\ncn: Smith, Jo\r\nmozillaNickname: jo\r\n"
     "mail: jo@example.org\r\nmodifytimestamp: 1700000000\r\ntelephoneNumber: 555 1234\r\n"
     "facsimiletelephonenumber: 555 1235\r\nstreet: 1 High St\r\nl: Leeds\r\npostalCode: LS1\r\n"
     "o: Acme\r\ndescription:: TGluZSAxCkxpbmUgMg==\r\n\r\n"
     "dn:: Y249UmVuw6ksbWFpbD1yZW5lQGV4YW1wbGUuZnI=\r\n"
     "objectclass: top\r\nobjectclass: person\r\ncn:: UmVuw6k=\r\nmail: rene@example.fr\r\n\r\n"
     "dn: cn=Club\r\nobjectclass: top\r\nobjectclass: groupOfNames\r\ncn: Club\r\n"
     "description: the club\r\nmember: cn=Smith, Jo,mail=jo@example.org\r\n"
     "member:: Y249UmVuw6ksbWFpbD1yZW5lQGV4YW1wbGUuZnI=\r\n"
     "member: cn=Gone,mail=gone@example.com\r\n\r\n",
     "contact 1: Smith, Jo <jo@example.org> company=Acme key=jo phone=555 1234 fax=555 1235 "
     "notes=Line 1\\nLine 2 street=1 High St postal=Leeds, LS1\n"
     "contact 21: Ren\xC3\xA9 <rene@example.fr>\n"
     "group 27: Club: #Smith, Jo #Ren\xC3\xA9 \"Gone\" <gone@example.com>\n"},
    // A directory's dump: version line, comments, folded lines, escaped
    // dns compared without case, nested groups, uniqueMember, an unknown dn.
    {"directory dump", "ldap",
     "version: 1\n# people\ndn: uid=ann,ou=People,dc=example,dc=org\nobjectClass: inetOrgPerson\n"
     "cn: Ann\n Marie\nsn: Marie\nmail: ann@example.org\npostalAddress: 2 Low Rd$York\\24\n\n"
     "dn: cn=Bob\\, Jr.,ou=People,dc=example,dc=org\nchangetype: add\nobjectClass: person\n"
     "cn: Bob, Jr.\nmail: bob@example.org\n\n"
     "dn: cn=Inner,ou=Groups,dc=example,dc=org\nobjectClass: groupOfUniqueNames\ncn: Inner\n"
     "uniqueMember: UID=Ann, OU=people,DC=Example,DC=org#'0101'B\n\n"
     "dn: cn=Outer,ou=Groups,dc=example,dc=org\nobjectClass: groupOfNames\ncn: Outer\n"
     "member: cn=Bob\\2C Jr.,ou=People,dc=example,dc=org\n"
     "member: cn=inner,ou=groups,dc=example,dc=org\nmember: uid=nobody,dc=example,dc=org\n"
     "member: cn=Outer,ou=Groups,dc=example,dc=org\n\n"
     "dn: ou=Groups,dc=example,dc=org\nobjectClass: organizationalUnit\nou: Groups\n",
     "contact 3: AnnMarie <ann@example.org> postal=2 Low Rd\\r\\nYork$\n"
     "contact 11: Bob, Jr. <bob@example.org>\n"
     "group 17: Inner: #AnnMarie\n"
     "group 22: Outer: #Bob, Jr. @Inner +1 unresolved\n"},
    // A member only in the group, its dn's value escaped in hex (UTF-8).
    {"escaped member dn", "ldap",
     "dn: cn=Team,dc=example,dc=org\nobjectClass: groupOfNames\n"
     "member: cn=Ren\\C3\\A9\\, Sr.,mail=rene@example.fr,dc=example,dc=org\n",
     "group 1: Team: \"Ren\xC3\xA9, Sr.\" <rene@example.fr>\n"},
    // KDE's vCard 4.0 with a group: lower-case types, a list of types
    // quoted whole, MEMBER by UID.
    {"kde vcard 4", "vcard",
     "BEGIN:VCARD\r\nVERSION:4.0\r\nEMAIL;TYPE=work:jo@work.example\r\n"
     "EMAIL;PREF=1:jo@example.org\r\nFN:Jo Smith\r\nN:Smith;Jo;;;\r\nNOTE:a\\nb\\, c\r\n"
     "ORG:Acme;Sales\r\nTEL;TYPE=\"fax,work\":555 1235\r\nTEL;TYPE=cell:555 1234\r\n"
     "UID:abc-1\r\nEND:VCARD\r\n"
     "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Team\r\nKIND:group\r\nMEMBER:urn:uuid:ABC-1\r\n"
     "MEMBER:mailto:ann%40example.org\r\nMEMBER:urn:uuid:missing\r\nUID:team-1\r\n"
     "MEMBER:mailto:bo%00b%40example.org\r\nEND:VCARD\r\n",
     "contact 1: Jo Smith <jo@example.org> company=Acme, Sales phone=555 1234 fax=555 1235 "
     "notes=a\\r\\nb, c\n"
     "group 13: Team: #Jo Smith <ann@example.org> <bob@example.org> +1 unresolved\n"},
    // python3-vobject's vCard 3.0: folded at 75 octets, escaped, a group.
    {"vobject vcard 3", "apple",
     "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u-1\r\nEMAIL;TYPE=INTERNET:rene@example.fr\r\n"
     "FN:Ren\xC3\xA9 M\xC3\xBCller\\, Jr.\r\nN:M\xC3\xBCller;Ren\xC3\xA9;;;\r\n"
     "NOTE:a long note\\; with\\, specials\\nand a line break xxxxxxxxxxxxxxxxxxxxxx\r\n"
     " xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n"
     " xxxx\r\nORG:Acme\\; Inc;Sales\r\nTEL;TYPE=WORK,FAX:555 9\r\nEND:VCARD\r\n"
     "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Club\r\nN:Club;;;;\r\nX-ADDRESSBOOKSERVER-KIND:group\r\n"
     "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:u-1\r\nEND:VCARD\r\n",
     "contact 1: Ren\xC3\xA9 M\xC3\xBCller, Jr. <rene@example.fr> company=Acme; Inc, Sales "
     "fax=555 9 notes=a long note; with, specials\\r\\nand a line break " +
         std::string(100, 'x') +
         "\n"
         "group 13: Club: #Ren\xC3\xA9 M\xC3\xBCller, Jr.\n"},
    // A phone's vCard 2.1: quoted-printable with soft breaks, CHARSET,
    // bare types, a grouped property name, an AGENT card inside.
    {"phone vcard 2.1", "vcard",
     "BEGIN:VCARD\nVERSION:2.1\nN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller;Ren=\n"
     "=E9;;;\nitem1.EMAIL;INTERNET;PREF:rene@example.fr\nTEL;WORK;VOICE:+49 30 1\n"
     "ADR;HOME:;;Hauptstr. 1;Berlin;;10115;DE\nAGENT:\nBEGIN:VCARD\nFN:Agent\nEND:VCARD\n"
     "NOTE;QUOTED-PRINTABLE:one=0D=0Atwo\nEND:VCARD\n",
     "contact 1: Ren\xC3\xA9 M\xC3\xBCller <rene@example.fr> phone=+49 30 1 notes=one\\r\\ntwo "
     "postal=Hauptstr. 1, Berlin, 10115, DE\n"},
    // Apple's group card and CATEGORIES as groups (not Google's myContacts).
    {"apple group", "apple",
     "BEGIN:VCARD\nVERSION:3.0\nFN:Ann\nN:;Ann;;;\nEMAIL;type=INTERNET;type=pref:ann@example.org\n"
     "CATEGORIES:myContacts,Choir\nUID:A-1\nEND:VCARD\n"
     "BEGIN:VCARD\nVERSION:3.0\nFN:Bob\nEMAIL:bob@example.org\nCATEGORIES:choir\nUID:B-2\n"
     "END:VCARD\n"
     "BEGIN:VCARD\nVERSION:3.0\nN:Friends;;;;\nFN:Friends\nX-ADDRESSBOOKSERVER-KIND:group\n"
     "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:B-2\nX-ADDRESSBOOKSERVER-MEMBER:urn:uuid:a-1\n"
     "UID:G-3\nEND:VCARD\n",
     "contact 1: Ann <ann@example.org>\ncontact 9: Bob <bob@example.org>\n"
     "group 16: Friends: #Bob #Ann\ngroup 1: Choir: #Ann #Bob\n"},
    // Google's older header: Group Membership, "* " for the primary.
    {"google, older header", "google",
     "Name,Given Name,Family Name,Nickname,Notes,Group Membership,E-mail 1 - Type,"
     "E-mail 1 - Value,E-mail 2 - Type,E-mail 2 - Value,Phone 1 - Type,Phone 1 - Value,"
     "Organization 1 - Type,Organization 1 - Name\r\n"
     "Jo Smith,Jo,Smith,jo,\"multi\r\nline\",* My Contacts ::: Club ::: * Friends,Home,"
     "jo@home.example,* Work,jo@example.org ::: jo2@example.org,Work Fax,555 1,,Acme\r\n"
     "Ann,,,,,Club,,ann@example.org,,,Mobile,555 2,,\r\n",
     "contact 2: Jo Smith <jo@example.org> company=Acme key=jo fax=555 1 notes=multi\\r\\nline\n"
     "contact 4: Ann <ann@example.org> phone=555 2\n"
     "group 2: Club: #Jo Smith #Ann\ngroup 2: Friends: #Jo Smith\n"},
    // Google's newer header: First/Last Name, Labels, "- Label".
    {"google, newer header", "google",
     "\xEF\xBB\xBF"
     "First Name,Middle Name,Last Name,Organization Name,Labels,E-mail 1 - Label,"
     "E-mail 1 - Value,Address 1 - Label,Address 1 - Formatted\n"
     "Ann,B.,Cole,Choir Ltd,Choir ::: * myContacts ::: * starred,Work,ann@example.org,Home,"
     "\"1 Lane\nTown\"\n",
     "contact 2: Ann B. Cole <ann@example.org> company=Choir Ltd postal=1 Lane\\nTown\n"
     "group 2: Choir: #Ann B. Cole\n"},
    // Outlook in code page 1252, an Exchange address, categories with ";".
    {"outlook 1252", "outlook",
     "\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Company\",\"Business Street\","
     "\"Business City\",\"Business Fax\",\"Business Phone\",\"Mobile Phone\",\"Categories\","
     "\"E-mail Address\",\"E-mail Type\",\"E-mail Display Name\",\"E-mail 2 Address\","
     "\"E-mail 2 Type\",\"Notes\"\r\n"
     "\"\",\"Ren\xE9\",\"\",\"M\xFCller\",\"Acme\",\"1 Rue\",\"Paris\",\"555 9\",\"\",\"555 8\","
     "\"Club;Board\",\"/o=Org/cn=rene\",\"EX\",\"Ren\xE9 M\xFCller\",\"rene@example.fr\",\"SMTP\","
     "\"\"\r\n"
     "\"Dr.\",\"Ann\",\"\",\"Cole\",\"\",\"\",\"\",\"\",\"\",\"\",\"Board\",\"ann@example.org\","
     "\"SMTP\",\"ann@example.org\",\"\",\"\",\"\"\r\n",
     "contact 2: Ren\xC3\xA9 M\xC3\xBCller <rene@example.fr> company=Acme phone=555 8 fax=555 9 "
     "street=1 Rue, Paris\n"
     "contact 3: Dr. Ann Cole <ann@example.org>\n"
     "group 2: Club: #Ren\xC3\xA9 M\xC3\xBCller\ngroup 2: Board: #Ren\xC3\xA9 M\xC3\xBCller "
     "#Dr. Ann Cole\n"},
    // A mutt alias file as people write it.
    {"mutt aliases", "mutt",
     "# my aliases\n\nalias jo Jo Smith <jo@example.org>\nalias ann \"Cole, Ann\" <ann@example.org>"
     " # the singer\nalias bob bob@example.org (Bob B.)\nalias -group choir -group all cat "
     "cat@example.org\nset alias_file=~/.mutt/aliases\nalias singers ann, \\\n  cat, "
     "\"Dee\" <dee@example.org>\nalias club jo, singers, postmaster\nalias JO Joanna "
     "<jo2@example.org>\n",
     // JO is defined again: the later alias, in the place of the first.
     "contact 11: Joanna <jo2@example.org> key=JO\n"
     "contact 4: Cole, Ann <ann@example.org> key=ann\n"
     "contact 5: Bob B. <bob@example.org> key=bob\n"
     "contact 6:  <cat@example.org> key=cat\n"
     "group 8: singers: #Cole, Ann # \"Dee\" <dee@example.org>\n"
     "group 10: club: #Joanna @singers <postmaster>\n"
     "group 6: choir: #\ngroup 6: all: #\n"},
    // A plain sheet with ; between columns, a row per list, a blank row.
    {"plain sheet", "csv",
     " Full Name ;E-MAIL;Groups\r\nJo Smith;jo@example.org;Club\r\n;;\r\n"
     "Jo Smith;jo@example.org;Board ; Club\r\n\"Cole; Ann\";ann@example.org;\r\n",
     "contact 2: Jo Smith <jo@example.org>\ncontact 5: Cole; Ann <ann@example.org>\n"
     "group 2: Club: #Jo Smith\ngroup 4: Board: #Jo Smith\n"},
    // UTF-16 with its byte order mark, as Excel saves "Unicode Text".
    {"utf-16 sheet", "csv",
     std::string("\xFF\xFEN\0a\0m\0e\0\t\0M\0a\0i\0l\0\n\0J\0\xF6\0\t\0j\0@\0x\0.\0o\0r\0g\0", 42),
     "contact 2: J\xC3\xB6 <j@x.org>\n"},
    // DOS's end of text, and lone CRs as line ends.
    {"ctrl-z and lone cr", "csv",
     "name,email\rAnn,ann@example.org\r\x1A"
     "Bob,bob@example.org\r",
     "contact 2: Ann <ann@example.org>\n"},
};

INSTANTIATE_TEST_SUITE_P(Readers, ImportSample, ::testing::ValuesIn(kSamples));

// ------------------------------------------------------------- faults

struct BadInput {
  const char* source;
  std::string bytes;
  std::size_t line;
  const char* what;
};

class ImportFault : public ::testing::TestWithParam<BadInput> {};

TEST_P(ImportFault, NamesTheLineAndWhatIsWrong) {
  const BadInput& bad = GetParam();
  const ImportRead read = Read(bad.source, bad.bytes);
  ASSERT_TRUE(read.fault) << bad.source << ": " << Describe(read.file);
  EXPECT_EQ(read.fault->line, bad.line) << read.fault->what;
  EXPECT_EQ(read.fault->what, bad.what);
  EXPECT_TRUE(read.file.contacts.empty() && read.file.groups.empty());
}

const BadInput kBadInputs[] = {
    {"csv", "name,email\nJo,\"jo@example.org\nAnn,ann@example.org\n", 2,
     "unterminated quoted field"},
    {"csv", "name,phone\nJo,555\n", 1,
     "no e-mail column in the header (E-mail, Email, E-mail Address or Mail)"},
    {"csv", "", 1, "no header row: the file is empty"},
    {"csv", std::string("name,email\nJo,jo@\0x\n", 20), 2,
     "a NUL byte: this is not a text file (UTF-16 needs its byte order mark)"},
    {"google", "Full,Mail\nJo,jo@example.org\n", 1,
     "not a Google Contacts header (no Name, First Name or E-mail 1 - Value column)"},
    {"outlook", "Name,Mail\n", 1,
     "not an Outlook header (no E-mail Address, First Name or Last Name column)"},
    {"ldap", "version: 1\n\ncn: Jo\nmail: jo@example.org\n", 3,
     "an entry must begin with a dn: line"},
    {"thunderbird", "dn: cn=Jo\nmail:: !!!\n", 2, "the value after \"mail::\" is not base64"},
    {"ldap", "dn: cn=Jo,dc=x\nchangetype: modify\nreplace: mail\n", 2,
     "a change record (changetype: modify), not an entry to import"},
    {"ldap", "dn: cn=Jo\nthis line has no colon\n", 2, "not an LDIF line (NAME: VALUE)"},
    {"ldap", " folded\n", 1, "a continued line with no line before it"},
    {"vcard", "BEGIN:VCARD\nVERSION:3.0\nFN:Jo\n", 1,
     "the vCard that begins here has no END:VCARD"},
    {"vcard", "name,email\nJo,jo@example.org\n", 1, "a line outside BEGIN:VCARD ... END:VCARD"},
    {"apple", "BEGIN:VCARD\nFN:Jo\nno colon here\nEND:VCARD\n", 3, "not a vCard line (NAME:VALUE)"},
    {"vcard", "END:VCARD\n", 1, "END:VCARD without its BEGIN:VCARD"},
    {"mutt", "alias\n", 1, "an alias without its key"},
    {"mutt", "# x\nalias jo\n", 2, "alias jo gives no address"},
    {"mutt", "alias jo (Jo Smith), Jo <>\n", 1, "alias jo gives no address"},
    {"mutt", "alias jo \"Jo Smith <jo@example.org>\n", 1, "a quote that is not closed"},
    {"mutt", "\n\nalias jo Jo <jo@example.org\n", 3, "alias jo: an address that is not closed"},
    {"mutt", "alias -group\n", 1, "-group without the group's name"},
};

INSTANTIATE_TEST_SUITE_P(Readers, ImportFault, ::testing::ValuesIn(kBadInputs));

// A file that is not UTF-8 is read in the ANSI code page it was written
// in: Western by default, Central European where asked.
TEST(ImportCodePage, TextThatIsNotUtf8IsReadInTheAnsiCodePage) {
  const std::string sheet = "name,email\n\x8Aimon \xA3uk,s@example.org\n";
  const exchange::ImportSource* csv = exchange::FindImportSource("csv");
  EXPECT_EQ(Describe(csv->read(sheet).file),
            "contact 2: \xC5\xA0imon \xC2\xA3uk <s@example.org>\n");
  EXPECT_EQ(Describe(csv->readAnsi(sheet, exchange::AnsiCodePageFor(1250)).file),
            "contact 2: \xC5\xA0imon \xC5\x81uk <s@example.org>\n");
  EXPECT_EQ(exchange::AnsiCodePageFor(437), 1252U);
}

// ------------------------------------------------------- round trips

// A contact's texts as a record's fields, to compare with what came back.
engine::BookRecord RecordOf(const exchange::ContactText& t) {
  return {std::string(t.name),   std::string(t.address), std::string(t.company),
          std::string(t.phone),  std::string(t.notes),   std::string(t.key),
          std::string(t.street), std::string(t.postal),  std::string(t.fax)};
}

// Our export of one folder, read back by the source of the same program:
// every contact the target writes comes back with the fields it carries,
// and every list that arrives as a group reaching the same addresses.
exchange::ExportFolder SampleFolder(const exchange::TitleRules& titles) {
  exchange::ExportFolder folder;
  const auto contact = [&](const engine::BookRecord& fields) {
    exchange::ExportContact c;
    std::string text;
    std::array<std::uint32_t, 9> ends{};
    std::size_t i = 0;
    for (const std::string* field :
         {&fields.name, &fields.address, &fields.company, &fields.phone, &fields.notes, &fields.key,
          &fields.street, &fields.postal, &fields.fax}) {
      text += *field;
      ends[i++] = static_cast<std::uint32_t>(text.size());
    }
    // The arena keeps no empty text: a contact of empty fields still needs
    // a place to point at.
    c.PlaceTexts(folder.texts.Add(text.empty() ? std::string_view(" ") : text).data(), ends);
    const std::string_view book = "PEOPLE.PMR";
    c.book = book.data();
    c.bookSize = static_cast<std::uint16_t>(book.size());
    // 00000000-0000-5000-8000-0000000000nn, nn from 10 on.
    exchange::Uuid uid{};
    uid[6] = 0x50;
    uid[8] = 0x80;
    uid[15] = static_cast<std::uint8_t>(0x10 + folder.contacts.size());
    folder.uids.push_back(uid);
    folder.contacts.push_back(c);
  };
  contact({.name = "Jo Smith",
           .address = "jo@example.org",
           .company = "Acme, Inc.; Sales",
           .phone = "+44 20 7946 0000",
           .notes = "Line one\r\nLine two, \"quoted\"; semi \\ back $5",
           .key = "jo",
           .street = "1 High Street",
           .postal = "PO Box 7\r\nLondon",
           .fax = "+44 20 7946 0001"});
  contact({.name = "Smith, Ann", .address = "ann@example.org", .key = "annie"});
  contact({.name = "", .address = "solo@example.net"});
  contact({.name = "Ren\xC3\xA9 M\xC3\xBCller",
           .address = "rene@example.fr",
           .phone = "0049 (0)30 1234-5#6",
           .notes = "caf\xC3\xA9",
           .street = "Hauptstra\xC3\x9F"
                     "e 1"});
  contact({.name = "No Mail", .address = "", .company = "Ghost Ltd"});
  const auto list = [&](std::string original, std::vector<std::size_t> members) {
    exchange::ExportList l;
    l.file = "LIST" + std::to_string(folder.lists.size()) + ".PML";
    l.original = original;
    l.rawTitle = original;
    l.title = titles.acceptable(original);
    l.uid = "11111111-0000-5000-8000-00000000000" + std::to_string(folder.lists.size());
    for (const std::size_t m : members) {
      l.members.push_back({m, folder.contacts[m].Fields().address});
    }
    folder.lists.push_back(std::move(l));
  };
  list("Friends of the club", {0, 1, 2, 3});
  list("Board", {3, 0});
  list("Empty", {});
  // Each contact's lists, contact after contact, as the model keeps them.
  for (exchange::ExportContact& c : folder.contacts) {
    const std::size_t index = static_cast<std::size_t>(&c - &folder.contacts[0]);
    c.firstList = static_cast<std::uint32_t>(folder.contactLists.size());
    for (std::size_t l = 0; l < folder.lists.size(); ++l) {
      for (const exchange::ExportMember& m : folder.lists[l].members) {
        if (m.contact == index) folder.contactLists.push_back(static_cast<std::uint32_t>(l));
      }
    }
    c.listCount = static_cast<std::uint32_t>(folder.contactLists.size()) - c.firstList;
  }
  return folder;
}

// Which fields a target carries.
enum Carries : unsigned {
  kNames = 1,
  kKey = 2,
  kOthers = 4,  // company, phone, fax, notes, street, postal
  kAll = kNames | kKey | kOthers,
};

struct RoundTrip {
  const char* target;
  const char* source;
  unsigned carries;
  bool originalTitles;  // the group is named with the list's original title
  bool ordered;         // members in the list's order (not when they are labels)
};

class ImportRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Every address a group reaches, in order, each once (nested groups
// followed, each group once).
void Reach(const ImportedFile& file, std::size_t group, std::vector<std::string>& out,
           std::set<std::size_t>& inside) {
  if (!inside.insert(group).second) return;
  for (const ImportedMember& m : file.groups[group].members) {
    if (m.kind == ImportedMember::Kind::kGroup) {
      Reach(file, m.index, out, inside);
      continue;
    }
    const std::string& address = m.kind == ImportedMember::Kind::kContact
                                     ? file.contacts[m.index].fields.address
                                     : m.address;
    if (std::find(out.begin(), out.end(), address) == out.end()) out.push_back(address);
  }
}

TEST_P(ImportRoundTrip, GivesBackWhatTheExportWrote) {
  const RoundTrip& trip = GetParam();
  const exchange::ExportTarget* target = exchange::FindExportTarget(trip.target);
  ASSERT_NE(target, nullptr);
  const exchange::ExportFolder folder = SampleFolder(*target->rules.titles);
  std::string text;
  exchange::Sink sink(text, nullptr);
  exchange::ExportContext context{sink, "dc=example,dc=org", 1252};
  target->write(folder, context);
  const ImportRead read = Read(trip.source, text);
  ASSERT_FALSE(read.fault) << read.fault->line << ": " << read.fault->what << "\n" << text;

  // Mutt writes no alias for a record without an address.
  std::vector<const exchange::ExportContact*> written;
  for (const auto& c : folder.contacts) {
    if (trip.source != std::string_view("mutt") || !c.Fields().address.empty()) {
      written.push_back(&c);
    }
  }
  ASSERT_EQ(read.file.contacts.size(), written.size()) << text;
  for (std::size_t i = 0; i < written.size(); ++i) {
    const engine::BookRecord want = RecordOf(written[i]->Fields());
    const engine::BookRecord& got = read.file.contacts[i].fields;
    EXPECT_EQ(got.address, want.address) << i;
    if (trip.carries & kNames) {
      EXPECT_EQ(got.name, want.name) << i;
    }
    if (trip.carries & kKey) {
      EXPECT_EQ(got.key, want.key) << i;
    }
    if (trip.carries & kOthers) {
      EXPECT_EQ(got.company, want.company) << i;
      EXPECT_EQ(got.phone, want.phone) << i;
      EXPECT_EQ(got.fax, want.fax) << i;
      EXPECT_EQ(Visible(got.notes), Visible(want.notes)) << i;
      EXPECT_EQ(got.street, want.street) << i;
      EXPECT_EQ(Visible(got.postal), Visible(want.postal)) << i;
    }
  }
  std::size_t arriving = 0;
  for (const exchange::ExportList& list : folder.lists) {
    if (!exchange::Arrives(list, target->dropsEmptyLists)) continue;
    ASSERT_LT(arriving, read.file.groups.size()) << list.title << "\n" << text;
    const std::size_t g = arriving++;
    EXPECT_EQ(read.file.groups[g].name, trip.originalTitles ? list.original : list.title);
    std::vector<std::string> reached;
    std::set<std::size_t> inside;
    Reach(read.file, g, reached, inside);
    std::vector<std::string> wanted;
    for (const exchange::ExportMember& m : list.members) wanted.emplace_back(m.address);
    if (!trip.ordered) {
      std::sort(reached.begin(), reached.end());
      std::sort(wanted.begin(), wanted.end());
    }
    EXPECT_EQ(reached, wanted) << list.title;
  }
  EXPECT_EQ(read.file.groups.size(), arriving) << Describe(read.file);
}

const RoundTrip kRoundTrips[] = {
    {"thunderbird", "thunderbird", kAll, false, true},
    {"ldap", "ldap", kNames | kOthers, false, true},
    {"vcard4", "vcard", kAll, false, true},
    {"apple", "apple", kAll, false, true},
    {"google", "google", kAll, false, false},
    {"outlook", "outlook", kNames | kOthers, false, false},
    {"mutt", "mutt", kNames, true, true},
};

INSTANTIATE_TEST_SUITE_P(Targets, ImportRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& param) { return std::string(param.param.target); });

// `books --format csv` reads back as a plain sheet, every field.
TEST(ImportRoundTrip, BooksCsvReadsBackAsAPlainSheet) {
  const exchange::ExportFolder folder = SampleFolder(exchange::kAnyTitle);
  std::string text;
  exchange::AppendContactCsvHeader(text);
  for (const auto& c : folder.contacts) exchange::AppendContactCsv(c.Fields(), text);
  const ImportRead read = Read("csv", text);
  ASSERT_FALSE(read.fault) << read.fault->what;
  ASSERT_EQ(read.file.contacts.size(), folder.contacts.size());
  for (std::size_t i = 0; i < folder.contacts.size(); ++i) {
    const engine::BookRecord want = RecordOf(folder.contacts[i].Fields());
    const engine::BookRecord& got = read.file.contacts[i].fields;
    for (const auto field :
         {&engine::BookRecord::name, &engine::BookRecord::address, &engine::BookRecord::company,
          &engine::BookRecord::phone, &engine::BookRecord::notes, &engine::BookRecord::key,
          &engine::BookRecord::street, &engine::BookRecord::postal, &engine::BookRecord::fax}) {
      EXPECT_EQ(got.*field, want.*field) << i;
    }
  }
}

}  // namespace
