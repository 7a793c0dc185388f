#!/usr/bin/python3
"""quillmer-cli export: each target imported by the program that reads it.

  export_test.py MAKE_ADDRESS_BOOK QUILLMER_CLI TARGET [--classes DIR] [--kcontacts PROGRAM]

TARGET is an export target, or books-vcard (`books --format vcard` into
Thunderbird and KDE). A folder holding the titles people write (every
character a target refuses, two blanks, accents, two lists with one title,
an empty title, an empty list) and records with every field filled is
written with the project's own book writer. The export is imported by the
target's own reader from Debian: Thunderbird itself (headless, its own
importer), slapd and ldapsearch, KDE's KContacts, ez-vcard and
python3-vobject, Python's csv, mutt. For every list: it arrives under the
title `export --report` announces, with exactly the addresses `expand
--format to` gives; a list the target cannot hold is named on standard
error. For every record: each field lands in a field the program keeps.
"""
import csv
import email.utils
import io
import json
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import thunderbird_import  # noqa: E402

# name | address | company | phone | notes | key | street | postal | fax, in
# code page 1252. The first four have every field filled.
PEOPLE = (b"title: People\n"
          b"Ren\xe9 Dupont | rene@example.fr | Soci\xe9t\xe9; G\xe9n\xe9rale | +33 1 45 | "
          b"caf\xe9, cr\xe8me | RENE | 1 rue Haute | BP 12\\24 \\ $ Paris | +33 1 46\n"
          b"Smith, Jo | jo@example.org | Smith & Sons | 555 1234 | likes lists | JO | "
          b"2 High St | PO Box 3$Leeds | 555 1235\n"
          b"Ann \"The Boss\" Lee | ann@example.org | Lee, Ltd | 0800 \xe9t\xe9 | the boss | ANN | "
          b"3 Low Rd | Box 4 | 0800 2\n"
          b"Helper; One | helper@example.org | Help Desk | +1 555 | notes here | HELP | "
          b"4 Side St | PO Box 9 | +1 556\n"
          b"Bob+Alice Team | team@example.org\n"
          b"Nomail |\n"
          b"Zo\xeb \xc5str\xf6m | zoe@example.se\n"
          b"Smith, Jo | jo@example.org\n"
          b"Pat | pat@example.org\n"
          b"PAT | Pat@Example.org\n"
          b"Sam | sam@one.example\n"
          b"Sam | sam@two.example\n")
FIELDS = ("name", "address", "company", "phone", "notes", "key", "street", "postal", "fax")
FULL = [dict(zip(FIELDS, (f.strip() for f in line.decode("cp1252").split("|"))))
        for line in PEOPLE.split(b"\n")[1:5]]

LISTS = {
    "FRIENDS.PML": b"\\TITLE Friends\r\nren\xe9 dupont\r\nsmith, jo\r\ncarol@example.net\r\n"
                   b"\"Dee Doe\" <dee@example.net>\r\nUnknown Person\r\nnomail\r\njo@example.org\r\n"
                   b"ann \"the boss\" lee\r\nbob+alice team\r\nZo\xeb \xc5str\xf6m\r\n",
    "CLUB.PML": b"\\TITLE Friends\r\npat\r\nCarol@Example.net\r\nsam\r\nRen\xe9 Dupont\r\n",
    "EMPTY.PML": b"\\TITLE Nobody, really\r\nno one\r\nnomail\r\n",
    "BOARD.PML": b"\\TITLE Board; Caf\xe9, \"Club\"+\r\nsmith, jo\r\nPAT\r\nx@example.com\r\n",
    "TEAM.PML": b"\\TITLE Team <core>\r\nhelper; one\r\nann \"the boss\" lee\r\n",
    "COMMITTE.PML": b"\\TITLE Board, Committee & Friends\r\nsmith, jo\r\nzo\xeb \xc5str\xf6m\r\n",
    "CHOIR.PML": b"\\TITLE Choir; sopranos\r\nann \"the boss\" lee\r\nsoprano@example.org\r\n",
    "OLD.PML": b"\\TITLE The \"Old\" Team\r\npat\r\n",
    "TWO.PML": b"\\TITLE Two  spaces\r\nsam\r\n",
    "TWOONE.PML": b"\\TITLE Two spaces\r\nhelper@example.org\r\n",
    "CAFE.PML": b"\\TITLE Caf\xe9 Cr\xe8me\r\nren\xe9 dupont\r\n",
    "ZED.PML": b"\\TITLE Zed plain\r\nbob+alice team\r\n",
    "NOTITLE.PML": b"\\TITLE \r\nzed@example.org\r\n",
    "LABELS.PML": b"\\TITLE Mix:::Match\r\npat\r\nsam\r\n",
}


def run(args, **kw):
    return subprocess.run(args, capture_output=True, check=True, **kw)


def make_folder(make_book, folder):
    os.mkdir(folder)
    src = os.path.join(folder, "people.txt")
    with open(src, "wb") as f:
        f.write(PEOPLE)
    run([make_book, src, os.path.join(folder, "PEOPLE.PMR")])
    os.remove(src)
    for name, data in LISTS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def expected(cli, folder):
    """{file: {address, case folded}} as expand --format to reaches them."""
    sets = {}
    for name in LISTS:
        line = run([cli, "expand", "--format", "to", folder, name]).stdout.decode("cp1252")
        sets[name] = {a.lower() for _, a in email.utils.getaddresses([line]) if a}
    return sets


def announced(cli, folder, target, args):
    """{file: title} of the lists that arrive, as --report announces them."""
    titles = {}
    for line in run([cli, "export", "--to", target, "--report"] + args + [folder]).stdout \
            .decode("utf-8").splitlines():
        file, title, members, _, _, changes = line.split("\t")
        if changes.startswith("left out"):
            continue
        renamed = re.search(r"renamed to '(.*)'(?:; |$)", changes)
        titles[file] = renamed.group(1) if renamed else title
    return titles


def compare(got, want, what):
    if got != want:
        print(f"{what} differ:\n got  {got}\n want {want}")
        sys.exit(1)


def arrived(got, want, titles):
    """got: {title: addresses} as the target read it."""
    compare({t: {a.lower() for a in s} for t, s in got.items()},
            {titles[f]: want[f] for f in titles}, "lists (title: members)")


def fields(record, **changes):
    """What a reader should give of `record`: its fields, some as the
    target keeps them."""
    return {**record, **changes}


def compare_fields(got, keep, what):
    """got: {address: {field: value}}; only the fields in `keep`."""
    want = {r["address"]: {k: v for k, v in r.items() if k in keep} for r in FULL}
    compare({a: {k: v for k, v in got[a].items() if k in keep} for a in want if a in got}, want,
            what + " fields")


# ------------------------------------------------------------ Thunderbird

def thunderbird_cards(result):
    assert result["error"] is None, result["error"]
    compare(result["refused"], [], "list names Thunderbird refused")
    cards = {}
    for card in result["cards"]:  # the first of two records with one address
        cards.setdefault(card.get("PrimaryEmail", ""), card)
    return cards


def check_thunderbird(data, want, titles, work, stderr):
    import ldif
    records = ldif.LDIFRecordList(io.BytesIO(data))
    records.parse()
    dns = {dn: attrs for dn, attrs in records.all_records}
    assert len(dns) == len(records.all_records), "a dn is shared"
    assert b"\nobjectclass: groupOfNames\n" in data, "groupOfNames must stay readable"
    for dn, attrs in records.all_records:
        for value in attrs.get("member", []):
            assert value.decode("utf-8") in dns, f"Evolution: member {value} is no dn of the file"
    if not thunderbird_import.available():
        print("thunderbird missing: only python3-ldap read the file")
        sys.exit(1)
    path = os.path.join(work, "export.ldif")
    with open(path, "wb") as f:
        f.write(data)
    result = thunderbird_import.import_file(path, "ldif", work)
    cards = thunderbird_cards(result)
    arrived({l["name"]: set(l["members"]) for l in result["lists"]}, want, titles)
    compare(len(result["lists"]), len(titles), "lists Thunderbird made")
    compare_fields({a: {"name": c.get("DisplayName", ""), "address": a,
                        "company": c.get("Company", ""), "phone": c.get("WorkPhone", ""),
                        "notes": c.get("Notes", ""), "key": c.get("NickName", ""),
                        "street": c.get("WorkAddress", ""), "postal": c.get("WorkAddress2", ""),
                        "fax": c.get("FaxNumber", "")} for a, c in cards.items()},
                   FIELDS, "Thunderbird (LDIF)")


# ------------------------------------------------------------ LDAP

BASE = "dc=example,dc=org"


def postal_lines(value):
    """An RFC 4517 Postal Address: lines between "$", \\5C and \\24 the only
    escapes."""
    lines = []
    for line in value.split("$"):
        out = ""
        i = 0
        while i < len(line):
            if line[i] == "\\":
                code = line[i + 1:i + 3].upper()
                assert code in ("5C", "24"), f"bad escape in postalAddress {value!r}"
                out += "\\" if code == "5C" else "$"
                i += 3
            else:
                out += line[i]
                i += 1
        lines.append(out)
    return "\n".join(lines)


def check_ldap(data, want, titles, work, stderr):
    db = os.path.join(work, "db")
    os.mkdir(db)
    conf = os.path.join(work, "slapd.conf")
    with open(conf, "w") as f:
        f.write("".join(f"include /etc/ldap/schema/{s}.schema\n" for s in ("core", "cosine", "inetorgperson")))
        f.write(f"pidfile {work}/slapd.pid\nmodulepath /usr/lib/ldap\nmoduleload back_mdb\n"
                f"database mdb\nsuffix \"{BASE}\"\nrootdn \"cn=admin,{BASE}\"\ndirectory {db}\n")
    top = f"dn: {BASE}\nobjectclass: top\nobjectclass: dcObject\nobjectclass: organization\n" \
          f"dc: example\no: Example\n\n".encode()
    ldif_file = os.path.join(work, "all.ldif")
    with open(ldif_file, "wb") as f:
        f.write(top + data)
    added = subprocess.run(["/usr/sbin/slapadd", "-f", conf, "-l", ldif_file], capture_output=True)
    assert added.returncode == 0, added.stderr.decode(errors="replace")
    sock = os.path.join(work, "ldapi")
    url = "ldapi://" + sock.replace("/", "%2F")
    server = subprocess.Popen(["/usr/sbin/slapd", "-f", conf, "-h", url, "-d", "0"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        found = None
        for _ in range(100):
            found = subprocess.run(["ldapsearch", "-x", "-LLL", "-o", "ldif-wrap=no", "-H", url,
                                    "-b", BASE, "(objectClass=*)"], capture_output=True)
            if found.returncode == 0:
                break
            server.poll()
            assert server.returncode is None, "slapd ended"
            import time
            time.sleep(0.1)
        assert found.returncode == 0, found.stderr
    finally:
        server.terminate()
        server.wait(timeout=30)
    import ldif
    records = ldif.LDIFRecordList(io.BytesIO(found.stdout))
    records.parse()
    entries = {dn.lower(): a for dn, a in records.all_records}
    got = {}
    contacts = {}
    for dn, attrs in records.all_records:
        value = {k: v[0].decode() for k, v in attrs.items()}
        if dn.lower().endswith(",ou=lists," + BASE):
            got[value["cn"]] = {entries[m.decode().lower()]["mail"][0].decode()
                                for m in attrs.get("member", [])}
        elif "mail" in value:
            contacts[value["mail"]] = {
                "name": value["cn"], "address": value["mail"], "company": value.get("o", ""),
                "phone": value.get("telephoneNumber", ""), "notes": value.get("description", ""),
                "street": value.get("street", ""),
                "postal": postal_lines(value.get("postalAddress", "")),
                "fax": value.get("facsimileTelephoneNumber", "")}
    arrived(got, want, titles)
    # A number LDAP's telephone syntax cannot hold goes to the notes.
    ann = contacts["ann@example.org"]
    compare((ann["phone"], ann["notes"]), ("", "the boss\nPhone: 0800 \u00e9t\u00e9"), "Ann's phone")
    contacts["ann@example.org"].update(phone="0800 \u00e9t\u00e9", notes="the boss")
    compare_fields(contacts, set(FIELDS) - {"key"}, "slapd")


# ------------------------------------------------------------ vCard

def vcard_check(data, work, classes):
    path = os.path.join(work, "cards.vcf")
    with open(path, "wb") as f:
        f.write(data)
    cp = os.pathsep.join([classes, "/usr/share/java/ez-vcard.jar", "/usr/share/java/vinnie.jar"])
    result = subprocess.run(["java", "-cp", cp, "VCardCheck", path], capture_output=True)
    assert result.returncode == 0, result.stdout.decode() + result.stderr.decode()
    import vobject
    for line in data.split(b"\r\n"):
        assert len(line) <= 75, line
    return list(vobject.readComponents(data.decode("utf-8")))


def kde_cards(data, work, kcontacts):
    path = os.path.join(work, "kde.vcf")
    with open(path, "wb") as f:
        f.write(data)
    return json.loads(run([kcontacts, path]).stdout)


def kde_fields(cards):
    out = {}
    for c in cards:
        if c["kind"] == "group" or not c["emails"]:
            continue
        phones = [p["number"] for p in c["phones"] if not p["fax"]]
        faxes = [p["number"] for p in c["phones"] if p["fax"]]
        streets = [a["street"] for a in c["addresses"]]
        out.setdefault(c["emails"][0], {
            "name": c["fn"], "address": c["emails"][0], "company": c["org"], "key": c["nickname"],
            "notes": c["note"], "phone": phones[0] if phones else "",
            "fax": faxes[0] if faxes else "", "street": streets[0] if streets else "",
            "postal": streets[1] if len(streets) > 1 else ""})
    return out


def vobject_fields(cards):
    out = {}
    for c in cards:
        if "email" not in c.contents:
            continue
        tels = c.contents.get("tel", [])
        adrs = c.contents.get("adr", [])
        out[c.email.value] = {
            "name": c.fn.value, "address": c.email.value,
            "company": ";".join(c.org.value) if "org" in c.contents else "",
            "key": c.nickname.value if "nickname" in c.contents else "",
            "notes": c.note.value if "note" in c.contents else "",
            "phone": next((t.value for t in tels if "FAX" not in t.params.get("TYPE", [])), ""),
            "fax": next((t.value for t in tels if "FAX" in t.params.get("TYPE", [])), ""),
            "street": adrs[0].value.street if adrs else "",
            "postal": adrs[1].value.street if len(adrs) > 1 else ""}
    return out


def check_vcard4(data, want, titles, work, stderr, classes=None, kcontacts=None, **_):
    cards = vcard_check(data, work, classes)
    assert data.count(b"BEGIN:VCARD\r\nVERSION:4.0\r\n") == len(cards)
    by_uid = {c.uid.value: c for c in cards}
    got = {}
    for card in cards:
        if "kind" not in card.contents:
            continue
        members = set()
        for m in card.contents.get("member", []):
            if m.value.startswith("mailto:"):
                members.add(m.value[len("mailto:"):])
            else:
                members.add(by_uid[m.value].email.value)
        got[card.fn.value] = members
    arrived(got, want, titles)
    compare_fields(vobject_fields(cards), FIELDS, "vobject (vCard 4)")
    # KDE: every group under its title with its members, every field.
    kde = kde_cards(data, work, kcontacts)
    by_kde_uid = {c["uid"]: c for c in kde}
    groups = {}
    for c in kde:
        if c["kind"] == "group":
            groups[c["fn"]] = {m[len("mailto:"):] if m.startswith("mailto:")
                               else by_kde_uid[m]["emails"][0] for m in c["members"]}
    arrived(groups, want, titles)
    compare_fields(kde_fields(kde), FIELDS, "KDE (vCard 4)")


def check_apple(data, want, titles, work, stderr, classes=None, **_):
    cards = vcard_check(data, work, classes)
    by_uid = {c.uid.value: c for c in cards}
    got = {}
    for card in cards:
        if "x-addressbookserver-kind" not in card.contents:
            continue
        members = set()
        for m in card.contents.get("x-addressbookserver-member", []):
            assert m.value.startswith("urn:uuid:"), m.value
            members.add(by_uid[m.value[len("urn:uuid:"):]].email.value)
        got[card.fn.value] = members
    arrived(got, want, titles)
    compare_fields(vobject_fields(cards), FIELDS, "vobject (Apple)")


# ------------------------------------------------------------ CSV

def csv_lists(data, encoding, column, address, separator, extra):
    rows = list(csv.DictReader(io.StringIO(data.decode(encoding), newline="")))
    got = {}
    for row in rows:
        for label in row[column].split(separator):
            if label and label not in extra:
                got.setdefault(label, set()).add(row[address])
    return rows, got


def check_google(data, want, titles, work, stderr):
    rows, got = csv_lists(data, "utf-8", "Labels", "E-mail 1 - Value", " ::: ", ("* myContacts",))
    assert all(r["Labels"].endswith("* myContacts") for r in rows)
    rene = next(r for r in rows if r["E-mail 1 - Value"] == "rene@example.fr")
    compare((rene["Given Name"], rene["Family Name"]), ("Ren\u00e9", "Dupont"), "names")
    arrived(got, want, titles)
    compare_fields({r["E-mail 1 - Value"]: {
        "name": r["Name"], "address": r["E-mail 1 - Value"], "company": r["Organization 1 - Name"],
        "key": r["Nickname"], "notes": r["Notes"], "phone": r["Phone 1 - Value"],
        "fax": r["Phone 2 - Value"], "street": r["Address 1 - Formatted"],
        "postal": r["Address 2 - Formatted"]} for r in rows}, FIELDS, "Google CSV")


def check_outlook(data, want, titles, work, stderr):
    assert b"\xc3" not in data, "not UTF-8: the Windows code page"
    rows, got = csv_lists(data, "cp1252", "Categories", "E-mail Address", ";", ())
    arrived(got, want, titles)
    compare_fields({r["E-mail Address"]: {
        "name": r["E-mail Display Name"], "address": r["E-mail Address"],
        "company": r["Company"], "notes": r["Notes"], "phone": r["Business Phone"],
        "fax": r["Business Fax"], "street": r["Business Street"],
        "postal": r["Other Street"]} for r in rows}, set(FIELDS) - {"key"}, "Outlook CSV")


# ------------------------------------------------------------ mutt

def mutt_recipients(aliases, keys, work):
    """{key: addresses} as mutt itself sends a message to each alias key of
    the alias file `aliases` (sourced and set as its alias file): the
    arguments mutt gives its sendmail."""
    record = os.path.join(work, "sent")
    sendmail = os.path.join(work, "sendmail")
    with open(sendmail, "w") as f:
        f.write(f"#!/bin/sh\ncat >/dev/null\nprintf '%s\\n' \"$@\" > '{record}'\n")
    os.chmod(sendmail, 0o755)
    muttrc = os.path.join(work, "muttrc")
    with open(muttrc, "w") as f:
        f.write(f"set sendmail=\"{sendmail}\"\nset charset=utf-8\nset from=me@example.org\n"
                f"set use_from=yes\nset copy=no\nset record=\"\"\nset alias_file=\"{aliases}\"\n"
                f"source \"{aliases}\"\n")
    got = {}
    for key in keys:
        if os.path.exists(record):
            os.remove(record)
        env = {**os.environ, "HOME": work, "LANG": "C.UTF-8"}
        run(["mutt", "-n", "-F", muttrc, "-s", "test", "--", key], input=b"hello\n", env=env)
        with open(record) as f:
            args = f.read().split("\n")
        got[key] = {a for a in args[args.index("--") + 1:] if a}
    return got


def check_mutt(data, want, titles, work, stderr):
    aliases = os.path.join(work, "aliases")
    with open(aliases, "wb") as f:
        f.write(data)
    # A list is known in mutt by its alias key, the title the report gives.
    arrived(mutt_recipients(aliases, titles.values(), work), want, titles)


# ------------------------------------------------------------ books --format vcard

def check_books_vcard(cli, folder, work, kcontacts):
    """books --format vcard (vCard 3.0) into Thunderbird and KDE."""
    data = run([cli, "books", "--format", "vcard", folder]).stdout
    path = os.path.join(work, "books.vcf")
    with open(path, "wb") as f:
        f.write(data)
    # KDE, too, shows FN:Helper\; One with its backslash.
    kde = kde_fields(kde_cards(data, work, kcontacts))
    compare(kde["helper@example.org"]["name"], "Helper\\; One", "KDE's reading of FN:Helper\\; One")
    kde["helper@example.org"]["name"] = "Helper; One"
    compare_fields(kde, FIELDS, "KDE (vCard 3)")
    if not thunderbird_import.available():
        print("thunderbird missing")
        sys.exit(1)
    cards = thunderbird_cards(thunderbird_import.import_file(path, "vcard", work))
    # Thunderbird's vCard import keeps one address of a kind (the postal
    # one is dropped: export --to thunderbird keeps it), and shows \; in
    # FN and NOTE with its backslash where RFC 2426 asks for it; ORG's
    # escaped semicolon parts company and department.
    got = {a: {"name": c.get("DisplayName", "").replace("\\;", ";"), "address": a,
               "company": ";".join(filter(None, (c.get("Company", ""), c.get("Department", "")))),
               "phone": c.get("WorkPhone", ""), "notes": c.get("Notes", "").replace("\\;", ";"),
               "key": c.get("NickName", ""), "street": c.get("WorkAddress", ""),
               "fax": c.get("FaxNumber", "")} for a, c in cards.items()}
    compare_fields(got, set(FIELDS) - {"postal"}, "Thunderbird (vCard 3)")
    helper = cards["helper@example.org"]
    compare(helper["DisplayName"], "Helper\\; One", "Thunderbird's reading of FN:Helper\\; One")


TARGETS = {"thunderbird": check_thunderbird, "ldap": check_ldap, "vcard4": check_vcard4,
           "apple": check_apple, "google": check_google, "outlook": check_outlook,
           "mutt": check_mutt}
DROPS_EMPTY = ("ldap", "google", "outlook", "mutt")


def main():
    make_book, cli, target = sys.argv[1:4]
    options = dict(zip(sys.argv[4::2], sys.argv[5::2]))
    with tempfile.TemporaryDirectory() as work:
        folder = os.path.join(work, "mail")
        make_folder(make_book, folder)
        if target == "books-vcard":
            check_books_vcard(cli, folder, work, options["--kcontacts"])
            print(f"{target}: ok")
            return
        want = expected(cli, folder)
        args = ["--base", BASE] if target == "ldap" else []
        titles = announced(cli, folder, target, args)
        result = run([cli, "export", "--to", target] + args + [folder])
        stderr = result.stderr.decode("utf-8").splitlines()
        # The summary, after a line for each list left out.
        left_out = [l for l in stderr if " left out: " in l and l.startswith("quillmer-cli: list ")]
        compare(len(left_out) + 1, len(stderr), "lines on standard error")
        compare(left_out, [f"quillmer-cli: list 'Nobody, really' (EMPTY.PML) left out: {target} "
                           "cannot hold a list without members"] if target in DROPS_EMPTY else [],
                "lists named as left out")
        compare(set(titles), set(LISTS) - ({"EMPTY.PML"} if target in DROPS_EMPTY else set()),
                "lists announced")
        TARGETS[target](result.stdout, want, titles, work, stderr,
                        **({"classes": options.get("--classes"),
                            "kcontacts": options.get("--kcontacts")}
                           if target in ("vcard4", "apple") else {}))
        if target == "vcard4":
            again = run([cli, "export", "--to", "vcard4", folder]).stdout
            compare(again, result.stdout, "a second run")
    print(f"{target}: ok")


if __name__ == "__main__":
    main()
