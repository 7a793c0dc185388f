#!/usr/bin/python3
"""quillmer-cli export: each target read back by the real program's reader.

  export_test.py MAKE_ADDRESS_BOOK QUILLMER_CLI TARGET [VCARD_CHECK_CLASSES]

A folder holding every case a list can hold is written with the project's
own book writer; the export is read back by the target's reader from Debian
(python3-ldap's ldif parser, slapd and ldapsearch, ez-vcard and
python3-vobject, Python's csv, mutt) and, for every list, the set of
addresses that arrives is compared with the set `expand --format to` gives.
"""
import csv
import email.utils
import io
import os
import shutil
import subprocess
import sys
import tempfile

# name | address | company | phone | notes | key, in code page 1252.
PEOPLE = (b"title: People\n"
          b"Ren\xe9 Dupont | rene@example.fr | Soci\xe9t\xe9 | +33 1 45 | caf\xe9 | RENE\n"
          b"Smith, Jo | jo@example.org | | | | JO\n"
          b"Ann \"The Boss\" Lee | ann@example.org\n"
          b"Bob+Alice Team | team@example.org | | 0800 \xe9t\xe9\n"
          b"Nomail |\n"
          b"Zo\xeb \xc5str\xf6m | zoe@example.se\n"
          b"Smith, Jo | jo@example.org\n"
          b"Pat | pat@example.org\n"
          b"PAT | Pat@Example.org\n"
          b"Sam | sam@one.example\n"
          b"Sam | sam@two.example\n")
LISTS = {
    "FRIENDS.PML": b"\\TITLE Friends\r\nren\xe9 dupont\r\nsmith, jo\r\ncarol@example.net\r\n"
                   b"\"Dee Doe\" <dee@example.net>\r\nUnknown Person\r\nnomail\r\njo@example.org\r\n"
                   b"ann \"the boss\" lee\r\nbob+alice team\r\nZo\xeb \xc5str\xf6m\r\n",
    "CLUB.PML": b"\\TITLE Friends\r\npat\r\nCarol@Example.net\r\nsam\r\nRen\xe9 Dupont\r\n",
    "EMPTY.PML": b"\\TITLE Nobody\r\nno one\r\nnomail\r\n",
    "BOARD.PML": b"\\TITLE Board; Caf\xe9, \"Club\"+\r\nsmith, jo\r\nPAT\r\nx@example.com\r\n",
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


def compare(got, want, what):
    if got != want:
        print(f"{what} differ:\n got  {got}\n want {want}")
        sys.exit(1)


def same_sets(got, want, dropped=()):
    """got: {file: set}; lists the target drops are those with no member."""
    want = {f: s for f, s in want.items() if f not in dropped}
    compare({f: {a.lower() for a in s} for f, s in got.items()}, want, "members per list")


def check_thunderbird(data, want, work, cli, folder):
    import ldif
    records = ldif.LDIFRecordList(io.BytesIO(data))
    records.parse()
    dns = {dn: attrs for dn, attrs in records.all_records}
    assert len(dns) == len(records.all_records), "a dn is shared"
    assert b"\nobjectclass: groupOfNames\n" in data, "groupOfNames must stay readable"
    got = {}
    for dn, attrs in records.all_records:
        if b"groupOfNames" not in attrs["objectclass"]:
            continue
        members = set()
        for value in attrs.get("member", []):
            member = value.decode("utf-8")
            assert member in dns, f"Evolution: member {member} is no dn of the file"
            address = member.rsplit(",mail=", 1)[1]
            assert [address.encode()] == dns[member]["mail"], f"Thunderbird: {member}"
            members.add(address)
        got[attrs["description"][0].decode()] = members
    same_sets(got, want)
    titles = sorted(a["cn"][0].decode() for a in dns.values() if b"groupOfNames" in a["objectclass"])
    compare(titles, ["Board; Caf\u00e9, \"Club\"+", "Friends", "Friends (2)", "Nobody"], "titles")


BASE = "dc=example,dc=org"


def check_ldap(data, want, work, cli, folder):
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
                                    "-b", BASE, "(objectClass=*)", "cn", "mail", "member",
                                    "description"], capture_output=True)
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
    for dn, attrs in records.all_records:
        if dn.lower().endswith(",ou=lists," + BASE) and "member" in attrs:
            got[attrs["description"][0].decode()] = {
                entries[m.decode().lower()]["mail"][0].decode() for m in attrs["member"]}
    same_sets(got, want, dropped=("EMPTY.PML",))


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


def check_vcard4(data, want, work, cli, folder, classes=None):
    cards = vcard_check(data, work, classes)
    assert all(data.count(b"BEGIN:VCARD\r\nVERSION:4.0\r\n") == len(cards) for _ in [0])
    by_uid = {c.uid.value: c for c in cards}
    got = {}
    titles = []
    for card in cards:
        if "kind" not in card.contents:
            continue
        titles.append(card.fn.value)
        members = set()
        for m in card.contents.get("member", []):
            if m.value.startswith("mailto:"):
                members.add(m.value[len("mailto:"):])
            else:
                members.add(by_uid[m.value].email.value)
        got[card.fn.value] = members
    compare(sorted(titles), ["Board; Caf\u00e9, \"Club\"+", "Friends", "Friends (2)", "Nobody"],
            "group titles")
    by_title = {"Board; Caf\u00e9, \"Club\"+": "BOARD.PML", "Nobody": "EMPTY.PML"}
    same_sets(by_file(got, by_title, want), want)
    again = run([cli, "export", "--to", "vcard4", folder]).stdout
    compare(again, data, "a second run")


def by_file(got, known, want):
    """Titles to files; the two lists titled Friends told apart by members."""
    out = {}
    for title, members in got.items():
        if title in known:
            out[known[title]] = members
        else:
            out["FRIENDS.PML" if {m.lower() for m in members} == want["FRIENDS.PML"] else "CLUB.PML"] = members
    return out


def check_apple(data, want, work, cli, folder, classes=None):
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
    same_sets(by_file(got, {"Board; Caf\u00e9, \"Club\"+": "BOARD.PML", "Nobody": "EMPTY.PML"},
                      want), want)


def check_csv(data, want, encoding, column, separator, extra):
    rows = list(csv.DictReader(io.StringIO(data.decode(encoding), newline="")))
    got = {}
    for row in rows:
        labels = [l for l in row[column].split(separator) if l and l not in extra]
        for label in labels:
            got.setdefault(label, set()).add(row["E-mail 1 - Value" if "E-mail 1 - Value" in row
                                                 else "E-mail Address"])
    return rows, got


def check_google(data, want, work, cli, folder):
    rows, got = check_csv(data, want, "utf-8", "Labels", " ::: ", ("* myContacts",))
    assert all(r["Labels"].endswith("* myContacts") for r in rows)
    rene = next(r for r in rows if r["E-mail 1 - Value"] == "rene@example.fr")
    compare((rene["Given Name"], rene["Family Name"]), ("Ren\u00e9", "Dupont"), "names")
    same_sets(by_file(got, {"Board; Caf\u00e9, \"Club\"+": "BOARD.PML"}, want), want,
              dropped=("EMPTY.PML",))


def check_outlook(data, want, work, cli, folder):
    data.decode("utf-8", errors="strict") if False else None
    assert b"\xc3" not in data, "not UTF-8: the Windows code page"
    rows, got = check_csv(data, want, "cp1252", "Categories", ";", ())
    same_sets(by_file(got, {"Board, Caf\u00e9, \"Club\"+": "BOARD.PML"}, want), want,
              dropped=("EMPTY.PML",))


def check_mutt(data, want, work, cli, folder):
    aliases = os.path.join(work, "aliases")
    with open(aliases, "wb") as f:
        f.write(data)
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
    keys = {}
    for line in data.decode("utf-8").split("\n"):
        if line.startswith("# "):
            keys["pending"] = line.rsplit("(", 1)[1].rstrip(")")
        elif line.startswith("alias ") and "pending" in keys:
            keys[line.split(" ")[1]] = keys.pop("pending")
    for key, file in keys.items():
        if os.path.exists(record):
            os.remove(record)
        env = {**os.environ, "HOME": work, "LANG": "C.UTF-8"}
        run(["mutt", "-n", "-F", muttrc, "-s", "test", "--", key], input=b"hello\n", env=env)
        with open(record) as f:
            args = f.read().split("\n")
        got[file] = {a for a in args[args.index("--") + 1:] if a}
    same_sets(got, want, dropped=("EMPTY.PML",))


TARGETS = {"thunderbird": check_thunderbird, "ldap": check_ldap, "vcard4": check_vcard4,
           "apple": check_apple, "google": check_google, "outlook": check_outlook,
           "mutt": check_mutt}


def main():
    make_book, cli, target = sys.argv[1:4]
    with tempfile.TemporaryDirectory() as work:
        folder = os.path.join(work, "mail")
        make_folder(make_book, folder)
        want = expected(cli, folder)
        args = [cli, "export", "--to", target] + (["--base", BASE] if target == "ldap" else [])
        result = run(args + [folder])
        assert result.stderr.count(b"\n") == 1, result.stderr
        check = TARGETS[target]
        if target in ("vcard4", "apple"):
            check(result.stdout, want, work, cli, folder, classes=sys.argv[4])
        else:
            check(result.stdout, want, work, cli, folder)
    print(f"{target}: ok")


if __name__ == "__main__":
    main()
