#include "app/start_folder.h"

#include "base/ascii.h"
#include "platform/files.h"
#include "platform/window.h"

namespace app {

namespace {

// Length of the part of `path` that is kept as it is: \\server\share, or
// the first two bytes (a drive such as D:).
std::size_t PrefixLength(const std::string& path) {
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
    const auto server = path.find('\\', 2);
    if (server == std::string::npos) return path.size();
    const auto share = path.find('\\', server + 1);
    return share == std::string::npos ? path.size() : share;
  }
  return std::min<std::size_t>(path.size(), 2);
}

void UpperCaseDriveLetter(std::string& path) {
  if (path.size() >= 2 && path[1] == ':') path[0] = base::AsciiUpperByte(path[0]);
}

}  // namespace

std::string CanonicalFolderPath(const std::string& path, EntryLookUp lookUp) {
  std::string p = path + '\\';
  UpperCaseDriveLetter(p);
  const std::size_t prefix = PrefixLength(p);
  // The backslash right after the prefix is the root; components follow it.
  std::string result = p.substr(0, prefix);
  for (auto k = p.find('\\', std::max<std::size_t>(prefix + 1, 3)); k != std::string::npos;
       k = p.find('\\', k + 1)) {
    const auto name = lookUp(p.substr(0, k));
    if (!name) return {};
    result += '\\';
    result += *name;
  }
  return result;
}

std::string StartFolderOf(const std::string& programFile, EntryLookUp lookUp) {
  const auto slash = programFile.find_last_of('\\');
  std::string folder = slash == std::string::npos ? std::string() : programFile.substr(0, slash);
  std::string canonical = CanonicalFolderPath(folder, lookUp);
  // The program's own folder exists: if its stored spelling cannot be read,
  // the spelling the system gave is still the right folder.
  if (canonical.empty()) {
    canonical = folder;
    UpperCaseDriveLetter(canonical);
  }
  while (!canonical.empty() && canonical.back() == '\\') canonical.pop_back();
  return canonical + '\\';
}

std::string StartFolder() {
  return StartFolderOf(platform::ProgramFilePath(),
                       [](const std::string& path) { return platform::LookUpEntryName(path); });
}

}  // namespace app
