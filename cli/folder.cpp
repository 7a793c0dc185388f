#include "cli/folder.h"

#include <utility>

#include "base/ascii.h"
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
                            const engine::FolderParts& parts) {
  // The Windows command line reads "C:\Mail\" as C:\Mail" (the backslash
  // escapes the closing quote); no folder name holds a quote there, so a
  // folder that is not found is tried once more without it.
  const std::string name = path ? *path : std::string(".");
  engine::OpenedFolder opened = engine::OpenMailFolder(name, parts);
  if (opened.failure == engine::FolderFailure::kNotAFolder && name.size() > 1 &&
      name.back() == '"') {
    opened = engine::OpenMailFolder(name.substr(0, name.size() - 1), parts);
  }
  switch (opened.failure) {
    case engine::FolderFailure::kNone:
      return Folder(std::move(opened.folder));
    case engine::FolderFailure::kNotAFolder:
      break;
    case engine::FolderFailure::kCannotList:
      return Failure{session.Fail("cannot read folder " + Quoted(name))};
  }
  return Failure{session.Fail("cannot open folder " + Quoted(name))};
}

Result<Folder> Folder::OpenNamed(Session& session, const Request& request,
                                 const engine::FolderParts& parts) {
  const std::vector<std::string>& words = request.positionals;
  if (words.size() > 1) {
    return Failure{
        session.Fail("too many arguments for " + request.command + ": " + Quoted(words[1]))};
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
  return engine::FindListByTitle(folder_->Lists(), list);
}

Result<std::string> Folder::ReadList(Session& session, std::size_t i) const {
  std::optional<std::string> bytes = engine::ReadListFile(*folder_, folder_->Lists()[i]);
  if (!bytes) {
    return Failure{session.Fail("cannot read mailing list file " + Quoted(folder_->ListFiles(i)) +
                                " (missing, locked or not permitted)")};
  }
  return std::move(*bytes);
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
  return engine::ExpandListText(listBytes, *folder_);
}

const std::vector<std::string>& Folder::BookFiles() const {
  return folder_->BookFiles();
}

std::optional<std::string> Folder::ReadBook(const std::string& file) const {
  return engine::ReadBookFile(*folder_, file);
}

}  // namespace cli
