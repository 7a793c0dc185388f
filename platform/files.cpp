// What both file-system layers share: joining a folder and a name, and the
// whole-file read, built on the piecewise ExclusiveFile so that there is one
// way to read a file.
#include "platform/files.h"

#include <limits>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>

namespace platform {

std::string PathInFolder(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.empty() && !IsPathSeparator(path.back())) path += kPathSeparator;
  path += name;
  return path;
}

bool ReadWholeFileExclusive(const std::string& path, std::string& content, FileFailure* why,
                            NameForm form) {
  FileFailure unused = FileFailure::kNone;
  FileFailure& failure = why != nullptr ? *why : unused;
  content.clear();
  ExclusiveFile file(path, form);
  failure = file.OpenFailure();
  if (!file.IsOpen()) return false;
  failure = FileFailure::kReadFailed;
  // A file larger than this process can address cannot be held whole.
  if (file.Size() > std::numeric_limits<std::size_t>::max() / 2) return false;
  try {
    const std::optional<std::size_t> done = file.ReadToEnd([&](std::size_t needed, std::size_t) {
      content.resize(needed);
      return std::span<char>(content);
    });
    if (done) {
      content.resize(*done);
      failure = FileFailure::kNone;
      return true;
    }
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  content.clear();
  return false;
}

std::optional<std::string> ReadWholeFileExclusive(const std::string& path, FileFailure* why,
                                                  NameForm form) {
  std::string content;
  if (!ReadWholeFileExclusive(path, content, why, form)) return std::nullopt;
  return content;
}

}  // namespace platform
