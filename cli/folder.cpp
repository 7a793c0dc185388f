#include "cli/folder.h"

#include <algorithm>
#include <utility>

#include "engine/address_book.h"
#include "engine/bytes.h"
#include "engine/expansion.h"
#include "engine/mail_folder.h"
#include "engine/mailing_list.h"
#include "platform/files.h"

namespace cli {

namespace {

// File names compare as Windows compares them: letters of either case match.
bool SameFileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (engine::AsciiUpperByte(a[i]) != engine::AsciiUpperByte(b[i])) return false;
  }
  return true;
}

bool EndsWithPml(std::string_view name) {
  constexpr std::string_view kExtension = ".pml";
  return name.size() >= kExtension.size() &&
         SameFileName(name.substr(name.size() - kExtension.size()), kExtension);
}

}  // namespace

Result<Folder> Folder::Open(Session& session, const std::optional<std::string>& path) {
  // The Windows command line reads "C:\Mail\" as C:\Mail" (the backslash
  // escapes the closing quote); no folder name holds a quote there, so a
  // folder that is not found is tried once more without it.
  engine::CreateTables();
  const std::string name = path ? *path : std::string(".");
  if (!engine::OpenMailFolder(name, engine::LoadListCatalogue) &&
      !(name.size() > 1 && name.back() == '"' &&
        engine::OpenMailFolder(name.substr(0, name.size() - 1), engine::LoadListCatalogue))) {
    return Failure{session.Fail("cannot open folder " + Quoted(name))};
  }
  if (!platform::CanListFolder(".")) {
    return Failure{session.Fail("cannot read folder " + Quoted(name))};
  }
  return Folder();
}

Result<Folder> Folder::OpenNamed(Session& session, const Request& request) {
  const std::vector<std::string>& words = request.positionals;
  if (words.size() > 1) {
    return Failure{
        session.Fail("too many arguments for " + request.command + ": " + Quoted(words[1]))};
  }
  std::optional<std::string> path;
  if (!words.empty()) path = words[0];
  return Open(session, path);
}

// The engine's catalogue is indexed from 1; entry 0 belongs to no list.
std::size_t Folder::ListCount() const {
  const std::size_t entries = std::min(engine::ListFiles.size(), engine::ListTitles.size());
  return entries == 0 ? 0 : entries - 1;
}

Folder::List Folder::ListAt(std::size_t i) const {
  return {engine::ListFiles[i + 1], engine::ListTitles[i + 1]};
}

std::optional<std::size_t> Folder::FindList(std::string_view list) const {
  if (EndsWithPml(list)) {
    for (std::size_t k = 1; k < engine::ListFiles.size(); ++k) {
      if (SameFileName(engine::ListFiles[k], list)) return k - 1;
    }
  }
  const std::size_t k = engine::FindListByTitle(list);
  if (k == 0) return std::nullopt;
  return k - 1;
}

Result<std::string> Folder::ReadList(Session& session, std::size_t i) const {
  const std::string& file = engine::ListFiles[i + 1];
  std::optional<std::string> bytes = platform::ReadWholeFileExclusive(file);
  if (!bytes) {
    return Failure{session.Fail("cannot read mailing list file " + Quoted(file) +
                                " (missing, locked or not permitted)")};
  }
  return std::move(*bytes);
}

std::size_t Folder::RecordCount() const {
  return engine::BookNames.size();
}

std::string_view Folder::RecordName(std::size_t k) const {
  return engine::BookNames[k];
}

std::string_view Folder::RecordAddress(std::size_t k) const {
  return engine::BookAddresses[k];
}

std::optional<std::size_t> Folder::FindRecord(std::string_view entry) const {
  return engine::FindBookName(engine::UpperCase(entry));
}

std::string Folder::ExpandList(std::string_view listBytes) const {
  return engine::ExpandListText(listBytes, engine::BookNameIndex(), engine::BookAddresses);
}

std::vector<std::string> Folder::BookFiles() const {
  return platform::ListMatchingFiles("*.PMR");
}

std::optional<std::string> Folder::ReadBook(const std::string& file) const {
  return platform::ReadWholeFileExclusive(file);
}

}  // namespace cli
