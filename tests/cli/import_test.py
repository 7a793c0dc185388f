#!/usr/bin/python3
"""quillmer-cli import: other programs' files brought back into a mail folder.

  import_test.py MAKE_ADDRESS_BOOK QUILLMER_CLI CASE [--kcontacts-write PROGRAM]

CASE is one of
  roundtrip-TARGET  every export target: the folder export_test.py builds
                    and the bundled sample folder exported with `export --to
                    TARGET`, imported into a new folder; every list the
                    target carried reaches the same addresses through
                    `expand --format to`, and `books` gives the same contacts
                    with every field the target carries;
  thunderbird-ldif  an address book built in the real Thunderbird with its
                    API and written by its own LDIF export;
  kde               KDE's contacts library's vCards 3.0 and 4.0;
  vobject           python3-vobject's vCards 3.0, groups as KIND/MEMBER and
                    as Apple's X-ADDRESSBOOKSERVER cards;
  mutt              an alias file as mutt users write one, each alias also
                    expanded by mutt itself;
  csv               Google's and Outlook's CSV as they write them, and a
                    plain sheet with ';' between its fields;
  failures          bad input (one line naming the file and line, status 2,
                    nothing written), a second import beside the first, and
                    a name an existing book holds with another address.
Exit status 77 (skipped) when a program a case needs is missing.
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

sys.dont_write_bytecode = True  # nothing written into the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import export_test  # noqa: E402
import thunderbird_import  # noqa: E402
from export_test import compare, run  # noqa: E402

SKIP = 77
EXAMPLES = os.path.join(HERE, "..", "..", "examples", "mail")
# The reader each export target is read back with.
SOURCE = {"thunderbird": "thunderbird", "ldap": "ldap", "vcard4": "vcard", "apple": "apple",
          "google": "google", "outlook": "outlook", "mutt": "mutt"}
# The fields of a book record each target carries, as `books --format csv`
# names them.
ALL_FIELDS = ("name", "email", "company", "key", "street", "postal", "phone", "fax", "notes")
CARRIED = {"thunderbird": ALL_FIELDS, "ldap": tuple(f for f in ALL_FIELDS if f != "key"),
           "vcard4": ALL_FIELDS, "apple": ALL_FIELDS, "google": ALL_FIELDS,
           "outlook": tuple(f for f in ALL_FIELDS if f != "key"), "mutt": ("name", "email")}
# The lines an import may write before its summary: a member left out, and
# an entry of the folder's own lists the new book may lead elsewhere.
NOTES = re.compile(r"^quillmer-cli: list ('.*' \([A-Z0-9_-]+\.PML\): '.*' left out: |"
                   r"'[^']*' line \d+: '.*' may reach )")
# What a file the program writes may be called: short and plain.
WRITTEN_NAME = re.compile(r"^[A-Z0-9_-]{1,8}\.(PMR|PML)$")


def skip(why):
    print(f"skipped: {why}")
    sys.exit(SKIP)


def fail(what):
    print(what)
    sys.exit(1)


def listing(folder):
    """{name: bytes} of everything in folder, hidden files included."""
    if not os.path.isdir(folder):
        return None
    out = {}
    for name in os.listdir(folder):
        with open(os.path.join(folder, name), "rb") as f:
            out[name] = f.read()
    return out


class Cli:
    def __init__(self, cli):
        self.cli = cli

    def run(self, *args):
        return subprocess.run([self.cli, *args], capture_output=True)

    def import_file(self, source, folder, path, *options):
        """Imports; fails the test unless it succeeds with its one summary
        line on standard error and writes only short plain names."""
        before = listing(folder) or {}
        result = self.run("import", "--from", source, *options, "--into", folder, path)
        err = result.stderr.decode("utf-8", errors="replace")
        if result.returncode != 0:
            fail(f"import --from {source} {path}: status {result.returncode}\n{err}")
        # The summary, after a line for each member left out.
        lines = err.splitlines()
        if not lines or not lines[-1].startswith(f"quillmer-cli: import from {source}: ") or \
                any(not NOTES.match(l) for l in lines[:-1]):
            fail(f"standard error of import --from {source}: not a summary line after the "
                 f"notes:\n{err}")
        after = listing(folder)
        for name, data in before.items():
            compare(after.get(name), data, f"{name}, there before the import,")
        for name in set(after) - set(before):
            if not WRITTEN_NAME.match(name):
                fail(f"import --from {source} wrote {name!r}: not a short plain *.PMR or *.PML")
        return result

    def lists(self, folder):
        """[(title, {address, case folded})] of every list of folder."""
        out = []
        for line in self.run("lists", folder).stdout.decode("cp1252").splitlines():
            file, title = line.split("\t", 1)
            to = run([self.cli, "expand", "--format", "to", folder, file]).stdout.decode("cp1252")
            out.append((title, {a.lower() for _, a in email.utils.getaddresses([to]) if a}))
        return out

    def books(self, folder):
        """The records of every book of folder, as dicts of `books --format csv`."""
        data = run([self.cli, "books", "--format", "csv", folder]).stdout.decode("utf-8")
        return list(csv.DictReader(io.StringIO(data, newline="")))


def same_lists(got, want, what):
    """got, want: [(title, addresses)], compared as multisets."""
    key = lambda pairs: sorted((t, sorted(s)) for t, s in pairs)  # noqa: E731
    if key(got) != key(want):
        lines = [f"{what}: lists differ"]
        for title, s in key(got):
            if (title, s) not in key(want):
                lines.append(f" got  {title!r}: {s}")
        for title, s in key(want):
            if (title, s) not in key(got):
                lines.append(f" want {title!r}: {s}")
        fail("\n".join(lines))


def bare(address):
    """A book's address as a target carries it: the address alone when the
    field holds a quoted name and an address in angle brackets."""
    return email.utils.parseaddr(address)[1] if "<" in address else address


# ------------------------------------------------------------ round trips

def sample_folder(make_book, folder):
    os.mkdir(folder)
    for name in sorted(os.listdir(EXAMPLES)):
        path = os.path.join(EXAMPLES, name)
        if name.endswith(".book.txt"):
            run([make_book, path, os.path.join(folder, name.replace(".book.txt", ".PMR"))])
        elif name.upper().endswith(".PML"):
            with open(path, "rb") as src, open(os.path.join(folder, name), "wb") as dst:
                dst.write(src.read())


def carried(row, fields, target):
    """The fields of a `books --format csv` row that `target` carries."""
    row = {**row, "email": bare(row["email"])}
    if target == "ldap" and row["email"] == "ann@example.org":
        # LDAP's telephone syntax cannot hold "0800 \u00e9t\u00e9": export moves
        # it to the notes (export_test.py checks that).
        row.update(phone="", notes=row["notes"] + "\nPhone: " + row["phone"])
    return tuple(row[f] for f in fields)


def exported_changes(stderr):
    """{what: count} of the contacts export's summary says it changed:
    "made for plain addresses", "identical merged", "renamed"."""
    summary = re.search(r"\d+ contacts? \(([^)]*)\)", stderr.splitlines()[-1])
    changes = {}
    for part in (summary.group(1).split(", ") if summary else []):
        count, what = part.split(" ", 1)
        changes[re.sub(r"records? ", "", what)] = int(count)
    return changes


def losses(report, book):
    """{record number: fields} of the book's contacts --report says lost
    characters (cut, or written as '?')."""
    out = {}
    for line in report.splitlines():
        cells = line.split("\t")
        if len(cells) == 5 and cells[0] == book:
            out[int(cells[1])] = {c.rsplit(" ", 1)[0] for cell in cells[3:] if cell != "none"
                                  for c in cell.split(", ")}
    return out


def fits(got, want):
    """got is want cut at its end, letters written as '?'."""
    return len(got) <= len(want) and all(g in (w, "?") for g, w in zip(got, want))


def compare_contacts(old_rows, new_rows, fields, target, exported, report, listed, what):
    """The new folder's contacts against the old folder's, up to what export
    said it changed and what the import's report says it cut."""
    changes = exported_changes(exported)
    want = []
    kept = [r for r in old_rows if r["email"] or target != "mutt"]  # an alias needs an address
    for row in kept:
        record = carried(row, fields, target)
        if not any(r[:2] == record[:2] for r in want):  # export merges the same name and address
            want.append(record)
    compare(len(kept) - len(want), changes.get("identical merged", 0),
            f"{what}: records export merged")
    books = {r["book"] for r in new_rows}
    compare(len(books), 1, f"{what}: books of the new folder")
    lost = losses(report, books.pop())
    got = [(carried(r, fields, target), lost.get(k + 1, set())) for k, r in enumerate(new_rows)]
    missing = []
    renamed = 0
    for record in want:
        match = next((g for g in got if g[0] == record), None)
        if match is None:  # cut where the report says so
            match = next((g for g in got if all(
                x == y or (f in g[1] and fits(x, y)) for f, x, y in zip(fields, g[0], record))),
                None)
        if match is None:  # renamed by export, "Name (2)"
            match = next((g for g in got if g[0][1:] == record[1:] and re.fullmatch(
                re.escape(record[0]) + r" \(\d+\)", g[0][0])), None)
            renamed += match is not None
        if match is None:
            missing.append(record)
        else:
            got.remove(match)
    # Besides them only the contacts export made for plain addresses of lists.
    plain = [g for g, _ in got if g[1].lower() in listed]
    extra = [g for g, _ in got if g[1].lower() not in listed]
    if missing or extra or len(plain) != changes.get("made for plain addresses", 0) or \
            renamed != changes.get("renamed", 0):
        fail(f"{what}: contacts ({', '.join(fields)}) differ\n"
             + "".join(f" missing {r}\n" for r in missing)
             + "".join(f" extra   {r}\n" for r in extra)
             + f" made for plain addresses: {len(plain)}, export says "
             f"{changes.get('made for plain addresses', 0)}\n"
             f" renamed: {renamed}, export says {changes.get('renamed', 0)}")


def round_trip(cli, folder, target, work):
    args = ["--base", export_test.BASE] if target == "ldap" else []
    titles = export_test.announced(cli.cli, folder, target, args)
    want_sets = {}
    for file in titles:
        to = run([cli.cli, "expand", "--format", "to", folder, file]).stdout.decode("cp1252")
        want_sets[file] = {a.lower() for _, a in email.utils.getaddresses([to]) if a}
    exported = run([cli.cli, "export", "--to", target] + args + [folder])
    path = os.path.join(work, f"{os.path.basename(folder)}.{target}")
    with open(path, "wb") as f:
        f.write(exported.stdout)
    if target == "mutt":
        # Above each list's alias export writes "# TITLE (FILE)": the import
        # takes the title back from there rather than the alias key.
        for line in exported.stdout.decode("utf-8").splitlines():
            comment = re.fullmatch(r"# (.*) \(([^()]*\.PML)\)", line)
            if comment and comment.group(2) in titles:
                titles[comment.group(2)] = comment.group(1)
    source = SOURCE[target]
    new = os.path.join(work, f"new-{os.path.basename(folder)}")
    imported = cli.import_file(source, new, path, "--report")
    what = f"{target}, {os.path.basename(folder)}"
    report = imported.stdout.decode("utf-8")
    try:
        same_lists(cli.lists(new), [(titles[f], want_sets[f]) for f in titles], what)
        compare_contacts(cli.books(folder), cli.books(new), CARRIED[target], target,
                         exported.stderr.decode("utf-8"), report,
                         set().union(*want_sets.values()), what)
    except SystemExit:
        print(f"--- import --report:\n{report}{imported.stderr.decode('utf-8')}")
        raise


def case_roundtrip(make_book, cli, target, work, **_):
    test = os.path.join(work, "mail")
    export_test.make_folder(make_book, test)
    sample = os.path.join(work, "sample")
    sample_folder(make_book, sample)
    for folder in (test, sample):
        round_trip(cli, folder, target, work)


# ------------------------------------------------------------ Thunderbird

# Cards as Thunderbird's address book holds them, by its property names.
TB_CARDS = [
    {"DisplayName": "Smith, Jo", "FirstName": "Jo", "LastName": "Smith", "NickName": "jo",
     "PrimaryEmail": "jo@example.org", "Company": "Smith & Sons", "WorkPhone": "555 1234",
     "CellularNumber": "555 9999", "FaxNumber": "555 1235", "Notes": "likes lists",
     "WorkAddress": "2 High St", "WorkCity": "Leeds"},
    {"DisplayName": "Ren\u00e9 Dupont", "PrimaryEmail": "rene@example.fr",
     "Company": "Soci\u00e9t\u00e9 G\u00e9n\u00e9rale", "Notes": "caf\u00e9, cr\u00e8me"},
    {"DisplayName": "Ann \"The Boss\" Lee", "PrimaryEmail": "Ann@Example.org",
     "NickName": "ann"},
    {"DisplayName": "Zo\u00eb \u00c5str\u00f6m", "PrimaryEmail": "zoe@example.se"},
    {"DisplayName": "Sam", "PrimaryEmail": "sam@one.example"},
    {"DisplayName": "Sam", "PrimaryEmail": "sam@two.example"},
    {"PrimaryEmail": "noname@example.com"},
]
TB_LISTS = [
    {"name": "Club", "nickname": "club", "description": "the whole club",
     "members": [0, 1, 2, 4, 5]},
    # Ren\u00e9 again, and a card without a display name.
    {"name": "Caf\u00e9 Cr\u00e8me", "members": [1, 3, 6]},
    {"name": "Board", "members": [0, 2]},
]


def case_thunderbird_ldif(make_book, cli, target, work, **_):
    if not thunderbird_import.available():
        skip("thunderbird missing")
    ldif = os.path.join(work, "thunderbird.ldif")
    held = thunderbird_import.export_ldif({"cards": TB_CARDS, "lists": TB_LISTS}, ldif, work)
    assert held["error"] is None, held["error"]
    # What Thunderbird's lists hold is the truth the file carries.
    want = [(l["name"], {m.lower() for m in l["members"]}) for l in held["lists"]]
    compare(sorted(t for t, _ in want), sorted(l["name"] for l in TB_LISTS), "Thunderbird's lists")
    new = os.path.join(work, "new")
    cli.import_file("thunderbird", new, ldif)
    same_lists(cli.lists(new), want, "Thunderbird's LDIF export")
    # Thunderbird on Windows ends its lines with CR LF.
    crlf = os.path.join(work, "windows.ldif")
    with open(ldif, "rb") as src, open(crlf, "wb") as dst:
        dst.write(src.read().replace(b"\n", b"\r\n"))
    cli.import_file("thunderbird", os.path.join(work, "new-crlf"), crlf)
    same_lists(cli.lists(os.path.join(work, "new-crlf")), want, "the same with CR LF")
    books = {r["email"]: r for r in cli.books(new)}
    jo = books.get("jo@example.org")
    compare(jo and (jo["name"], jo["company"], jo["key"], jo["phone"], jo["fax"], jo["notes"],
                    jo["street"]),
            ("Smith, Jo", "Smith & Sons", "jo", "555 1234", "555 1235", "likes lists",
             "2 High St"), "Jo's card")
    compare(books.get("rene@example.fr", {}).get("name"), "Ren\u00e9 Dupont", "Ren\u00e9's name")


# ------------------------------------------------------------ KDE

KDE_BOOK = {
    "contacts": [
        {"uid": "kde-jo", "fn": "Smith, Jo", "given": "Jo", "family": "Smith",
         "emails": ["jo@example.org", "jo@home.example"], "org": "Smith & Sons", "nickname": "jo",
         "note": "likes lists", "street": "2 High St", "locality": "Leeds",
         "phones": [{"number": "555 1234", "fax": False}, {"number": "555 1235", "fax": True}]},
        {"uid": "kde-rene", "fn": "Ren\u00e9 Dupont", "given": "Ren\u00e9", "family": "Dupont",
         "emails": ["rene@example.fr"]},
        {"uid": "kde-ann", "fn": "Ann \"The Boss\" Lee", "emails": ["ann@example.org"]},
    ],
    "groups": [
        {"uid": "kde-club", "fn": "Club, \"Friends\"",
         "members": ["kde-jo", "kde-rene", "mailto:carol@example.net"]},
        {"uid": "kde-board", "fn": "Caf\u00e9 board", "members": ["kde-ann", "kde-jo"]},
    ],
}


def case_kde(make_book, cli, target, work, kcontacts_write=None, **_):
    if not kcontacts_write:
        skip("no KContacts writer")
    book = os.path.join(work, "kde.json")
    with open(book, "w", encoding="utf-8") as f:
        json.dump(KDE_BOOK, f)
    by_uid = {c["uid"]: c for c in KDE_BOOK["contacts"]}
    groups = [(g["fn"], {m[len("mailto:"):] if m.startswith("mailto:")
                         else by_uid[m]["emails"][0] for m in g["members"]})
              for g in KDE_BOOK["groups"]]
    for version in ("4.0", "3.0"):
        path = os.path.join(work, f"kde-{version}.vcf")
        run([kcontacts_write, book, version, path])
        with open(path, "rb") as f:
            data = f.read()
        new = os.path.join(work, f"new-{version}")
        cli.import_file("vcard", new, path)
        if version == "4.0":
            assert b"KIND:group" in data, data
            same_lists(cli.lists(new), groups, "KDE's vCard 4.0")
        else:
            # KContacts writes no KIND or MEMBER into a vCard 3.0: its
            # groups arrive as cards without an address, no lists.
            assert b"MEMBER" not in data and b"KIND" not in data, data
            same_lists(cli.lists(new), [], "KDE's vCard 3.0")
        books = {r["email"]: r for r in cli.books(new)}
        jo = books.get("jo@example.org")
        compare(jo and (jo["name"], jo["company"], jo["key"], jo["notes"], jo["phone"], jo["fax"]),
                ("Smith, Jo", "Smith & Sons", "jo", "likes lists", "555 1234", "555 1235"),
                f"Jo's card ({version})")
        compare(books.get("rene@example.fr", {}).get("name"), "Ren\u00e9 Dupont",
                f"Ren\u00e9's name ({version})")


# ------------------------------------------------------------ python3-vobject

# uid, FN, (family, given), address
VOBJECT_PEOPLE = [("jo", "Smith, Jo", ("Smith", "Jo"), "jo@example.org"),
                  ("rene", "Ren\u00e9 Dupont", ("Dupont", "Ren\u00e9"), "rene@example.fr"),
                  ("ann", "Ann \"The Boss\" Lee", ("Lee", "Ann"), "ann@example.org")]
VOBJECT_GROUPS = [("club", "Club", ["jo", "rene"], ["carol@example.net"]),
                  ("board", "Board; Caf\u00e9", ["ann", "jo"], [])]


def vobject_cards(apple):
    import vobject
    out = []
    for uid, fn, (family, given), address in VOBJECT_PEOPLE:
        card = vobject.vCard()
        card.add("version").value = "3.0"
        card.add("uid").value = uid
        card.add("fn").value = fn
        card.add("n").value = vobject.vcard.Name(family=family, given=given)
        card.add("email").value = address
        card.email.type_param = "INTERNET"
        card.add("org").value = ["Club & Co", "Board"]
        card.add("tel").value = "+44 555 0100"
        out.append(card.serialize())
    for uid, fn, members, addresses in VOBJECT_GROUPS:
        card = vobject.vCard()
        card.add("version").value = "3.0"
        card.add("uid").value = uid
        card.add("fn").value = fn
        card.add("n").value = vobject.vcard.Name(family=fn)
        prefix = "x-addressbookserver-" if apple else ""
        card.add(prefix + "kind").value = "group"
        for m in members:
            card.add(prefix + "member").value = "urn:uuid:" + m
        for a in addresses:
            card.add(prefix + "member").value = "mailto:" + a
        out.append(card.serialize())
    return "".join(out).encode("utf-8")


def case_vobject(make_book, cli, target, work, **_):
    try:
        import vobject  # noqa: F401
    except ImportError:
        skip("python3-vobject missing")
    address = {uid: a for uid, _, _, a in VOBJECT_PEOPLE}
    want = [(fn, {address[m] for m in members} | set(extra))
            for _, fn, members, extra in VOBJECT_GROUPS]
    for source, apple in (("vcard", False), ("apple", True)):
        path = os.path.join(work, f"vobject-{source}.vcf")
        with open(path, "wb") as f:
            f.write(vobject_cards(apple))
        new = os.path.join(work, f"new-{source}")
        cli.import_file(source, new, path)
        same_lists(cli.lists(new), want, f"vobject's vCards (--from {source})")
        names = {r["email"]: r["name"] for r in cli.books(new)}
        compare({a: names.get(a) for _, _, _, a in VOBJECT_PEOPLE},
                {a: n for _, n, _, a in VOBJECT_PEOPLE}, f"names (--from {source})")


# ------------------------------------------------------------ mutt

# As people write their ~/.muttrc aliases: comments, blank lines, "Name
# <address>", quoted names, bare addresses, several on a line, an alias of
# aliases, a continuation line, a group and a key used only in another.
MUTT_ALIASES = (
    "# ~/.mutt/aliases\n"
    "\n"
    "alias jo \"Smith, Jo\" <jo@example.org>\n"
    "alias rene Ren\u00e9 Dupont <rene@example.fr>   # from the club\n"
    "alias ann Ann Lee <Ann@Example.org>\n"
    "alias carol carol@example.net\n"
    "alias sam Sam Rivers <sam@rivers.example>, Sam Other <sam@other.example>\n"
    "alias board jo, ann\n"
    "alias club board, rene, \\\n"
    "    carol, dee@example.net\n"
    "alias -group friends all carol, \"Dee D.\" <dee@example.net>, sam\n"
).encode("utf-8")
MUTT_KEYS = ("jo", "rene", "ann", "carol", "sam", "board", "club", "all")


def case_mutt(make_book, cli, target, work, **_):
    if not subprocess.run(["sh", "-c", "command -v mutt"], capture_output=True).stdout:
        skip("mutt missing")
    path = os.path.join(work, "aliases")
    with open(path, "wb") as f:
        f.write(MUTT_ALIASES)
    mutt = export_test.mutt_recipients(path, MUTT_KEYS, work)
    mutt = {k: {a.lower() for a in s} for k, s in mutt.items()}
    new = os.path.join(work, "new")
    cli.import_file("mutt", new, path)
    got = cli.lists(new)
    # Every alias of more than one address is a group, each list named by
    # its alias key; so is each address group -group names, which holds the
    # addresses of its aliases (mutt's ~f %friends matches them).
    same_lists(got, [(k, s) for k, s in mutt.items() if k in ("sam", "board", "club", "all")]
               + [("friends", mutt["all"])], "mutt aliases (against mutt's own expansion)")
    names = {r["email"].lower(): r["name"] for r in cli.books(new)}
    compare({a: names.get(a) for a in ("jo@example.org", "rene@example.fr", "ann@example.org")},
            {"jo@example.org": "Smith, Jo", "rene@example.fr": "Ren\u00e9 Dupont",
             "ann@example.org": "Ann Lee"}, "names of the aliases")


# ------------------------------------------------------------ CSV

# Google Contacts' export ("Google CSV") as it writes it today: no Name
# column, the labels in one field between " ::: ", "* myContacts" on all.
GOOGLE_HEADER = ("First Name,Middle Name,Last Name,Phonetic First Name,Phonetic Middle Name,"
                 "Phonetic Last Name,Name Prefix,Name Suffix,Nickname,File As,Organization Name,"
                 "Organization Title,Organization Department,Birthday,Notes,Photo,Labels,"
                 "E-mail 1 - Label,E-mail 1 - Value,E-mail 2 - Label,E-mail 2 - Value,"
                 "Phone 1 - Label,Phone 1 - Value,Address 1 - Label,Address 1 - Formatted,"
                 "Address 1 - Street,Address 1 - City,Address 1 - PO Box,Address 1 - Region,"
                 "Address 1 - Postal Code,Address 1 - Country,Address 1 - Extended Address")
GOOGLE_ROWS = [
    # first, middle, last, nickname, company, notes, labels, email 1, email 2, phone
    ("Jo", "", "Smith", "jo", "Smith & Sons", "likes lists", "Club ::: * myContacts",
     "jo@example.org", "", "+44 555 0100"),
    ("Ren\u00e9", "", "Dupont", "", "Soci\u00e9t\u00e9", "", "Club ::: Caf\u00e9 ::: * myContacts",
     "rene@example.fr", "", ""),
    ("Ann", "B.", "Lee", "", "", "two\nlines", "Caf\u00e9 ::: * myContacts",
     "ann@example.org ::: ann@home.example", "", ""),
    ("", "", "", "", "", "", "Club ::: * myContacts", "carol@example.net", "", ""),
]
GOOGLE_LISTS = [("Club", {"jo@example.org", "rene@example.fr", "carol@example.net"}),
                ("Caf\u00e9", {"rene@example.fr", "ann@example.org"})]

OUTLOOK_HEADER = ("First Name,Middle Name,Last Name,Title,Suffix,Nickname,Given Yomi,Surname Yomi,"
                  "E-mail Address,E-mail 2 Address,E-mail 3 Address,Home Phone,Home Phone 2,"
                  "Business Phone,Business Phone 2,Mobile Phone,Car Phone,Other Phone,"
                  "Primary Phone,Pager,Business Fax,Home Fax,Other Fax,Company Main Phone,"
                  "Callback,Radio Phone,Telex,TTY/TDD Phone,IMAddress,Job Title,Department,"
                  "Company,Office Location,Manager's Name,Assistant's Name,Assistant's Phone,"
                  "Company Yomi,Business Street,Business City,Business State,"
                  "Business Postal Code,Business Country/Region,Home Street,Home City,"
                  "Home State,Home Postal Code,Home Country/Region,Other Street,Other City,"
                  "Other State,Other Postal Code,Other Country/Region,Personal Web Page,Spouse,"
                  "Schools,Hobby,Location,Web Page,Birthday,Anniversary,Notes,Categories,"
                  "E-mail Type,E-mail Display Name")
OUTLOOK_ROWS = [
    {"First Name": "Jo", "Last Name": "Smith", "E-mail Address": "jo@example.org",
     "E-mail Type": "SMTP", "E-mail Display Name": "Jo Smith (jo@example.org)",
     "Company": "Smith & Sons", "Business Phone": "555 1234", "Business Fax": "555 1235",
     "Business Street": "2 High St", "Notes": "likes lists", "Categories": "Club;Board"},
    {"First Name": "Ren\u00e9", "Last Name": "Dupont", "E-mail Address": "rene@example.fr",
     "E-mail Type": "SMTP", "E-mail Display Name": "Ren\u00e9 Dupont (rene@example.fr)",
     "Categories": "Club"},
    {"First Name": "Ann", "Last Name": "Lee", "E-mail Address": "ann@example.org",
     "E-mail Type": "SMTP", "E-mail Display Name": "Ann Lee (ann@example.org)",
     "Categories": "Board"},
]
OUTLOOK_LISTS = [("Club", {"jo@example.org", "rene@example.fr"}),
                 ("Board", {"jo@example.org", "ann@example.org"})]

LONG_NAME = "Bartholomew Alexander Montgomery-Featherstonehaugh"
PLAIN_CSV = ("Name;E-mail;List\r\n"
             "\"Smith, Jo\";jo@example.org;Club\r\n"
             "Ren\u00e9 Dupont;rene@example.fr;Club\r\n"
             "\"Smith, Jo\";jo@example.org;Board\r\n"
             "Ann \"\"B\"\" Lee;ann@example.org;Board\r\n"
             "No List;nolist@example.org;\r\n"
             # Letters code page 1252 lacks, and a name longer than a
             # record's 40 bytes.
             "\u0141ukasz \u017bak;lukasz@example.pl;Club\r\n"
             f"{LONG_NAME};long@example.org;Club\r\n")
PLAIN_LISTS = [("Club", {"jo@example.org", "rene@example.fr", "lukasz@example.pl",
                         "long@example.org"}),
               ("Board", {"jo@example.org", "ann@example.org"})]


def case_csv(make_book, cli, target, work, **_):
    google = io.StringIO(newline="")
    writer = csv.writer(google, lineterminator="\r\n")
    writer.writerow(GOOGLE_HEADER.split(","))
    width = len(GOOGLE_HEADER.split(","))
    for first, middle, last, nick, org, notes, labels, mail1, mail2, phone in GOOGLE_ROWS:
        row = [first, middle, last, "", "", "", "", "", nick, "", org, "", "", "", notes, "",
               labels, "* Other" if mail1 else "", mail1, "", mail2, "Mobile" if phone else "",
               phone]
        writer.writerow(row + [""] * (width - len(row)))
    header = OUTLOOK_HEADER.split(",")
    outlook = io.StringIO(newline="")
    writer = csv.writer(outlook, quoting=csv.QUOTE_ALL, lineterminator="\r\n")
    writer.writerow(header)
    for row in OUTLOOK_ROWS:
        writer.writerow([row.get(h, "") for h in header])
    cases = (("google", "google.csv", google.getvalue().encode("utf-8"), GOOGLE_LISTS),
             ("outlook", "outlook.csv", outlook.getvalue().encode("cp1252"), OUTLOOK_LISTS),
             ("csv", "plain.csv", PLAIN_CSV.encode("utf-8"), PLAIN_LISTS),
             # As Excel saves "CSV UTF-8": a byte order mark first.
             ("csv", "excel.csv", b"\xef\xbb\xbf" + PLAIN_CSV.encode("utf-8"), PLAIN_LISTS))
    for source, name, data, want in cases:
        path = os.path.join(work, name)
        with open(path, "wb") as f:
            f.write(data)
        new = os.path.join(work, "new-" + name)
        imported = cli.import_file(source, new, path, "--report")
        same_lists(cli.lists(new), want, f"{name} (--from {source})")
        books = {r["email"]: r for r in cli.books(new)}
        compare(books.get("rene@example.fr", {}).get("name"), "Ren\u00e9 Dupont",
                f"Ren\u00e9's name in {name}")
    # Cut to the 39 bytes a record's 40 hold before their NUL, the letters
    # 1252 lacks as '?'.
    compare({a: books.get(a, {}).get("name") for a in ("lukasz@example.pl", "long@example.org")},
            {"lukasz@example.pl": "?ukasz ?ak", "long@example.org": LONG_NAME[:39]},
            "names cut and letters lost")
    # And the report says so, contact by contact: characters cut, and
    # written as '?', per field.
    report = {l.split("\t")[2]: l.split("\t")[3:] for l in
              imported.stdout.decode("utf-8").splitlines() if l.count("\t") == 4}
    compare({n: report.get(n) for n in (LONG_NAME, "\u0141ukasz \u017bak", "Ren\u00e9 Dupont")},
            {LONG_NAME: ["name 11", "none"], "\u0141ukasz \u017bak": ["none", "name 2"],
             "Ren\u00e9 Dupont": ["none", "none"]}, "--report's cuts")
    compare(re.search(r"; (\d+) fields? cut, (\d+) characters? written as '\?'$",
                      imported.stderr.decode("utf-8")).groups(), ("1", "2"), "the summary's cuts")
    # The book in another code page: DOS's 437 has \u00e9 (0x82) where 1252
    # has 0xE9.
    new = os.path.join(work, "new-437")
    cli.import_file("csv", new, os.path.join(work, "plain.csv"), "--codepage", "437")
    book = next(data for name, data in listing(new).items() if name.endswith(".PMR"))
    compare((b"Ren\x82 Dupont\0" in book, b"Ren\xe9" in book), (True, False),
            "Ren\u00e9 in code page 437")
    data = run([cli.cli, "books", "--format", "csv", "--codepage", "437", new]).stdout
    compare({r["email"]: r["name"] for r in csv.DictReader(io.StringIO(data.decode("utf-8")))}
            .get("rene@example.fr"), "Ren\u00e9 Dupont", "Ren\u00e9 read back in 437")


# ------------------------------------------------------------ failures

# A file each reader must refuse, and the line it must name.
MALFORMED = [
    ("thunderbird", b"dn: cn=Jo,mail=jo@example.org\nobjectclass: top\ncn: Jo\n"
                    b"this line has no colon\nmail: jo@example.org\n\n", 4),
    ("ldap", b"dn: cn=Jo,dc=example,dc=org\ncn: Jo\nmail:: not base64 !!\n\n", 3),
    ("vcard", b"BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jo\r\nEMAIL jo@example.org\r\n"
              b"END:VCARD\r\n", 4),
    # A card that another begins inside: named where it begins.
    ("apple", b"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Jo\r\nEMAIL:jo@example.org\r\n"
              b"BEGIN:VCARD\r\nFN:Ann\r\nEND:VCARD\r\n", 1),
    ("mutt", b"# aliases\nalias jo Jo <jo@example.org>\nalias\nalias ann ann@example.org\n", 3),
    ("google", b"First Name,Last Name,E-mail 1 - Value,Labels\r\nJo,Smith,jo@example.org,Club\r\n"
               b"Ann,\"Lee,ann@example.org,Club\r\n", 3),
    ("outlook", b"\"First Name\",\"Last Name\",\"E-mail Address\",\"Categories\"\r\n"
                b"\"Jo\",\"Smith\",\"jo@example.org\",\"Club\"\r\n\"Ann\",\"Lee\r\n", 3),
    ("csv", b"Name,E-mail,List\r\nJo,jo@example.org,Club\r\nAnn,\"ann@example.org,Club\r\n", 3),
]


def case_failures(make_book, cli, target, work, **_):
    # A folder with a book in it, whose Jo has another address.
    folder = os.path.join(work, "mail")
    os.mkdir(folder)
    src = os.path.join(work, "home.txt")
    with open(src, "wb") as f:
        f.write(b"title: Home\nSMITH, JO | jo@home.example\nAnn Lee | ann@example.org\n")
    run([make_book, src, os.path.join(folder, "HOME.PMR")])
    with open(os.path.join(folder, "HOME.PML"), "wb") as f:
        f.write(b"\\TITLE Home\r\nAnn Lee\r\nsmith, jo\r\n")
    faults = []
    for source, data, line in MALFORMED:
        path = os.path.join(work, f"bad-{source}")
        with open(path, "wb") as f:
            f.write(data)
        for into in (folder, os.path.join(work, "made-" + source)):
            before = listing(into)
            result = cli.run("import", "--from", source, "--into", into, path)
            err = result.stderr.decode("utf-8", errors="replace")
            wrong = []
            if result.returncode != 2:
                wrong.append(f"status {result.returncode}, not 2")
            if len(err.splitlines()) != 1 or f"{path}:{line}: " not in err:
                wrong.append(f"standard error is not one line naming {path}:{line}: {err!r}")
            if listing(into) != before:
                wrong.append(f"{into} changed: {sorted(listing(into) or [])}")
            if result.stdout:
                wrong.append(f"standard output: {result.stdout[:200]!r}")
            if wrong:
                faults.append(f"--from {source}: " + "; ".join(wrong))
    if faults:
        fail("bad input:\n " + "\n ".join(faults))

    # The same import twice: the second writes new names beside the first.
    path = os.path.join(work, "aliases")
    with open(path, "wb") as f:
        f.write(b"alias jo \"Smith, Jo\" <jo@example.org>\nalias ann Ann Lee <ann@example.org>\n"
                b"alias sam Sam <sam@example.org>\nalias club jo, ann, sam\n")
    imported = cli.import_file("mutt", folder, path)
    # HOME.PML's "smith, jo" reached jo@home.example; the new book may lead
    # it to jo@example.org now, and the import says so. Its "Ann Lee" still
    # reaches the one address both books give her.
    notes = [l for l in imported.stderr.decode("utf-8").splitlines() if " may reach " in l]
    compare(notes, ["quillmer-cli: list 'HOME.PML' line 3: 'smith, jo' may reach "
                    "'jo@example.org' from IMPORT.PMR instead of 'jo@home.example'"],
            "entries of the folder's own lists turned")
    first = listing(folder)
    cli.import_file("mutt", folder, path)  # checks that the first files are unchanged
    second = listing(folder)
    added = set(second) - set(first)
    compare(sorted(n[-4:].upper() for n in added), [".PML", ".PMR"], "files of the second import")
    club = {"ann@example.org", "jo@example.org", "sam@example.org"}
    same_lists([l for l in cli.lists(folder) if l[0] == "club"], [("club", club), ("club", club)],
               "two imports of one file")

    # Jo's name leads to another address too (HOME.PMR, other letter case):
    # Jo's entry is the address. Ann's name leads to her address alone in
    # every book: her entry may be the name. Sam's name is the new book's
    # only: the name.
    for name in sorted(added):
        if name.upper().endswith(".PML"):
            entries = [l for l in second[name].decode("cp1252").split("\r\n")
                       if l and not l.startswith("\\")]
            jo = [e for e in entries if "jo" in e.lower()]
            if len(jo) != 1 or "jo@example.org" not in jo[0]:
                fail(f"{name}: Jo's entry must be the address (HOME.PMR holds 'SMITH, JO' "
                     f"with another): {entries}")
            compare(len(entries), 3, f"entries of {name}")


CASES = {"thunderbird-ldif": case_thunderbird_ldif, "kde": case_kde, "vobject": case_vobject,
         "mutt": case_mutt, "csv": case_csv, "failures": case_failures}


def main():
    make_book, cli_path, case = sys.argv[1:4]
    options = {k.lstrip("-").replace("-", "_"): v for k, v in zip(sys.argv[4::2], sys.argv[5::2])}
    cli = Cli(cli_path)
    with tempfile.TemporaryDirectory() as work:
        if case.startswith("roundtrip-"):
            case_roundtrip(make_book, cli, case[len("roundtrip-"):], work, **options)
        else:
            CASES[case](make_book, cli, None, work, **options)
    print(f"{case}: ok")


if __name__ == "__main__":
    main()
