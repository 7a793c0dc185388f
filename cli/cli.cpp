#include "cli/cli.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "base/ascii.h"
#include "cli/contact_formats.h"
#include "engine/address_book.h"
#include "engine/address_book_record.h"
#include "engine/bytes.h"
#include "engine/expansion.h"
#include "engine/lines.h"
#include "engine/mail_folder.h"
#include "engine/mailing_list.h"
#include "engine/output_options.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "quillmer_version.h"

namespace cli {

namespace {

constexpr std::string_view kProgram = "quillmer-cli";

constexpr std::string_view kHelp[] = {
    "Usage: quillmer-cli COMMAND [OPTIONS] [FOLDER] ...",
    "Shows the Pegasus Mail mailing lists (*.PML) of a mail folder with every name",
    "that the folder's address books (*.PMR) know followed by its address.",
    "",
    "Commands:",
    "  lists [FOLDER]          one line per mailing list: file name, TAB, title",
    "  expand [--strip] [--sort] [FOLDER] LIST",
    "                          the expansion of LIST exactly as the window shows it,",
    "                          lines ending in CR LF; LIST is a list's title or its",
    "                          file name ending in .PML; --strip (Strip Names) and",
    "                          --sort (Sort List) apply in the order given",
    "  expand --format to|csv [FOLDER] LIST",
    "                          to: one line for a To, Cc or Bcc field; csv: rows of",
    "                          entry,address",
    "  check [FOLDER]          what in the lists will not reach anyone as meant:",
    "                          file name, TAB, title, TAB, line number, TAB, kind,",
    "                          TAB, entry; kinds unknown, no-address, ambiguous,",
    "                          duplicate, not-an-address",
    "  books [--format csv|vcard|ldif] [--codepage CP] [FOLDER]",
    "                          every contact of every address book, in UTF-8",
    "",
    "  --help                  show this text; COMMAND --help for one command",
    "  --version               show the version",
    "",
    "FOLDER defaults to the current folder. Nothing is ever written to it.",
    "Exit status: 0 done; 1 check found something; 2 error.",
};

struct CommandHelp {
  std::string_view command;
  std::initializer_list<std::string_view> lines;
};

// One help line per string, as printed.
// clang-format off
const CommandHelp kCommandHelp[] = {
    {"lists",
     {"Usage: quillmer-cli lists [FOLDER]",
      "One line per mailing list of FOLDER (default: the current folder), in the",
      "folder's own order: file name, TAB, title."}},
    {"expand",
     {"Usage: quillmer-cli expand [--format text|to|csv] [--strip] [--sort] [FOLDER] LIST",
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
      "                 (address empty when the entry gives none)"}},
    {"check",
     {"Usage: quillmer-cli check [FOLDER]",
      "Reports what in the folder's lists will not reach anyone as meant, one line",
      "per finding: file name, TAB, title, TAB, line number, TAB, kind, TAB, entry.",
      "  unknown         no address book knows the name and it holds no @",
      "  no-address      the name's record has no e-mail address",
      "  ambiguous       several records hold the name, with different addresses;",
      "                  the first one is used",
      "  duplicate       the entry reaches an address an earlier entry of the same",
      "                  list already reaches (letter case ignored)",
      "  not-an-address  what the entry reaches does not look like local@domain",
      "Exit status 1 when anything is found, 0 when nothing is."}},
    {"books",
     {"Usage: quillmer-cli books [--format csv|vcard|ldif] [--codepage CP] [FOLDER]",
      "Every contact of every address book of FOLDER, books in the folder's order,",
      "records first to last, with all their fields, in UTF-8.",
      "  --format csv    (default) RFC 4180, header row",
      "                  name,company,key,street,postal,phone,fax,notes,email,book",
      "  --format vcard  vCard 3.0, for most address books and phones",
      "  --format ldif   LDIF, as Thunderbird's address book imports it",
      "  --codepage CP   the code page the books were written in: 1252 (default,",
      "                  Western Windows), 850 or 437 (DOS), 1250 (Central European)",
      "Bytes the code page does not define become U+FFFD and are counted on",
      "standard error."}},
};
// clang-format on

// What one command line asks for, once the options are sorted out.
struct Request {
  std::vector<std::string> positionals;
  std::vector<std::string> transforms;  // "--strip" / "--sort", in the order given
  std::optional<std::string> format;
  std::optional<std::string> codePage;
};

// Which options a command takes.
struct Accepts {
  bool transforms = false;
  bool format = false;
  bool codePage = false;
};

class Session {
 public:
  Session(std::string_view lineEnd, std::string& out, std::string& err,
          const std::function<void(std::string&)>* drain)
      : lineEnd_(lineEnd), out_(out), err_(err), drain_(drain) {}

  // Hands the output on once it is large, so that an export of any size
  // keeps little in memory.
  void Drain() {
    constexpr std::size_t kDrainSize = std::size_t{1} << 20;
    if (drain_ != nullptr && *drain_ && out_.size() >= kDrainSize) (*drain_)(out_);
  }

  // One line on standard error, prefixed with the program's name.
  void Note(std::string_view message) {
    err_ += kProgram;
    err_ += ": ";
    err_ += message;
    err_ += lineEnd_;
  }

  int Fail(std::string_view message) {
    Note(message);
    return kExitError;
  }

  void Line(std::string_view text) {
    out_ += text;
    out_ += lineEnd_;
  }

  std::string& out() { return out_; }
  std::string_view lineEnd() const { return lineEnd_; }

 private:
  std::string_view lineEnd_;
  std::string& out_;
  std::string& err_;
  const std::function<void(std::string&)>* drain_;
};

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  quoted += text;
  quoted += "'";
  return quoted;
}

// File names compare as Windows compares them: letters of either case match.
bool SameFileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (base::AsciiUpperByte(a[i]) != base::AsciiUpperByte(b[i])) return false;
  }
  return true;
}

bool EndsWithPml(std::string_view name) {
  constexpr std::string_view kExtension = ".pml";
  return name.size() >= kExtension.size() &&
         SameFileName(name.substr(name.size() - kExtension.size()), kExtension);
}

// Sorts the command's words into options and positionals. Anything after
// "--" is positional, so a title may begin with a dash. An option's value
// follows it as the next word or after "=".
std::optional<Request> ParseWords(Session& session, const std::vector<std::string>& args,
                                  Accepts accepts, int& status) {
  Request request;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    const std::string name = word.substr(0, word.find('='));
    std::optional<std::string>* valued = nullptr;
    if (!optionsEnded && accepts.format && name == "--format") valued = &request.format;
    if (!optionsEnded && accepts.codePage && name == "--codepage") valued = &request.codePage;
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && accepts.transforms && (word == "--strip" || word == "--sort")) {
      request.transforms.push_back(word);
    } else if (valued != nullptr) {
      if (name.size() < word.size()) {
        *valued = word.substr(name.size() + 1);
      } else if (i + 1 < args.size()) {
        *valued = args[++i];
      } else {
        status = session.Fail(name + " needs a value; try 'quillmer-cli " + args[0] + " --help'");
        return std::nullopt;
      }
    } else if (!optionsEnded && word.size() > 1 && word.front() == '-') {
      status = session.Fail("unknown option " + Quoted(word) + " for " + args[0] +
                            "; try 'quillmer-cli --help'");
      return std::nullopt;
    } else {
      request.positionals.push_back(word);
    }
  }
  return request;
}

using Folder = std::shared_ptr<const engine::MailFolder>;

// Reads the mail folder's address books and catalogue, as the window does
// at start-up. Reports a folder that cannot be entered or listed, which the
// window would silently show as empty.
Folder OpenFolder(Session& session, const std::optional<std::string>& folder, int& status) {
  // The Windows command line reads "C:\Mail\" as C:\Mail" (the backslash
  // escapes the closing quote); no folder name holds a quote there, so a
  // folder that is not found is tried once more without it.
  const std::string path = folder ? *folder : std::string(".");
  engine::OpenedFolder opened = engine::OpenMailFolder(path);
  if (opened.failure == engine::FolderFailure::kNotAFolder && path.size() > 1 &&
      path.back() == '"') {
    opened = engine::OpenMailFolder(path.substr(0, path.size() - 1));
  }
  if (opened.failure == engine::FolderFailure::kNotAFolder) {
    status = session.Fail("cannot open folder " + Quoted(path));
  } else if (opened.failure == engine::FolderFailure::kCannotList) {
    status = session.Fail("cannot read folder " + Quoted(path));
  }
  return opened.folder;
}

// Opens the mail folder that a command names as its only positional word,
// or the current folder when it names none.
Folder OpenNamedFolder(Session& session, const Request& request, const std::string& command,
                       int& status) {
  if (request.positionals.size() > 1) {
    status =
        session.Fail("too many arguments for " + command + ": " + Quoted(request.positionals[1]));
    return nullptr;
  }
  std::optional<std::string> folder;
  if (!request.positionals.empty()) folder = request.positionals[0];
  return OpenFolder(session, folder, status);
}

// The catalogue index of LIST: a file name ending in .PML names its file
// (letter case ignored); anything else, or a file name no list has, is
// taken as a title, the first list with that title winning.
std::optional<std::size_t> FindList(const engine::MailFolder& folder, std::string_view list) {
  if (EndsWithPml(list)) {
    for (std::size_t k = 0; k < folder.Lists().size(); ++k) {
      if (SameFileName(folder.ListFiles(k), list)) return k;
    }
  }
  return engine::FindListByTitle(folder.Lists(), list);
}

std::optional<std::string> ReadList(Session& session, const engine::MailFolder& folder,
                                    std::size_t k, int& status) {
  std::optional<std::string> bytes = engine::ReadListFile(folder, folder.Lists()[k]);
  if (!bytes) {
    status = session.Fail("cannot read mailing list file " + Quoted(folder.ListFiles(k)) +
                          " (missing, locked or not permitted)");
  }
  return bytes;
}

// ------------------------------------------------------------ lists

int Lists(Session& session, const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<Request> request = ParseWords(session, args, {}, status);
  if (!request) return status;
  const Folder folder = OpenNamedFolder(session, *request, args[0], status);
  if (!folder) return status;
  for (const engine::MailingList& list : folder->Lists())
    session.Line(list.file + "\t" + list.title);
  return kExitOk;
}

// ------------------------------------------------------------ entries

// What "Strip Names" makes of one line, without its line end.
std::string Reduced(std::string_view line) {
  std::string reduced = engine::StripNames(line);
  reduced.resize(reduced.size() - 2);  // every result line ends in CR LF
  return reduced;
}

// Where one entry of a list leads.
struct Reach {
  std::optional<std::size_t> record;  // the first record with the entry's name
  std::string address;                // reduced as "Strip Names" does; empty: none
};

// A name some book knows reaches its first record's address; any other
// entry holding "@" reaches itself; anything else reaches nothing.
Reach ReachOf(const engine::MailFolder& folder, std::string_view entry) {
  Reach reach;
  reach.record = folder.FindBookName(engine::UpperCase(entry));
  if (reach.record) {
    reach.address = Reduced(folder.BookAddresses()[*reach.record]);
  } else if (entry.find('@') != std::string_view::npos) {
    reach.address = Reduced(entry);
  }
  return reach;
}

bool IsAtext(char c) {
  constexpr std::string_view kSpecials = "!#$%&'*+-/=?^_`{|}~";
  const unsigned char u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         kSpecials.find(c) != std::string_view::npos || u >= 0x80;
}

// The entry as an RFC 5322 display name: as it is when it is words of
// atom characters separated by single spaces, else a quoted string.
std::string DisplayName(std::string_view entry) {
  const std::size_t first = entry.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  entry = entry.substr(first, entry.find_last_not_of(" \t") - first + 1);
  bool plain = true;
  for (std::size_t i = 0; i < entry.size() && plain; ++i) {
    plain = IsAtext(entry[i]) || (entry[i] == ' ' && entry[i - 1] != ' ');
  }
  if (plain) return std::string(entry);
  std::string quoted = "\"";
  for (const char c : entry) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

// ------------------------------------------------------------ expand

int Expand(Session& session, const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<Request> request =
      ParseWords(session, args, {.transforms = true, .format = true}, status);
  if (!request) return status;
  const std::string format = request->format.value_or("text");
  if (format != "text" && format != "to" && format != "csv") {
    return session.Fail("unknown format " + Quoted(format) +
                        " for expand (expected text, to or csv)");
  }
  if (format != "text" && !request->transforms.empty()) {
    return session.Fail(request->transforms.front() + " goes with --format text only");
  }
  const std::vector<std::string>& words = request->positionals;
  if (words.empty()) {
    return session.Fail("expand needs a LIST: a list's title or its file name ending in .PML");
  }
  if (words.size() > 2) return session.Fail("too many arguments for expand: " + Quoted(words[2]));
  std::optional<std::string> folder;
  if (words.size() == 2) folder = words[0];
  const std::string& list = words.back();
  // "expand FOLDER" forgot the LIST; say so rather than look for a list
  // titled like the folder's path.
  std::error_code error;
  const bool listIsFolder = !folder && std::filesystem::is_directory(list, error);
  const Folder opened = OpenFolder(session, folder, status);
  if (!opened) return status;

  const std::optional<std::size_t> k = FindList(*opened, list);
  if (!k && listIsFolder) {
    return session.Fail("expand needs a LIST after the folder " + Quoted(list) +
                        ": a list's title or its file name ending in .PML");
  }
  if (!k) {
    return session.Fail("no mailing list titled or named " + Quoted(list) + " in " +
                        Quoted(folder ? *folder : std::string(".")));
  }
  const std::optional<std::string> bytes = ReadList(session, *opened, *k, status);
  if (!bytes) return status;

  if (format == "to") {
    std::string line;
    engine::ForEachListEntry(*bytes, [&](std::size_t number, std::string_view entry) {
      const Reach reach = ReachOf(*opened, entry);
      if (reach.address.empty()) {
        session.Note("left out, no address: line " + std::to_string(number) + " " + Quoted(entry));
        return;
      }
      if (!line.empty()) line += ", ";
      const std::string name = reach.record ? DisplayName(entry) : std::string();
      line += name.empty() ? reach.address : name + " <" + reach.address + ">";
    });
    session.Line(line);
    return kExitOk;
  }
  if (format == "csv") {
    AppendCsvRow({"entry", "address"}, session.out());
    engine::ForEachListEntry(*bytes, [&](std::size_t, std::string_view entry) {
      AppendCsvRow({entry, ReachOf(*opened, entry).address}, session.out());
    });
    return kExitOk;
  }

  std::string text = engine::ExpandListText(*bytes, *opened);
  // The window's buttons work on the pane's bytes as they stand, cut at
  // CR LF only; so do these, and the bytes come out the same.
  for (const std::string& transform : request->transforms) {
    text = transform == "--strip" ? engine::StripNames(text) : engine::SortList(text);
  }
  session.out() += text;
  return kExitOk;
}

// ------------------------------------------------------------ check

// Letter case of a-z ignored, as addresses are compared.
std::string FoldedText(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = base::AsciiUpperByte(c);
  return lower;
}

// local@domain: a local part without blanks, controls or the characters
// that end an address in a header; a domain of letters, digits, hyphens and
// non-ASCII bytes in dot-separated labels, none empty.
bool LooksLikeAddress(std::string_view address) {
  const std::size_t at = address.rfind('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == address.size()) return false;
  for (const char c : address.substr(0, at)) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || u == 0x7F ||
        std::string_view("<>()[],;:\\\"@").find(c) != std::string_view::npos) {
      return false;
    }
  }
  const std::string_view domain = address.substr(at + 1);
  if (domain.front() == '.' || domain.back() == '.' ||
      domain.find("..") != std::string_view::npos) {
    return false;
  }
  for (const char c : domain) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool fits = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.' || u >= 0x80;
    if (!fits) return false;
  }
  return true;
}

// The names held by several records whose addresses differ (letter case
// aside): lookups give the first of them, which may not be the one meant.
std::unordered_set<std::string_view> AmbiguousNames(const engine::MailFolder& folder) {
  const engine::StringTable& names = folder.BookNames();
  const engine::StringTable& addresses = folder.BookAddresses();
  std::unordered_map<std::string_view, std::size_t> first;
  std::unordered_set<std::string_view> ambiguous;
  for (std::size_t k = 0; k < names.size(); ++k) {
    const auto [seen, added] = first.emplace(names[k], k);
    if (!added && FoldedText(addresses[seen->second]) != FoldedText(addresses[k])) {
      ambiguous.insert(names[k]);
    }
  }
  return ambiguous;
}

int Check(Session& session, const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<Request> request = ParseWords(session, args, {}, status);
  if (!request) return status;
  const Folder opened = OpenNamedFolder(session, *request, args[0], status);
  if (!opened) return status;

  const std::unordered_set<std::string_view> ambiguous = AmbiguousNames(*opened);
  bool found = false;
  bool unreadable = false;
  for (std::size_t k = 0; k < opened->Lists().size(); ++k) {
    int readStatus = kExitOk;
    const std::optional<std::string> bytes = ReadList(session, *opened, k, readStatus);
    if (!bytes) {
      unreadable = true;
      continue;
    }
    std::unordered_set<std::string> reached;  // lower-cased addresses of this list
    engine::ForEachListEntry(*bytes, [&](std::size_t number, std::string_view entry) {
      const auto report = [&](std::string_view kind) {
        found = true;
        std::string line = opened->ListFiles(k);
        line += '\t';
        line += opened->ListTitles(k);
        line += '\t';
        line += std::to_string(number);
        line += '\t';
        line += kind;
        line += '\t';
        line += entry;
        session.Line(line);
      };
      const Reach reach = ReachOf(*opened, entry);
      if (!reach.record && reach.address.empty()) {
        if (entry.find('@') == std::string_view::npos) {
          report("unknown");
        } else {
          // An entry holding "@" that reduces to nothing is no address either.
          report("not-an-address");
        }
        return;
      }
      if (reach.record && reach.address.empty()) report("no-address");
      if (reach.record && ambiguous.count(opened->BookNames()[*reach.record]) != 0) {
        report("ambiguous");
      }
      if (reach.address.empty()) return;
      if (!reached.insert(FoldedText(reach.address)).second) report("duplicate");
      if (!LooksLikeAddress(reach.address)) report("not-an-address");
    });
  }
  if (unreadable) return kExitError;
  return found ? kExitFindings : kExitOk;
}

// ------------------------------------------------------------ books

std::optional<unsigned> CodePageNumber(std::string_view text) {
  if (text.size() > 2 && SameFileName(text.substr(0, 2), "cp")) text.remove_prefix(2);
  unsigned number = 0;
  if (text.empty() || text.size() > 5) return std::nullopt;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (!platform::IsSupportedCodePage(number)) return std::nullopt;
  return number;
}

int Books(Session& session, const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<Request> request =
      ParseWords(session, args, {.format = true, .codePage = true}, status);
  if (!request) return status;
  const std::string format = request->format.value_or("csv");
  if (format != "csv" && format != "vcard" && format != "ldif") {
    return session.Fail("unknown format " + Quoted(format) +
                        " for books (expected csv, vcard or ldif)");
  }
  const std::optional<unsigned> codePage = CodePageNumber(request->codePage.value_or("1252"));
  if (!codePage) {
    return session.Fail("unknown code page " + Quoted(*request->codePage) +
                        " (expected 1252, 850, 437 or 1250)");
  }
  const Folder opened = OpenNamedFolder(session, *request, args[0], status);
  if (!opened) return status;

  std::unique_ptr<platform::CodePageConverter> converter;
  try {
    converter = std::make_unique<platform::CodePageConverter>(*codePage);
  } catch (const std::exception& e) {
    return session.Fail(std::string("cannot convert from code page ") + std::to_string(*codePage) +
                        ": " + e.what());
  }
  std::size_t undefined = 0;
  const auto utf8 = [&](std::string_view bytes, std::string& text) {
    text.clear();
    undefined += converter->AppendUtf8(bytes, text);
  };

  std::string& out = session.out();
  if (format == "csv") AppendContactCsvHeader(out);
  bool unreadable = false;
  Contact contact;
  for (const std::string& file : opened->BookFiles()) {
    const std::optional<std::string> bytes = engine::ReadBookFile(*opened, file);
    if (!bytes) {
      session.Note("cannot read address book " + Quoted(file) +
                   " (missing, locked or not permitted)");
      unreadable = true;
      continue;
    }
    utf8(file, contact.book);
    engine::ForEachBookRecord(*bytes, [&](const engine::BookRecord& f) {
      if (f.name.empty() && f.address.empty()) return;
      utf8(f.name, contact.name);
      utf8(f.company, contact.company);
      utf8(f.key, contact.key);
      utf8(f.street, contact.street);
      utf8(f.postal, contact.postal);
      utf8(f.phone, contact.phone);
      utf8(f.fax, contact.fax);
      utf8(f.notes, contact.notes);
      utf8(f.address, contact.email);
      if (format == "csv") {
        AppendContactCsv(contact, out);
      } else if (format == "vcard") {
        AppendContactVCard(contact, out);
      } else {
        AppendContactLdif(contact, out);
      }
      session.Drain();
    });
  }
  if (undefined > 0) {
    session.Note(std::to_string(undefined) + " byte" + (undefined == 1 ? "" : "s") +
                 " not defined in code page " + std::to_string(*codePage) + " written as U+FFFD");
  }
  return unreadable ? kExitError : kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::string_view lineEnd, std::string& out,
        std::string& err) {
  return Run(args, lineEnd, out, err, {});
}

int Run(const std::vector<std::string>& args, std::string_view lineEnd, std::string& out,
        std::string& err, const std::function<void(std::string&)>& drain) {
  Session session(lineEnd, out, err, &drain);
  for (const std::string& word : args) {
    if (word == "--") break;
    if (word == "--help" || word == "-h" || word == "/?") {
      for (const CommandHelp& help : kCommandHelp) {
        if (!args.empty() && args[0] == help.command) {
          for (const std::string_view line : help.lines) session.Line(line);
          return kExitOk;
        }
      }
      for (const std::string_view line : kHelp) session.Line(line);
      return kExitOk;
    }
    if (word == "--version") {
      session.Line(std::string(kProgram) + " " + QUILLMER_VERSION);
      return kExitOk;
    }
  }
  if (args.empty()) return session.Fail("no command given; try 'quillmer-cli --help'");
  const std::string& command = args[0];
  if (command == "lists") return Lists(session, args);
  if (command == "expand") return Expand(session, args);
  if (command == "check") return Check(session, args);
  if (command == "books") return Books(session, args);
  if (!command.empty() && command.front() == '-') {
    return session.Fail("unknown option " + Quoted(command) + "; try 'quillmer-cli --help'");
  }
  return session.Fail("unknown command " + Quoted(command) +
                      " (expected lists, expand, check or books); try 'quillmer-cli --help'");
}

}  // namespace cli
