#include "cli/commands.h"

namespace cli {

namespace {

// One printed line per string, each command's summary lines in the order
// the general help shows them.
// clang-format off
constexpr std::string_view kListsSummary[] = {
    "  lists [FOLDER]          one line per mailing list: file name, TAB, title",
};
constexpr std::string_view kListsHelp[] = {
    "Usage: quillmer-cli lists [FOLDER]",
    "One line per mailing list of FOLDER (default: the current folder), in the",
    "folder's own order: file name, TAB, title.",
};

constexpr std::string_view kExpandSummary[] = {
    "  expand [--strip] [--sort] [FOLDER] LIST",
    "                          the expansion of LIST exactly as the window shows it,",
    "                          lines ending in CR LF; LIST is a list's title or its",
    "                          file name ending in .PML; --strip (Strip Names) and",
    "                          --sort (Sort List) apply in the order given",
    "  expand --format to|csv [FOLDER] LIST",
    "                          to: one line for a To, Cc or Bcc field; csv: rows of",
    "                          entry,address",
};
constexpr std::string_view kExpandHelp[] = {
    "Usage: quillmer-cli expand [--format text|to|csv] [--strip] [--sort] [FOLDER] LIST",
    "Expands LIST, a list's title or its file name ending in .PML.",
    "  --format text  (default) exactly what the window shows: each entry, and",
    "                 after a TAB the address of a name an address book knows;",
    "                 lines end in CR LF",
    "  --strip        as the window's Strip Names button: addresses only",
    "  --sort         as the window's Sort List button; both in the order given",
    "  --format to    one line to paste into a To, Cc or Bcc field: Name <address>",
    "                 for each name a book knows, the address for each plain",
    "                 entry, separated by \", \"; entries that give no address are",
    "                 left out and named on standard error",
    "  --format csv   a header row, then one row per entry: entry,address",
    "                 (address empty when the entry gives none)",
};

constexpr std::string_view kCheckSummary[] = {
    "  check [FOLDER]          what in the lists will not reach anyone as meant:",
    "                          file name, TAB, title, TAB, line number, TAB, kind,",
    "                          TAB, entry; kinds unknown, no-address, ambiguous,",
    "                          duplicate, not-an-address, unreadable",
};
constexpr std::string_view kCheckHelp[] = {
    "Usage: quillmer-cli check [FOLDER]",
    "Reports what in the folder's lists will not reach anyone as meant, one line",
    "per finding: file name, TAB, title, TAB, line number, TAB, kind, TAB, entry.",
    "  unknown         no address book knows the name and it holds no @",
    "  no-address      the name's record has no e-mail address",
    "  ambiguous       several records hold the name, with different addresses;",
    "                  the first one is used",
    "  duplicate       the entry reaches an address an earlier entry of the same",
    "                  list already reaches (letter case ignored)",
    "  not-an-address  what the entry reaches does not look like local@domain",
    "  unreadable      the book or list FILE could not be read; the title is the",
    "                  list's (empty for a book and for a list whose title could",
    "                  not be read), the line number empty, the reason in place",
    "                  of the entry; also named on standard error",
    "Exit status 1 when anything is found, 0 when nothing is, 3 when a book or",
    "list could not be read.",
};

constexpr std::string_view kBooksSummary[] = {
    "  books [--format csv|vcard|ldif] [--codepage CP] [FOLDER]",
    "                          every contact of every address book, in UTF-8",
};
constexpr std::string_view kBooksHelp[] = {
    "Usage: quillmer-cli books [--format csv|vcard|ldif] [--codepage CP] [FOLDER]",
    "Every contact of every address book of FOLDER, books in the folder's order,",
    "records first to last, with all their fields, in UTF-8.",
    "  --format csv    (default) RFC 4180, header row",
    "                  name,company,key,street,postal,phone,fax,notes,email,book",
    "  --format vcard  vCard 3.0, for most address books and phones",
    "  --format ldif   LDIF, as Thunderbird's address book imports it",
    "  --codepage CP   the code page the books were written in: 1252 (default,",
    "                  Western Windows), 850 or 437 (DOS), 1250 (Central European)",
    "Bytes the code page does not define become U+FFFD and are counted on",
    "standard error.",
};

constexpr std::string_view kExportSummary[] = {
    "  export --to TARGET [--codepage CP] [--base DN] [--report] [FOLDER]",
    "                          the contacts and the lists together, for thunderbird,",
    "                          ldap, vcard4, apple, google, outlook or mutt",
};
constexpr std::string_view kExportHelp[] = {
    "Usage: quillmer-cli export --to TARGET [--codepage CP] [--base DN] [--report] [FOLDER]",
    "Every contact of the address books and every mailing list, together, in the",
    "form TARGET imports, so that each list reaches there the same addresses as",
    "expand --format to gives. A plain address no record holds becomes a contact;",
    "records identical in name and address become one.",
    "  --to thunderbird  LDIF for Thunderbird and Evolution, lists as groupOfNames",
    "  --to ldap         LDIF for an LDAP directory under --base DN: ou=contacts",
    "                    (inetOrgPerson, dn by UID, surname the name's last word or",
    "                    the part before a comma) and ou=lists (groupOfNames)",
    "  --to vcard4       vCard 4.0, lists as KIND:group cards with MEMBER",
    "  --to apple        vCard 3.0 with Apple Contacts' group cards",
    "  --to google       CSV for Google Contacts, lists as labels",
    "  --to outlook      CSV for Outlook, lists as categories, in the Windows code",
    "                    page (1250 for --codepage 1250, else 1252)",
    "  --to mutt         a mutt alias file, one alias per contact and per list",
    "  --codepage CP     the books' code page: 1252 (default), 850, 437 or 1250",
    "  --report          instead of the export, one line per list: file name, TAB,",
    "                    title, TAB, members that arrive, TAB, entries left out, TAB,",
    "                    contacts made for plain addresses, TAB, what the target",
    "                    changes (renamed to 'TITLE', left out, duplicates merged)",
    "A title the target would refuse is changed as little as it can be, and a",
    "title two lists share there is numbered: \"Friends (2)\".",
    "  thunderbird       refuses , ; \" < > and two blanks in a row: a run of blanks",
    "                    becomes one, < > become ( ), \" becomes ', , and ; become",
    "                    \" - \"",
    "  ldap              titles that differ only in letter case or blanks are one",
    "  google, outlook   the separator of labels (:::) or categories (;) becomes :",
    "                    or ,",
    "  mutt              a list is known by its alias key: letters a-z, digits, . _ -",
    "                    (\"Team <core>\" is team-core)",
    "A list without a title is called by its file name. Lists without members are",
    "left out by ldap, google, outlook and mutt, each named on standard error;",
    "then a one-line summary. Output in UTF-8 unless said otherwise.",
    "The same folder gives the same UIDs on every run: importing again updates.",
};
constexpr std::string_view kImportSummary[] = {
    "  import --from SOURCE [--codepage CP] [--report] --into FOLDER FILE",
    "                          contacts and groups from a file of thunderbird, ldap,",
    "                          vcard, apple, google, outlook, mutt or csv, into new",
    "                          files of FOLDER: one address book, a list per group",
};
constexpr std::string_view kImportHelp[] = {
    "Usage: quillmer-cli import --from SOURCE [--codepage CP] [--report] --into FOLDER FILE",
    "Reads FILE whole, then writes into FOLDER (made when missing) one new address",
    "book (IMPORT.PMR) of its contacts and one new list (*.PML) per group, so that",
    "expand --format to gives for each list exactly the group's addresses.",
    "  --from thunderbird  LDIF from Thunderbird (mailing lists as groupOfNames)",
    "  --from ldap         LDIF from an LDAP directory (groupOfNames)",
    "  --from vcard        vCard 3.0 or 4.0, groups as KIND:group cards with MEMBER",
    "  --from apple        vCard 3.0 with Apple Contacts' group cards",
    "  --from google       CSV from Google Contacts, labels as groups",
    "  --from outlook      CSV from Outlook, categories as groups",
    "  --from mutt         a mutt alias file, aliases of several addresses as groups",
    "  --from csv          a sheet with a name, an e-mail and an optional list column",
    "  --codepage CP       the code page of the new files: 1252 (default), 850, 437",
    "                      or 1250",
    "  --report            first one line per list: file name, TAB, title, TAB,",
    "                      members, TAB, entries written as names, TAB, as",
    "                      addresses, TAB, members left out; then one per contact:",
    "                      book file, TAB, record number, TAB, name, TAB, characters",
    "                      cut per field, TAB, characters written as '?' per field",
    "                      (\"name 3, notes 12\", or none)",
    "Each field is cut to its width in the book; a character the code page lacks",
    "becomes '?'. A list's entry is the member's name where every record of FOLDER",
    "with that name, old books and new, holds the member's address; else the",
    "address. Nested groups are flattened, each address once; a member without an",
    "address is left out and named on standard error. New files only, with short",
    "names no file of FOLDER has; nothing is ever overwritten, and a failed import",
    "leaves nothing behind. A fault in FILE is shown as FILE:LINE: what is wrong,",
    "exit status 2. A book of FOLDER that cannot be read stops the import, exit",
    "status 3. An entry of FOLDER's own lists that the new book's names may lead",
    "elsewhere is named on standard error, then a one-line summary.",
};
// clang-format on

// The formats each command writes, its default first.
constexpr std::string_view kExpandFormats[] = {"text", "to", "csv"};
constexpr std::string_view kBooksFormats[] = {"csv", "vcard", "ldif"};

constexpr Command kCommands[] = {
    {"lists", kListsSummary, kListsHelp, {}, RunLists},
    {"expand",
     kExpandSummary,
     kExpandHelp,
     {.transforms = true, .formats = kExpandFormats},
     RunExpand},
    {"check", kCheckSummary, kCheckHelp, {}, RunCheck},
    {"books", kBooksSummary, kBooksHelp, {.formats = kBooksFormats, .codePage = true}, RunBooks},
    {"export", kExportSummary, kExportHelp, {.codePage = true, .target = true}, RunExport},
    {"import", kImportSummary, kImportHelp, {.codePage = true, .import = true}, RunImport},
};

}  // namespace

std::span<const Command> Commands() {
  return kCommands;
}

}  // namespace cli
