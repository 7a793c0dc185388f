// quillmer-cli expand: one list as the window's output pane shows it (after
// the same buttons), as one line for a To field, or as entry,address rows.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "engine/entry_reach.h"
#include "engine/mailing_list.h"
#include "engine/output_options.h"
#include "exchange/address_syntax.h"
#include "exchange/contact_formats.h"
#include "platform/files.h"

namespace cli {

using exchange::AppendCsvRow;
using exchange::DisplayName;

namespace {

// "Name <address>" for each name a book knows, the address for each other
// entry that gives one, separated by ", "; the entries that give none are
// named on standard error.
void WriteToLine(Session& session, const Folder& folder, std::string_view list) {
  std::string line;
  engine::ForEachListEntry(list, [&](std::size_t number, std::string_view entry) {
    const engine::Reach reach = engine::ReachOf(folder.Contents(), entry);
    if (reach.address.empty()) {
      session.Note("left out, no address: line " + std::to_string(number) + " " + Quoted(entry));
      return;
    }
    if (!line.empty()) line += ", ";
    const std::string name = reach.record ? DisplayName(entry) : std::string();
    line += name.empty() ? reach.address : name + " <" + reach.address + ">";
  });
  session.Line(line);
}

void WriteCsv(Session& session, const Folder& folder, std::string_view list) {
  AppendCsvRow({"entry", "address"}, session.out());
  engine::ForEachListEntry(list, [&](std::size_t, std::string_view entry) {
    AppendCsvRow({entry, engine::ReachOf(folder.Contents(), entry).address}, session.out());
  });
}

// clang-format off
constexpr std::string_view kFormats[] = {"text", "to", "csv"};
constexpr Option kFormat{.name = "--format", .value = "FORMAT", .choices = kFormats};
// As the window's buttons, in the order given.
constexpr Option kStrip{.name = "--strip"};
constexpr Option kSort{.name = "--sort"};
constexpr Option kOptions[] = {kFormat, kStrip, kSort};

constexpr std::string_view kSummary[] = {
    "  expand [--strip] [--sort] [FOLDER] LIST",
    "                          the expansion of LIST exactly as the window shows it,",
    "                          lines ending in CR LF; LIST is a list's title or its",
    "                          file name ending in .PML; --strip (Strip Names) and",
    "                          --sort (Sort List) apply in the order given",
    "  expand --format to|csv [FOLDER] LIST",
    "                          to: one line for a To, Cc or Bcc field; csv: rows of",
    "                          entry,address",
};
constexpr std::string_view kHelp[] = {
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
// clang-format on

int RunExpand(Session& session, const Request& request) {
  const std::string format = *request.Value(kFormat);
  // The buttons' names, in the order given.
  std::vector<std::string_view> transforms;
  for (const auto& [name, value] : request.given()) {
    if (name == kStrip.name || name == kSort.name) transforms.push_back(name);
  }
  if (format != "text" && !transforms.empty()) {
    return session.Fail(std::string(transforms.front()) + " goes with --format text only");
  }
  const std::vector<std::string>& words = request.positionals();
  if (words.empty()) {
    return session.Fail("expand needs a LIST: a list's title or its file name ending in .PML");
  }
  if (words.size() > 2)
    return session.Fail("too many arguments for expand: " + Quoted(Shown(words[2])));
  std::optional<std::string> path;
  if (words.size() == 2) path = words[0];
  const std::string& name = words.back();
  // "expand FOLDER" forgot the LIST; say so rather than look for a list
  // titled like the folder's path. Asked before the folder becomes current.
  const bool nameIsFolder = !path && platform::IsFolder(name, kNames);
  const Result<Folder> folder = Folder::Open(session, path);
  if (!folder) return folder.status();

  const std::optional<std::size_t> found = folder->FindList(name);
  if (!found && nameIsFolder) {
    return session.Fail("expand needs a LIST after the folder " + Quoted(Shown(name)) +
                        ": a list's title or its file name ending in .PML");
  }
  if (!found) {
    // A list that could not be read has no title: it may be the one meant.
    const int unreadable = folder->NoteUnreadable(session, false);
    const int status = session.Fail("no mailing list titled or named " + Quoted(Shown(name)) +
                                    " in " + Quoted(Shown(path ? *path : std::string("."))));
    return unreadable == kExitOk ? status : unreadable;
  }
  platform::FileFailure why = platform::FileFailure::kNone;
  const std::optional<std::string> list = folder->ReadList(*found, why);
  if (!list) {
    const Folder::List named = folder->ListAt(*found);
    return session.Fail(CannotRead({std::string(named.file), false, why}));
  }

  if (format == "to") {
    WriteToLine(session, *folder, *list);
  } else if (format == "csv") {
    WriteCsv(session, *folder, *list);
  } else {
    std::string text = folder->ExpandList(*list);
    // The window's buttons work on the pane's bytes as they stand, cut at
    // CR LF only; so do these, and the bytes come out the same.
    for (const std::string_view transform : transforms) {
      text = transform == kStrip.name ? engine::StripNames(text) : engine::SortList(text);
    }
    // Usually nothing is written before: the expansion becomes the output
    // as it stands, not a copy of it.
    std::string& out = session.out();
    if (out.empty()) {
      out = std::move(text);
    } else {
      out += text;
    }
  }
  // Names only the books knew are missing from the expansion.
  return folder->NoteUnreadable(session, true);
}

}  // namespace

extern const Command kExpandCommand{
    "expand", kOptions, "[FOLDER] LIST", FixedLines<kSummary>, FixedLines<kHelp>, RunExpand};

}  // namespace cli
