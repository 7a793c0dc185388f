#!/usr/bin/python3
"""quillmer-cli books: the exports read by real consumers from Debian.

  consumers_test.py MAKE_ADDRESS_BOOK QUILLMER_CLI CONSUMER

CONSUMER is one of csv, vcard-vobject, vcard-abook, ldif-python-ldap,
ldif-abook. Address books are written by the project's own writer from
sources in code page 1252; what each consumer reads back is compared with
those sources decoded by Python's own cp1252 codec: names, e-mail addresses
and a field with accented letters.
"""
import configparser
import csv
import io
import os
import subprocess
import sys
import tempfile

# name | address | company | phone | notes | key | street | postal | fax, in
# code page 1252 (b"\xe9" is e with an acute accent).
BOOKS = {
    "FRIENDS": b"title: Friends\n"
    b"Ren\xe9 Dupont | rene@example.fr | Soci\xe9t\xe9 G\xe9n\xe9rale | +33 1 45 | "
    b"caf\xe9, cr\xe8me; \\ fin | RENE | 1 rue Haute | BP 12, Paris | +33 1 46\n"
    b"Smith, Jo | jo@example.org | Smith & Sons | | | JO\n"
    b"Zo\xeb \xc5str\xf6m | zoe@example.se | \xc5str\xf6m AB\n"
    b"Leading Blank | blank@example.org | :colon\n"
    b"Long Notes | long@example.org | Na\xefve Ltd | | " + b"\xe9t\xe9 " * 19 + b"\n",
    "WORK": b"title: Work\n"
    b"Sales Team | sales@example.com | Caf\xe9 du Coin\n"
    b"| only-address@example.com\n",
}


def cp1252(text_bytes):
    return text_bytes.decode("cp1252")


def expected_contacts(shown_name=False):
    """(name, email, company) per contact, from the sources. shown_name: a
    contact without a name is known by its address (vCard FN, LDIF cn)."""
    contacts = []
    for source in BOOKS.values():
        for line in source.split(b"\n")[1:]:
            if not line.strip():
                continue
            fields = [f.strip() for f in line.split(b"|")] + [b""] * 9
            name = fields[0] or (fields[1] if shown_name else b"")
            contacts.append((cp1252(name), cp1252(fields[1]), cp1252(fields[2])))
    return sorted(contacts)


def export(tools, fmt, folder):
    make_book, cli = tools
    for name, source in BOOKS.items():
        src = os.path.join(folder, name + ".book.txt")
        with open(src, "wb") as f:
            f.write(source)
        subprocess.run([make_book, src, os.path.join(folder, name + ".PMR")], check=True)
        os.remove(src)
    before = {n: os.stat(os.path.join(folder, n)).st_mtime_ns for n in os.listdir(folder)}
    result = subprocess.run([cli, "books", "--format", fmt, folder], capture_output=True,
                            check=True)
    after = {n: os.stat(os.path.join(folder, n)).st_mtime_ns for n in os.listdir(folder)}
    assert before == after, "the mail folder changed"
    assert result.stderr == b"", result.stderr
    return result.stdout


def abook(fmt, data, home):
    path = os.path.join(home, "input")
    with open(path, "wb") as f:
        f.write(data)
    out = subprocess.run(
        ["abook", "--convert", "--informat", fmt, "--infile", path, "--outformat", "abook",
         "--outfile", "-"], capture_output=True, check=True, env={**os.environ, "HOME": home})
    book = configparser.ConfigParser(interpolation=None)
    book.read_string(out.stdout.decode("utf-8"))
    return [book[s] for s in book.sections() if s.isdigit()]


def compare(got, want, what):
    if got != want:
        print(f"{what} differ:\n got  {got}\n want {want}")
        sys.exit(1)


def check_csv(data, _):
    assert data.startswith(b"name,company,key,street,postal,phone,fax,notes,email,book\r\n")
    rows = list(csv.DictReader(io.StringIO(data.decode("utf-8"), newline="")))
    compare(sorted((r["name"], r["email"], r["company"]) for r in rows), expected_contacts(),
            "csv contacts")
    rene = next(r for r in rows if r["email"] == "rene@example.fr")
    compare((rene["notes"], rene["postal"], rene["book"]),
            ("caf\u00e9, cr\u00e8me; \\ fin", "BP 12, Paris", "FRIENDS.PMR"), "csv fields")


def check_vobject(data, _):
    import vobject

    for line in data.split(b"\r\n"):
        assert len(line) <= 75, line
    cards = list(vobject.readComponents(data.decode("utf-8")))
    got = []
    for card in cards:
        name = card.fn.value
        email = card.email.value if "email" in card.contents else ""
        org = card.org.value[0] if "org" in card.contents else ""
        got.append((name, email, org))
    compare(sorted(got), expected_contacts(shown_name=True), "vCard contacts")
    rene = next(c for c in cards if "email" in c.contents and c.email.value == "rene@example.fr")
    compare((rene.note.value, rene.nickname.value, rene.n.value.family, rene.n.value.given),
            ("caf\u00e9, cr\u00e8me; \\ fin", "RENE", "Dupont", "Ren\u00e9"), "vCard fields")
    long_notes = next(c for c in cards if c.fn.value == "Long Notes")
    compare(long_notes.note.value, cp1252(b"\xe9t\xe9 " * 19).strip(), "folded note")


def check_ldif_python_ldap(data, _):
    import ldif

    records = ldif.LDIFRecordList(io.BytesIO(data))
    records.parse()
    got = []
    for dn, attrs in records.all_records:
        assert b"mozillaAbPersonAlpha" in attrs["objectclass"], dn
        value = lambda a: attrs.get(a, [b""])[0].decode("utf-8")
        got.append((value("cn"), value("mail"), value("o")))
    compare(sorted(got), expected_contacts(shown_name=True), "LDIF contacts")
    dns = sorted(dn for dn, _ in records.all_records)
    assert "cn=Smith\\, Jo,mail=jo@example.org" in dns, dns
    assert "cn=only-address@example.com,mail=only-address@example.com" in dns, dns
    colon = next(a for dn, a in records.all_records if a["mail"] == [b"blank@example.org"])
    compare(colon["o"], [b":colon"], "base64 value")


def check_abook(fmt):
    def check(data, home):
        entries = abook(fmt, data, home)
        got = sorted((e.get("name", ""), e.get("email", "")) for e in entries)
        want = sorted((n, m) for n, m, _ in expected_contacts(shown_name=True))
        if fmt == "vcard":
            # abook reads vCard 2.1: it keeps 3.0's backslash escapes (\,) as
            # they are, so names holding a comma are left out of this look.
            got = [g for g in got if "\\" not in g[0]]
            want = [w for w in want if "," not in w[0]]
        compare(got, want, f"abook {fmt} names and addresses")
        rene = next(e for e in entries if e.get("email") == "rene@example.fr")
        compare(rene.get("name"), "Ren\u00e9 Dupont", "abook accented name")
        zoe = next(e for e in entries if e.get("email") == "zoe@example.se")
        compare(zoe.get("name"), "Zo\u00eb \u00c5str\u00f6m", "abook accented name")
    return check


CONSUMERS = {
    "csv": ("csv", check_csv),
    "vcard-vobject": ("vcard", check_vobject),
    "vcard-abook": ("vcard", check_abook("vcard")),
    "ldif-python-ldap": ("ldif", check_ldif_python_ldap),
    "ldif-abook": ("ldif", check_abook("ldif")),
}


def main():
    make_book, cli, consumer = sys.argv[1:4]
    fmt, check = CONSUMERS[consumer]
    with tempfile.TemporaryDirectory() as work:
        folder = os.path.join(work, "mail")
        home = os.path.join(work, "home")
        os.mkdir(folder)
        os.mkdir(home)
        check(export((make_book, cli), fmt, folder), home)
    print(f"{consumer}: ok")


if __name__ == "__main__":
    main()
