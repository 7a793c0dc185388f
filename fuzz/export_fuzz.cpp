// Any bytes as two address books and a mailing list of one folder (the
// first four bytes say where each ends), exported to every target: the
// model made in two runs at once must be the model made in one, every
// target must write the same text in two pieces at once as in one pass,
// every member must lead to a contact that is there, and the text must
// hold no NUL (and be UTF-8, but for Outlook's, which is in the code page).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "engine/mail_folder.h"
#include "engine/parallel.h"
#include "exchange/export_build.h"
#include "exchange/export_targets.h"
#include "fuzz/fuzz_check.h"
#include "platform/codepage.h"
#include "tests/support/export_description.h"

using fuzzcheck::Require;

namespace {

// The folder every input is written into, made once and removed at exit.
const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quillmer-export-fuzz.XXXXXX").string();
    Require(mkdtemp(pattern.data()) != nullptr, "a temporary folder");
    std::atexit([] { std::filesystem::remove_all(Folder()); });
    return std::filesystem::path(pattern);
  }();
  return folder;
}

void WriteFile(const std::string& name, std::string_view bytes) {
  std::FILE* file = std::fopen((Folder() / name).string().c_str(), "wb");
  Require(file != nullptr, "a file of the folder");
  Require(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(), "writing it");
  Require(std::fclose(file) == 0, "closing it");
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (lead >= 0x80 && (lead < 0xC2 || lead > 0xF4)) return false;
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 4, size - 4);
  const std::size_t first = (std::size_t{data[0]} << 8 | data[1]) % (input.size() + 1);
  const std::size_t second =
      first + (std::size_t{data[2]} << 8 | data[3]) % (input.size() - first + 1);
  WriteFile("FIRST.PMR", input.substr(0, first));
  WriteFile("SECOND.PMR", input.substr(first, second - first));
  WriteFile("LIST.PML", input.substr(second));

  const std::shared_ptr<const engine::MailFolder> folder =
      engine::OpenMailFolder(Folder().string(), {.bookRecords = false}).folder;
  Require(folder != nullptr, "the folder opens");
  const platform::CodePageConverter converter(1252);
  const engine::RetryDeadline noRetry;
  for (const exchange::ExportTarget& target : exchange::ExportTargets()) {
    const exchange::ExportFolder one = exchange::BuildExport(
        {*folder, noRetry, converter, {}, engine::Split::kNever}, target.rules);
    const exchange::ExportFolder two = exchange::BuildExport(
        {*folder, noRetry, converter, {}, engine::Split::kAlways}, target.rules);
    Require(reference::FirstIndexLeadingNowhere(one).empty(), "every index leads somewhere");
    Require(reference::DescribedExport(one) == reference::DescribedExport(two),
            "the model in two runs");
    const std::string text = reference::Written(target, one, engine::Split::kNever, 0).text;
    Require(reference::Written(target, one, engine::Split::kAlways, 0).text == text,
            "the text in two pieces");
    Require(text.find('\0') == std::string::npos, "no NUL in the text");
    if (target.name != "outlook") Require(IsUtf8(text), "the text in UTF-8");
  }
  return 0;
}
