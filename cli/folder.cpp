#include "cli/folder.h"

#include <utility>

#include "base/ascii.h"
#include "cli/cli.h"
#include "engine/bytes.h"
#include "engine/expansion.h"

namespace cli {

namespace {

bool EndsWithPml(std::string_view name) {
  constexpr std::string_view kExtension = ".pml";
  return name.size() >= kExtension.size() &&
         base::EqualIgnoringAsciiCase(name.substr(name.size() - kExtension.size()), kExtension);
}

}  // namespace

Result<Folder> Folder::Open(Session& session, const std::optional<std::string>& path,
                            const engine::OpenOptions& parts) {
  // The Windows command line reads "C:\Mail\" as C:\Mail" (the backslash
  // escapes the closing quote); no folder name holds a quote there, so a
  // folder that is not found is tried once more without it.
  const std::string name = path ? *path : std::string(".");
  engine::OpenOptions options = parts;
  options.retry = engine::RetryDeadline(session.retryFor());
  // A command runs alone: it may use a second processor where that pays.
  options.split = engine::Split::kWhenWorthIt;
  options.names = kNames;
  engine::OpenedFolder opened = engine::OpenMailFolder(name, options);
  if (opened.failure == engine::FolderFailure::kNotAFolder && name.size() > 1 &&
      name.back() == '"') {
    opened = engine::OpenMailFolder(name.substr(0, name.size() - 1), options);
  }
  switch (opened.failure) {
    case engine::FolderFailure::kNone:
      return Folder(std::move(opened.folder), options.retry);
    case engine::FolderFailure::kNotAFolder:
      break;
    case engine::FolderFailure::kCannotList:
      return Failure{session.Fail("cannot read folder " + Quoted(Shown(name)))};
  }
  return Failure{session.Fail("cannot open folder " + Quoted(Shown(name)))};
}

Result<Folder> Folder::OpenNamed(Session& session, const Request& request,
                                 const engine::OpenOptions& parts) {
  const std::vector<std::string>& words = request.positionals();
  if (words.size() > 1) {
    return Failure{session.Fail("too many arguments for " + request.command() + ": " +
                                Quoted(Shown(words[1])))};
  }
  std::optional<std::string> path;
  if (!words.empty()) path = words[0];
  return Open(session, path, parts);
}

std::size_t Folder::ListCount() const {
  return folder_->Lists().size();
}

Folder::List Folder::ListAt(std::size_t i) const {
  return {folder_->ListFiles(i), folder_->ListTitles(i)};
}

std::optional<std::size_t> Folder::FindList(std::string_view list) const {
  if (EndsWithPml(list)) {
    for (std::size_t k = 0; k < folder_->Lists().size(); ++k) {
      if (base::EqualIgnoringAsciiCase(folder_->ListFiles(k), list)) return k;
    }
  }
  // Titles are bytes of the ANSI code page, as the window shows them.
  return engine::FindListByTitle(folder_->Lists(), Shown(list));
}

std::optional<std::string> Folder::ReadList(std::size_t i, platform::FileFailure& why) const {
  return engine::ReadListFile(*folder_, folder_->Lists()[i], retry_, &why);
}

const std::vector<engine::UnreadableFile>& Folder::Unreadable() const {
  return folder_->Unreadable();
}

int Folder::NoteUnreadable(Session& session, bool books) const {
  int status = kExitOk;
  for (const engine::UnreadableFile& file : folder_->Unreadable()) {
    if (file.book != books) continue;
    session.Note(CannotRead(file));
    status = kExitUnreadable;
  }
  return status;
}

std::size_t Folder::RecordCount() const {
  return folder_->BookNames().size();
}

std::string_view Folder::RecordName(std::size_t k) const {
  return folder_->BookNames()[k];
}

std::string_view Folder::RecordAddress(std::size_t k) const {
  return folder_->BookAddresses()[k];
}

std::optional<std::size_t> Folder::FindRecord(std::string_view entry) const {
  return folder_->FindBookName(engine::UpperCase(entry));
}

std::string Folder::ExpandList(std::string_view listBytes) const {
  return engine::ExpandListText(listBytes, *folder_, engine::Split::kWhenWorthIt);
}

const std::vector<std::string>& Folder::BookFiles() const {
  return folder_->BookFiles();
}

bool Folder::ReadBook(const std::string& file, engine::WholeFile& content,
                      platform::FileFailure& why) const {
  return engine::ReadBookFile(*folder_, file, content, retry_, &why);
}

std::string_view FailureText(platform::FileFailure why) {
  switch (why) {
    case platform::FileFailure::kHeld:
      return "held by another program";
    case platform::FileFailure::kNotPermitted:
      return "not permitted";
    case platform::FileFailure::kMissing:
      return "missing";
    case platform::FileFailure::kNotAFile:
      return "not a file";
    case platform::FileFailure::kNone:
    case platform::FileFailure::kReadFailed:
      break;
  }
  return "read failed";
}

std::string CannotRead(const engine::UnreadableFile& file) {
  return std::string(file.book ? "cannot read address book " : "cannot read mailing list file ") +
         Quoted(Shown(file.file)) + " (" + std::string(FailureText(file.reason)) + ")";
}

}  // namespace cli
