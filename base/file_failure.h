// Why a file could not be opened or read: the words the file layer gives
// and the folder's loader passes on with what it read. Includes nothing of
// the project, so that any layer may use it.
#pragma once

namespace base {

enum class FileFailure {
  kNone,
  kMissing,       // no such file (or folder on its path), or a dangling link
  kNotAFile,      // a folder, device or pipe, or a path the system cannot take
  kHeld,          // another program holds it (a sharing or lock violation)
  kNotPermitted,  // the system refuses access
  kReadFailed,    // opened, but a read failed or it is too large to hold
};

}  // namespace base
