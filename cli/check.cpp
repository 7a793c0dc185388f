// quillmer-cli check: what in the folder's lists will not reach anyone as
// meant, one line per finding; first the books that could not be read, then
// each list's findings (or that it could not be read).
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "engine/list_check.h"

namespace cli {

namespace {

using engine::FindingKind;
using engine::FindingKindName;

// clang-format off
constexpr std::string_view kSummary[] = {
    "  check [FOLDER]          what in the lists will not reach anyone as meant:",
    "                          file name, TAB, title, TAB, line number, TAB, kind,",
    "                          TAB, entry; kinds unknown, no-address, ambiguous,",
    "                          duplicate, not-an-address, unreadable",
};
constexpr std::string_view kHelp[] = {
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
// clang-format on

int RunCheck(Session& session, const Request& request) {
  const Result<Folder> folder = Folder::OpenNamed(session, request);
  if (!folder) return folder.status();

  const std::unordered_set<std::string_view> ambiguous = engine::AmbiguousNames(folder->Contents());
  bool found = false;
  bool unreadable = false;
  // A file that cannot be read: named on standard error and a finding of
  // its own, with no line number and the reason in place of the entry.
  const auto reportUnreadable = [&](const engine::UnreadableFile& file, std::string_view title) {
    session.Note(CannotRead(file));
    session.Line(Shown(file.file) + "\t" + std::string(title) + "\t\t" +
                 std::string(FindingKindName(FindingKind::kUnreadable)) + "\t" +
                 std::string(FailureText(file.reason)));
    unreadable = true;
  };
  for (const engine::UnreadableFile& file : folder->Unreadable()) {
    if (file.book) reportUnreadable(file, "");
  }
  for (std::size_t i = 0; i < folder->ListCount(); ++i) {
    const Folder::List list = folder->ListAt(i);
    platform::FileFailure why = platform::FileFailure::kNone;
    const std::optional<std::string> bytes = folder->ReadList(i, why);
    if (!bytes) {
      reportUnreadable({std::string(list.file), false, why}, list.title);
      continue;
    }
    for (const engine::EntryFinding& finding :
         engine::CheckList(folder->Contents(), ambiguous, *bytes)) {
      found = true;
      std::string line = Shown(list.file);
      line += '\t';
      line += list.title;
      line += '\t';
      line += std::to_string(finding.line);
      line += '\t';
      line += FindingKindName(finding.kind);
      line += '\t';
      line += finding.entry;
      session.Line(line);
    }
  }
  if (unreadable) return kExitUnreadable;
  return found ? kExitFindings : kExitOk;
}

}  // namespace

extern const Command kCheckCommand{"check",           {},      "[FOLDER]", FixedLines<kSummary>,
                                   FixedLines<kHelp>, RunCheck};

}  // namespace cli
