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
#include "exchange/sink.h"
#include "fuzz/fuzz_check.h"
#include "platform/codepage.h"

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

// The model as one text: what a split could change.
std::string Described(const exchange::ExportFolder& model) {
  std::string text;
  for (std::size_t i = 0; i < model.contacts.size(); ++i) {
    const exchange::ExportContact& contact = model.contacts[i];
    const exchange::ContactText f = contact.Fields();
    for (const std::string_view field : {f.name, f.address, f.company, f.phone, f.notes, f.key,
                                         f.street, f.postal, f.fax, f.book}) {
      text += field;
      text += '\0';
    }
    text += std::string_view(model.Uid(i));
    text += contact.made ? "M" : "R";
    for (const std::uint32_t l : model.ListsOf(contact)) {
      Require(l < model.lists.size(), "a contact's list is there");
      text += std::to_string(l) + ",";
    }
    text += '\n';
  }
  for (const exchange::ExportList& list : model.lists) {
    text += list.file + '\0' + list.title + '\0' + list.uid + '\0';
    for (const exchange::ExportMember& member : list.members) {
      if (member.contact) {
        Require(*member.contact < model.contacts.size(), "a member's contact is there");
        text += std::to_string(*member.contact);
      }
      text += ':';
      text += member.address;
      text += '\0';
    }
    text += std::to_string(list.leftOut) + "/" + std::to_string(list.made) + "/" +
            std::to_string(list.duplicates) + (list.renamed ? "r" : "") +
            (list.readable ? "" : "u") + "\n";
  }
  text += std::to_string(model.merged) + "/" + std::to_string(model.undefined);
  return text;
}

std::string Written(const exchange::ExportTarget& target, const exchange::ExportFolder& model,
                    engine::Split split) {
  std::string text;
  std::string pending;
  exchange::Sink sink(pending, [&] {
    text += pending;
    pending.clear();
  });
  exchange::ExportContext context{sink, "dc=example,dc=org", 1252};
  context.split = split;
  target.write(model, context);
  return text + pending;
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
    Require(Described(one) == Described(two), "the model in two runs");
    const std::string text = Written(target, one, engine::Split::kNever);
    Require(Written(target, one, engine::Split::kAlways) == text, "the text in two pieces");
    Require(text.find('\0') == std::string::npos, "no NUL in the text");
    if (target.name != "outlook") Require(IsUtf8(text), "the text in UTF-8");
  }
  return 0;
}
