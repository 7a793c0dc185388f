// Any bytes as a file to import from one source (IMPORT_SOURCE, one build
// per reader): the reader gives a fault or contents, never both; every
// member points at a contact or group that is there (a group never at
// itself); lines are within the file; all text is UTF-8 without NULs. Both
// ANSI code pages.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "exchange/import_readers.h"
#include "fuzz/fuzz_check.h"

using fuzzcheck::Require;

namespace {

// Well-formed UTF-8, read plainly: no overlong form, no surrogate.
bool PlainUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80                ? 1
                         : c >= 0xC2 && c < 0xE0 ? 2
                         : c >= 0xE0 && c < 0xF0 ? 3
                         : c >= 0xF0 && c < 0xF5 ? 4
                                                 : 0;
    if (length == 0 || i + length > text.size()) return false;
    std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = code << 6 | (next & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || (code >= 0xD800 && code < 0xE000) || code > 0x10FFFF) return false;
    i += length;
  }
  return true;
}

void RequireText(std::string_view text, const char* rule) {
  Require(PlainUtf8(text), rule);
  Require(text.find('\0') == std::string_view::npos, rule);
}

void Check(const exchange::ImportRead& read, std::size_t size) {
  const exchange::ImportedFile& file = read.file;
  // A file's lines are at most one more than its bytes (UTF-16 halves them).
  const std::size_t lines = size + 1;
  if (read.fault) {
    Require(file.contacts.empty() && file.groups.empty(), "a fault and contents at once");
    Require(!read.fault->what.empty(), "a fault says what is wrong");
    Require(read.fault->line <= lines, "fault line within the file");
    return;
  }
  for (const exchange::ImportedContact& contact : file.contacts) {
    Require(contact.line >= 1 && contact.line <= lines, "contact line within the file");
    const engine::BookRecord& f = contact.fields;
    for (const std::string* field : {&f.name, &f.address, &f.company, &f.phone, &f.notes, &f.key,
                                     &f.street, &f.postal, &f.fax}) {
      RequireText(*field, "contact fields are UTF-8 without NULs");
    }
  }
  for (std::size_t g = 0; g < file.groups.size(); ++g) {
    const exchange::ImportedGroup& group = file.groups[g];
    Require(group.line >= 1 && group.line <= lines, "group line within the file");
    RequireText(group.name, "group names are UTF-8 without NULs");
    for (const exchange::ImportedMember& m : group.members) {
      switch (m.kind) {
        case exchange::ImportedMember::Kind::kContact:
          Require(m.index < file.contacts.size(), "contact member in range");
          break;
        case exchange::ImportedMember::Kind::kGroup:
          Require(m.index < file.groups.size(), "group member in range");
          Require(m.index != g, "a group is not its own member");
          break;
        case exchange::ImportedMember::Kind::kAddress:
          Require(!m.address.empty(), "an address member has its address");
          RequireText(m.address, "member addresses are UTF-8 without NULs");
          RequireText(m.name, "member names are UTF-8 without NULs");
          break;
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const exchange::ImportSource* source = exchange::FindImportSource(IMPORT_SOURCE);
  Require(source != nullptr, "the source is in the table");
  Check(source->read(bytes), size);
  Check(source->readAnsi(bytes, 1250), size);
  return 0;
}
