// quillmer-cli export: the books and the lists together, in the form one
// target program imports, so that every list reaches the same people there;
// or, with --report, what will arrive of each list.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "cli/cli.h"
#include "cli/codepage_option.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "exchange/export_build.h"
#include "exchange/export_model.h"
#include "exchange/export_targets.h"
#include "exchange/sink.h"

namespace cli {

namespace {

using exchange::Arrives;
using exchange::ExportContact;
using exchange::ExportContext;
using exchange::ExportFolder;
using exchange::ExportList;
using exchange::ExportTarget;

std::string Counted(std::size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

// What the target changes of a list, "unchanged" when nothing.
std::string Changes(const ExportList& list, const ExportTarget& target) {
  std::string changes;
  const auto add = [&](const std::string& change) {
    if (!changes.empty()) changes += "; ";
    changes += change;
  };
  if (!list.readable) add("left out: cannot be read");
  if (list.readable && !Arrives(list, target.dropsEmptyLists)) add("left out: no members");
  if (list.renamed && Arrives(list, target.dropsEmptyLists)) {
    add("renamed to " + Quoted(list.title));
  }
  if (list.duplicates > 0) {
    add(Counted(list.duplicates, "duplicate entry merged", "duplicate entries merged"));
  }
  return changes.empty() ? "unchanged" : changes;
}

void WriteReport(Session& session, const ExportFolder& folder, const ExportTarget& target,
                 platform::CodePageConverter& converter) {
  for (const ExportList& list : folder.lists) {
    const bool arrives = Arrives(list, target.dropsEmptyLists);
    std::string line;
    converter.AppendUtf8(list.file, line);
    line += '\t';
    converter.AppendUtf8(list.rawTitle, line);
    line += '\t' + std::to_string(arrives ? list.members.size() : 0);
    line += '\t' + std::to_string(list.leftOut);
    line += '\t' + std::to_string(list.made);
    line += '\t' + Changes(list, target);
    session.Line(line);
  }
}

// The one line that ends an export on standard error.
std::string Summary(const ExportFolder& folder, const ExportTarget& target,
                    const ExportContext& context) {
  std::size_t made = 0;
  for (const ExportContact& contact : folder.contacts) made += contact.made ? 1 : 0;
  std::size_t arrived = 0;
  std::size_t renamed = 0;
  std::size_t leftOut = 0;
  for (const ExportList& list : folder.lists) {
    if (Arrives(list, target.dropsEmptyLists)) {
      ++arrived;
      renamed += list.renamed ? 1 : 0;
    }
    leftOut += list.leftOut;
  }
  std::string line = "export to " + std::string(target.name) + ": " +
                     Counted(folder.contacts.size(), "contact", "contacts") + " (" +
                     std::to_string(made) + " made for plain addresses, " +
                     Counted(folder.merged, "identical record merged", "identical records merged");
  if (context.renamed > 0) line += ", " + std::to_string(context.renamed) + " renamed";
  line += "), " + Counted(arrived, "list", "lists");
  std::string changes;
  if (renamed > 0) changes = std::to_string(renamed) + " renamed";
  if (arrived < folder.lists.size()) {
    changes +=
        (changes.empty() ? "" : ", ") + std::to_string(folder.lists.size() - arrived) + " left out";
  }
  if (!changes.empty()) line += " (" + changes + ")";
  line += ", " + Counted(leftOut, "entry", "entries") + " without an address left out";
  return line;
}

}  // namespace

int RunExport(Session& session, const Request& request) {
  const ExportTarget* target = request.to ? exchange::FindExportTarget(*request.to) : nullptr;
  if (target == nullptr) {
    const std::string why = request.to
                                ? "unknown target " + Quoted(Shown(*request.to)) + " for export"
                                : std::string("export needs --to TARGET");
    return session.Fail(why + " (expected " + exchange::ExportTargetNames() + ")");
  }
  if (target->needsBase && !request.report &&
      (!request.base || request.base->find('=') == std::string::npos)) {
    return session.Fail("export --to " + std::string(target->name) +
                        " needs --base DN, the entry to export under, such as "
                        "'dc=example,dc=org'");
  }
  if (!target->needsBase && request.base) {
    return session.Fail("--base goes with --to ldap only");
  }
  // The build reads every book itself, once: the folder need not read them.
  const Result<ConvertingFolder> opened =
      OpenConvertingFolder(session, request, {.bookRecords = false});
  if (!opened) return opened.status();
  platform::CodePageConverter& converter = *opened->converter;

  const Folder& folder = opened->folder;
  const ExportFolder exported = exchange::BuildExport(
      {folder.Contents(), folder.Retry(), converter,
       [&session](const engine::UnreadableFile& file) { session.Note(CannotRead(file)); },
       engine::Split::kWhenWorthIt},
      target->rules);
  if (request.report) {
    WriteReport(session, exported, *target, converter);
  } else {
    const std::string base = request.base.value_or("");
    exchange::Sink sink(session.out(), [&session] { session.Drain(); });
    ExportContext context{sink, base, opened->codePage};
    context.split = engine::Split::kWhenWorthIt;
    target->write(exported, context);
    // Nothing is left out silently: an unreadable list was named when it
    // was read, an empty one the target cannot hold is named here.
    for (const ExportList& list : exported.lists) {
      if (list.readable && !Arrives(list, target->dropsEmptyLists)) {
        session.Note("list " + Quoted(list.original) + " (" + Shown(list.file) + ") left out: " +
                     std::string(target->name) + " cannot hold a list without members");
      }
    }
    session.Note(Summary(exported, *target, context));
    if (context.unwritable > 0) {
      session.Note(Counted(context.unwritable, "character", "characters") +
                   " the output's code page lacks written as '?'");
    }
  }
  NoteUndefinedBytes(session, exported.undefined, opened->codePage);
  return exported.unreadable ? kExitUnreadable : kExitOk;
}

}  // namespace cli
