// quillmer-cli export: the books and the lists together, in the form one
// target program imports, so that every list reaches the same people there;
// or, with --report, what will arrive of each list.
#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// clang-format off
constexpr Option kTo{.name = "--to", .value = "TARGET", .required = true};
constexpr Option kBase{.name = "--base", .value = "DN"};
constexpr Option kReport{.name = "--report"};
constexpr Option kOptions[] = {kTo, kCodePageOption, kBase, kReport};

constexpr std::string_view kHelpHead[] = {
    "Every contact of the address books and every mailing list, together, in the",
    "form TARGET imports, so that each list reaches there the same addresses as",
    "expand --format to gives. A plain address no record holds becomes a contact;",
    "records identical in name and address become one.",
};
constexpr std::string_view kHelpOptions[] = {
    "  --codepage CP     the books' code page: 1252 (default), 850, 437 or 1250",
    "  --report          instead of the export, one line per list: file name, TAB,",
    "                    title, TAB, members that arrive, TAB, entries left out, TAB,",
    "                    contacts made for plain addresses, TAB, what the target",
    "                    changes (renamed to 'TITLE', left out, duplicates merged)",
    "A title the target would refuse is changed as little as it can be, and a",
    "title two lists share there is numbered: \"Friends (2)\".",
};
// clang-format on

// Where the text of the help's two-column lines begins.
constexpr std::size_t kHelpColumn = 20;

// `head` and the first of `lines` in two columns, the other lines under
// the first.
void AddColumns(std::vector<std::string>& help, std::string head,
                std::span<const std::string_view> lines) {
  head.resize(std::max(kHelpColumn, head.size() + 2), ' ');
  for (std::size_t i = 0; i < lines.size(); ++i) {
    help.push_back((i == 0 ? head : std::string(kHelpColumn, ' ')) + std::string(lines[i]));
  }
}

// The names of the targets for which `has` holds, in the table's order.
template <typename Has>
std::vector<std::string_view> TargetNames(Has has) {
  std::vector<std::string_view> names;
  for (const ExportTarget& target : exchange::ExportTargets()) {
    if (has(target)) names.push_back(target.name);
  }
  return names;
}

std::vector<std::string> Summary();
std::vector<std::string> Help();
int RunExport(Session& session, const Request& request);

}  // namespace

extern const Command kExportCommand{"export", kOptions, "[FOLDER]", Summary, Help, RunExport};

namespace {

std::vector<std::string> Summary() {
  std::vector<std::string> summary = {"  " + Synopsis(kExportCommand)};
  const std::vector<std::string> lines =
      Wrapped("the contacts and the lists together, for " +
                  Alternatives(TargetNames([](const ExportTarget&) { return true; })),
              std::string(26, ' '), 79);
  summary.insert(summary.end(), lines.begin(), lines.end());
  return summary;
}

std::vector<std::string> Help() {
  std::vector<std::string> help(std::begin(kHelpHead), std::end(kHelpHead));
  for (const ExportTarget& target : exchange::ExportTargets()) {
    AddColumns(help, "  --to " + std::string(target.name), target.help);
  }
  help.insert(help.end(), std::begin(kHelpOptions), std::end(kHelpOptions));
  // Targets with the same rules, one after the other, are named together.
  const std::span<const ExportTarget> targets = exchange::ExportTargets();
  for (std::size_t i = 0; i < targets.size();) {
    std::size_t end = i + 1;
    while (end < targets.size() && targets[end].titleHelp.data() == targets[i].titleHelp.data()) {
      ++end;
    }
    std::string names = "  ";
    for (std::size_t k = i; k < end; ++k) {
      if (k > i) names += ", ";
      names += targets[k].name;
    }
    AddColumns(help, names, targets[i].titleHelp);
    i = end;
  }
  const std::vector<std::string> dropping = Wrapped(
      "A list without a title is called by its file name. Lists without members are left out by " +
          Alternatives(TargetNames([](const ExportTarget& t) { return t.dropsEmptyLists; }),
                       "and") +
          ", each named on standard error; then a one-line summary. Output in UTF-8 unless said "
          "otherwise.",
      "", 77);
  help.insert(help.end(), dropping.begin(), dropping.end());
  help.push_back("The same folder gives the same UIDs on every run: importing again updates.");
  return help;
}

int RunExport(Session& session, const Request& request) {
  const std::optional<std::string> to = request.Value(kTo);
  const std::optional<std::string> base = request.Value(kBase);
  const bool report = request.Has(kReport);
  const ExportTarget* target = to ? exchange::FindExportTarget(*to) : nullptr;
  if (target == nullptr) {
    const std::string why = to ? "unknown target " + Quoted(Shown(*to)) + " for export"
                               : std::string("export needs --to TARGET");
    return session.Fail(why + " (expected " +
                        Alternatives(TargetNames([](const ExportTarget&) { return true; })) + ")");
  }
  if (target->needsBase && !report && (!base || base->find('=') == std::string::npos)) {
    return session.Fail("export --to " + std::string(target->name) +
                        " needs --base DN, the entry to export under, such as "
                        "'dc=example,dc=org'");
  }
  if (!target->needsBase && base) {
    return session.Fail(
        "--base goes with --to " +
        Alternatives(TargetNames([](const ExportTarget& t) { return t.needsBase; })) + " only");
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
  if (report) {
    WriteReport(session, exported, *target, converter);
  } else {
    const std::string under = base.value_or("");
    exchange::Sink sink(session.out(), [&session] { session.Drain(); });
    ExportContext context{sink, under, opened->codePage};
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

}  // namespace

}  // namespace cli
