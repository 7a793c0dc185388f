// quillmer-cli import: contacts and groups from another program's file into
// a Pegasus Mail folder, as a new address book and one new list per group;
// with --report, first what each list and contact becomes.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/codepage_option.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "engine/mail_folder.h"
#include "engine/mailing_list.h"
#include "exchange/import_folder.h"
#include "exchange/import_readers.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace cli {

namespace {

// clang-format off
constexpr std::string_view kImportSummary[] = {
    "  import --from SOURCE [--codepage CP] [--report] --into FOLDER FILE",
    "                          contacts and groups from a file of thunderbird, ldap,",
    "                          vcard, apple, google, outlook, mutt or csv, into new",
    "                          files of FOLDER: one address book, a list per group",
};
constexpr std::string_view kImportHelp[] = {
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
    "  --into FOLDER       the mail folder the new files go into, made when missing",
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

constexpr Option kFrom{.name = "--from", .value = "SOURCE", .required = true};
constexpr Option kReport{.name = "--report"};
constexpr Option kInto{.name = "--into", .value = "FOLDER", .required = true};
constexpr Option kOptions[] = {kFrom, kCodePageOption, kReport, kInto};

using exchange::FieldLoss;
using exchange::ImportPlan;
using exchange::PlannedContact;
using exchange::PlannedList;

std::string_view WriteFailureText(platform::WriteFailure why) {
  switch (why) {
    case platform::WriteFailure::kExists:
      return "a file of that name appeared meanwhile";
    case platform::WriteFailure::kMissing:
      return "the folder is not there";
    case platform::WriteFailure::kNotPermitted:
      return "not permitted";
    case platform::WriteFailure::kNone:
    case platform::WriteFailure::kWriteFailed:
      break;
  }
  return "write failed";
}

// The whole of FILE, tried again as the other commands try a book.
std::optional<std::string> ReadInput(Session& session, const std::string& path,
                                     platform::FileFailure& why) {
  const engine::RetryDeadline retry(session.retryFor());
  for (;;) {
    std::optional<std::string> bytes = platform::ReadWholeFileExclusive(path, &why);
    if (bytes) return bytes;
    const bool unreadable = why == platform::FileFailure::kHeld ||
                            why == platform::FileFailure::kNotPermitted ||
                            why == platform::FileFailure::kReadFailed;
    if (!unreadable || !retry.WaitToRetry()) return std::nullopt;
  }
}

// The book's title: FILE's name without its folder and its extension, or
// "Imported from SOURCE" when that leaves nothing.
std::string BookTitle(std::string_view path, std::string_view source) {
  std::size_t start = path.size();
  while (start > 0 && !platform::IsPathSeparator(path[start - 1])) --start;
  std::string_view name = path.substr(start);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos) {
    name = name.substr(0, dot);
  }
  if (name.empty()) return "Imported from " + std::string(source);
  return std::string(name);
}

// A cell of the report on one line: control characters as blanks.
std::string Cell(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return text;
}

// "name 3, notes 12", the count each field lost, or "none".
std::string Losses(const std::vector<FieldLoss>& losses, std::size_t FieldLoss::*count) {
  std::string text;
  for (const FieldLoss& loss : losses) {
    if (loss.*count == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::string(loss.field) + " " + std::to_string(loss.*count);
  }
  return text.empty() ? "none" : text;
}

// One line per list: file, title, members, entries written as names, as
// addresses, members left out; then one per contact: book file, record
// number, name, characters cut per field, characters written as '?'.
void WriteReport(Session& session, const exchange::ImportedFile& file, const ImportPlan& plan,
                 const platform::CodePageConverter& converter) {
  for (const PlannedList& list : plan.lists) {
    std::string title;
    converter.AppendUtf8(list.title, title);
    session.Line(list.file + '\t' + Cell(title) + '\t' + std::to_string(list.members) + '\t' +
                 std::to_string(list.asNames) + '\t' + std::to_string(list.asAddresses) + '\t' +
                 std::to_string(list.leftOut.size() + list.unresolved));
  }
  for (std::size_t k = 0; k < plan.contacts.size(); ++k) {
    const PlannedContact& contact = plan.contacts[k];
    session.Line(plan.bookFile + '\t' + std::to_string(k + 1) + '\t' +
                 Cell(file.contacts[contact.contact].fields.name) + '\t' +
                 Losses(contact.losses, &FieldLoss::cut) + '\t' +
                 Losses(contact.losses, &FieldLoss::lost));
  }
}

// The one line that ends an import on standard error.
std::string Summary(std::string_view source, const ImportPlan& plan) {
  std::size_t cut = 0;
  std::size_t lost = plan.titleLoss.lost;
  for (const PlannedContact& contact : plan.contacts) {
    for (const FieldLoss& loss : contact.losses) {
      cut += loss.cut > 0 ? 1 : 0;
      lost += loss.lost;
    }
  }
  std::size_t names = 0;
  std::size_t addresses = 0;
  std::size_t leftOut = 0;
  std::string files;
  for (const PlannedList& list : plan.lists) {
    names += list.asNames;
    addresses += list.asAddresses;
    leftOut += list.leftOut.size() + list.unresolved;
    lost += list.titleLoss.lost;
    files += (files.empty() ? "" : ", ") + list.file;
  }
  std::string line = "import from " + std::string(source) + ": " +
                     Counted(plan.contacts.size(), "contact", "contacts");
  if (!plan.bookFile.empty()) line += " into " + plan.bookFile;
  line += ", " + Counted(plan.lists.size(), "list", "lists");
  if (!files.empty()) line += " (" + files + ")";
  line += ": " + Counted(names, "entry", "entries") + " as names, " + std::to_string(addresses) +
          " as addresses, " + Counted(leftOut, "member", "members") + " left out; " +
          Counted(cut, "field", "fields") + " cut, " + Counted(lost, "character", "characters") +
          " written as '?'";
  return line;
}

// The folder's own lists whose entries the new book may lead elsewhere:
// each such entry named on standard error before anything is written.
void NoteTurnedEntries(Session& session, const Folder& folder, const ImportPlan& plan) {
  if (plan.bookFile.empty()) return;
  const exchange::ExistingEntries existing(plan, folder.Contents());
  for (std::size_t i = 0; i < folder.ListCount(); ++i) {
    platform::FileFailure why = platform::FileFailure::kNone;
    const std::optional<std::string> list = folder.ReadList(i, why);
    if (!list) {
      session.Note(CannotRead({std::string(folder.ListAt(i).file), false, why}) +
                   ": what the new book changes of it is not known");
      continue;
    }
    engine::ForEachListEntry(*list, [&](std::size_t line, std::string_view entry) {
      const auto turn = existing.Turns(entry);
      if (!turn) return;
      session.Note("list " + Quoted(Shown(folder.ListAt(i).file)) + " line " +
                   std::to_string(line) + ": " + Quoted(entry) + " may reach " + Quoted(turn->now) +
                   " from " + plan.bookFile + " instead of " +
                   (turn->before.empty() ? std::string("nothing") : Quoted(turn->before)));
    });
  }
}

}  // namespace

int RunImport(Session& session, const Request& request) {
  const std::optional<std::string> from = request.Value(kFrom);
  const exchange::ImportSource* source = from ? exchange::FindImportSource(*from) : nullptr;
  if (source == nullptr) {
    const std::string why = from ? "unknown source " + Quoted(Shown(*from)) + " for import"
                                 : std::string("import needs --from SOURCE");
    return session.Fail(why + " (expected " + exchange::ImportSourceNames() + ")");
  }
  const std::optional<std::string> into = request.Value(kInto);
  if (!into) {
    return session.Fail("import needs --into FOLDER, the mail folder to write the new files into");
  }
  const std::vector<std::string>& words = request.positionals();
  if (words.empty()) return session.Fail("import needs a FILE to read");
  if (words.size() > 1) {
    return session.Fail("too many arguments for import: " + Quoted(Shown(words[1])));
  }
  const std::string& path = words[0];
  const Result<unsigned> codePage = CodePageOption(session, request);
  if (!codePage) return codePage.status();

  // The file whole and read first: a fault in it writes nothing.
  platform::FileFailure why = platform::FileFailure::kNone;
  const std::optional<std::string> bytes = ReadInput(session, path, why);
  if (!bytes) {
    return session.Fail("cannot read " + Quoted(Shown(path)) + " (" +
                        std::string(FailureText(why)) + ")");
  }
  const exchange::ImportRead read = source->readAnsi(*bytes, exchange::AnsiCodePageFor(*codePage));
  if (read.fault) {
    const std::string where =
        Shown(path) + (read.fault->line > 0 ? ":" + std::to_string(read.fault->line) : "");
    return session.Fail(where + ": " + read.fault->what);
  }

  // The folder: its books, for the names they know, and every name in it.
  const bool there = platform::IsFolder(*into, kNames);
  if (!there && platform::LookUpEntryName(*into, kNames)) {
    return session.Fail("cannot import into " + Quoted(Shown(*into)) + ": not a folder");
  }
  std::optional<Folder> folder;
  std::vector<std::string> taken;
  if (there) {
    Result<Folder> opened = Folder::Open(session, *into);
    if (!opened) return opened.status();
    // A book that cannot be read may hold any of the names: no list could
    // be trusted to reach its people.
    if (opened->NoteUnreadable(session, true) != kExitOk) {
      session.Note("nothing imported: every address book of " + Quoted(Shown(*into)) +
                   " must be read first");
      return kExitUnreadable;
    }
    folder.emplace(std::move(*opened));
    std::optional<std::vector<std::string>> names = platform::ListEntryNames(*into, kNames);
    if (!names) return session.Fail("cannot read folder " + Quoted(Shown(*into)));
    taken = std::move(*names);
  }

  const auto converter = std::make_unique<platform::CodePageConverter>(*codePage);
  if (!converter->IsOpen()) {
    return session.Fail("cannot convert to code page " + std::to_string(*codePage) + ": " +
                        converter->OpenFailure());
  }
  const auto encoder = std::make_unique<platform::CodePageEncoder>(*codePage);
  const ImportPlan plan = exchange::PlanImport(read.file, folder ? &folder->Contents() : nullptr,
                                               taken, BookTitle(path, source->name), *encoder);
  if (request.Has(kReport)) WriteReport(session, read.file, plan, *converter);
  if (folder) NoteTurnedEntries(session, *folder, plan);

  const bool anything = !plan.bookFile.empty() || !plan.lists.empty();
  bool made = false;
  if (anything && !there) {
    const platform::WriteFailure failure = platform::MakeFolder(*into, kNames);
    if (failure != platform::WriteFailure::kNone) {
      const std::string reason = failure == platform::WriteFailure::kMissing
                                     ? "the folder it goes in is not there"
                                     : std::string(WriteFailureText(failure));
      return session.Fail("cannot make folder " + Quoted(Shown(*into)) + " (" + reason + ")");
    }
    made = true;
  }
  if (const auto fault = exchange::WriteImport(*into, plan, kNames)) {
    if (made) platform::RemoveEmptyFolder(*into, kNames);
    return session.Fail("cannot write " + Quoted(fault->file) + " into " + Quoted(Shown(*into)) +
                        " (" + std::string(WriteFailureText(fault->why)) + "): nothing imported");
  }
  // Nothing is left out silently.
  for (const PlannedList& list : plan.lists) {
    for (const exchange::LeftOutMember& member : list.leftOut) {
      session.Note("list " + Quoted(read.file.groups[list.group].name) + " (" + list.file +
                   "): " + Quoted(member.member) + " left out: " + member.why);
    }
    if (list.unresolved > 0) {
      session.Note("list " + Quoted(read.file.groups[list.group].name) + " (" + list.file +
                   "): " + Counted(list.unresolved, "member", "members") +
                   " the file names but does not give left out");
    }
  }
  session.Note(Summary(source->name, plan));
  return kExitOk;
}

extern const Command kImportCommand{
    "import", kOptions, "FILE", FixedLines<kImportSummary>, FixedLines<kImportHelp>, RunImport};

}  // namespace cli
