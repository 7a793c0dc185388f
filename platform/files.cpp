// What both file-system layers share: joining a folder and a name, and the
// whole-file read, built on the piecewise ExclusiveFile so that there is one
// way to read a file.
#include "platform/files.h"

#include <limits>
#include <new>
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
    // Room for what the file held when it was opened, and one byte more:
    // only a read that comes back short proves the end was reached.
    content.resize(static_cast<std::size_t>(file.Size()) + 1);
    std::size_t done = 0;
    for (;;) {
      const std::optional<std::size_t> got =
          file.ReadNext(content.data() + done, content.size() - done);
      if (!got) {
        content.clear();
        return false;
      }
      done += *got;
      if (done < content.size()) break;
      // The file grew while it was read: read on to its end.
      content.resize(content.size() + content.size() / 2 + 4096);
    }
    content.resize(done);
    failure = FileFailure::kNone;
    return true;
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
