// A fresh, empty folder under the system's folder for temporary files, for
// one test. When the holder goes, the process's current directory is put back
// to what it was when the folder was made (tests make the folder current) and
// the folder goes with everything in it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

class TempFolder {
 public:
  // The folder's name starts with `prefix`; a number makes it new.
  explicit TempFolder(std::string_view prefix = "quillmer-test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes `bytes` to the file `name` in this folder, byte for byte; throws
  // std::runtime_error when it cannot.
  void Write(const std::string& name, std::string_view bytes) const;

 private:
  std::filesystem::path previousCurrent_;
  std::filesystem::path path_;
};

}  // namespace testsupport
