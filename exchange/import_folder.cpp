#include "exchange/import_folder.h"

#include <algorithm>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/ascii.h"
#include "engine/address_book.h"
#include "engine/book_writer.h"
#include "engine/bytes.h"
#include "engine/output_options.h"
#include "engine/string_table.h"

namespace exchange {

namespace {

using engine::BookField;

// ---- Fields into the code page

// `text` (UTF-8) in the code page, cut to `room` bytes; `loss` counts what
// was cut and what the code page lacks. A NUL would end the field early in
// the book: the text ends there, the rest counted as cut.
std::string Encoded(std::string_view text, std::size_t room,
                    const platform::CodePageEncoder& encoder, FieldLoss& loss) {
  std::size_t missing = 0;
  std::string bytes = encoder.Encode(text, missing);
  loss.lost += missing;
  const std::size_t end = std::min(bytes.find('\0'), room);
  if (end < bytes.size()) {
    // The code pages are single-byte: a byte is a character.
    loss.cut += bytes.size() - end;
    bytes.resize(end);
  }
  return bytes;
}

struct FieldOf {
  std::string_view word;
  std::string engine::BookRecord::*member;
  BookField field;
};

// In the record's own order, named as `books` names its columns.
constexpr FieldOf kFields[] = {
    {"name", &engine::BookRecord::name, engine::kBookNameField},
    {"company", &engine::BookRecord::company, engine::kBookCompanyField},
    {"key", &engine::BookRecord::key, engine::kBookKeyField},
    {"street", &engine::BookRecord::street, engine::kBookStreetField},
    {"postal", &engine::BookRecord::postal, engine::kBookPostalField},
    {"phone", &engine::BookRecord::phone, engine::kBookPhoneField},
    {"fax", &engine::BookRecord::fax, engine::kBookFaxField},
    {"notes", &engine::BookRecord::notes, engine::kBookNotesField},
    {"email", &engine::BookRecord::address, engine::kBookAddressField},
};

// ---- File names

// Windows opens these as devices, whatever extension follows.
bool IsDeviceName(std::string_view stem) {
  static constexpr std::string_view kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  for (const std::string_view device : kDevices) {
    if (base::EqualIgnoringAsciiCase(stem, device)) return true;
  }
  return stem.size() == 4 &&
         (base::EqualIgnoringAsciiCase(stem.substr(0, 3), "COM") ||
          base::EqualIgnoringAsciiCase(stem.substr(0, 3), "LPT")) &&
         stem[3] >= '0' && stem[3] <= '9';
}

// The plain capital letter a Latin letter is written with, or 0: U+00C0 to
// U+017F, '-' where there is none (the signs x and /).
char PlainLetter(char32_t c) {
  static constexpr std::string_view kLatin1 =  // U+00C0-U+00FF
      "AAAAAAACEEEEIIIIDNOOOOO-OUUUUYTSAAAAAAACEEEEIIIIDNOOOOO-OUUUUYTY";
  static constexpr std::string_view kExtendedA =  // U+0100-U+017F
      "AAAAAACCCCCCCCDDDDEEEEEEEEEEGGGGGGGGHHHHIIIIIIIIIIIIJJKKKLLLLLLL"
      "LLLNNNNNNNNNOOOOOOOORRRRRRSSSSSSSSTTTTTTUUUUUUUUUUUUWWYYYZZZZZZS";
  static_assert(kLatin1.size() == 0x40 && kExtendedA.size() == 0x80);
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<char>(c);
  char plain = 0;
  if (c >= 0xC0 && c <= 0xFF) plain = kLatin1[c - 0xC0];
  if (c >= 0x100 && c <= 0x17F) plain = kExtendedA[c - 0x100];
  return plain == '-' ? 0 : plain;
}

// Up to 8 letters and digits of `text` (UTF-8), in capitals without
// accents; every other character left out.
std::string PlainStem(std::string_view text) {
  std::string stem;
  for (std::size_t i = 0; i < text.size() && stem.size() < 8;) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    char32_t c =
        length == 1 ? char32_t{lead} : static_cast<char32_t>(lead & (0x3Fu >> (length - 1)));
    for (std::size_t k = 1; k < length && i + k < text.size(); ++k) {
      c = (c << 6) | static_cast<char32_t>(static_cast<unsigned char>(text[i + k]) & 0x3Fu);
    }
    if (const char plain = PlainLetter(c); plain != 0) stem += plain;
    i += length;
  }
  return stem;
}

// The names the run may not take: the folder's and its own, letter case
// ignored.
class NameChooser {
 public:
  explicit NameChooser(std::span<const std::string> taken) {
    for (const std::string& name : taken) taken_.insert(base::AsciiUpper(name));
  }

  // `stem`.EXT, or the stem cut and numbered from 1 (FRIENDS1, FRIEND10)
  // until the name is free.
  std::string Choose(std::string stem, std::string_view extension) {
    if (stem.empty()) stem = "LIST";
    for (std::size_t n = 0;; ++n) {
      std::string candidate = stem;
      if (n > 0) {
        const std::string number = std::to_string(n);
        candidate = stem.substr(0, 8 - std::min<std::size_t>(number.size(), 7)) + number;
      }
      if (IsDeviceName(candidate)) continue;
      candidate += '.';
      candidate += extension;
      if (taken_.insert(candidate).second) return candidate;
    }
  }

 private:
  std::unordered_set<std::string> taken_;
};

// ---- What an entry reaches

// What "Strip Names" makes of one line: what `expand --format to` gives.
std::string Reduced(std::string_view line) {
  std::string reduced = engine::StripNames(line);
  reduced.resize(reduced.size() - 2);  // every result line ends in CR LF
  return reduced;
}

// A line a list file can hold as an entry, read back as the same bytes.
bool CanBeEntry(std::string_view line) {
  return engine::IsListEntry(line) &&
         line.find_first_of(std::string_view("\r\n\x1A\0", 4)) == std::string_view::npos;
}

// Every record of the folder after the import, by name: the one address
// all its records hold, or none when they differ. Whatever book the
// listing gives first, a name known here leads to `address` when `same`.
class NameTable {
 public:
  void Add(std::string_view name, std::string_view address) {
    const std::string reduced = Reduced(address);
    const auto [it, added] = names_.try_emplace(std::string(name), Known{reduced, true});
    if (!added && it->second.address != reduced) it->second.same = false;
  }

  // Whether the list entry `entry` leads to `address` and nowhere else.
  bool Reaches(std::string_view entry, std::string_view address) const {
    if (!CanBeEntry(entry)) return false;
    const auto found = names_.find(engine::UpperCase(entry));
    if (found != names_.end()) return found->second.same && found->second.address == address;
    return entry.find('@') != std::string_view::npos && Reduced(entry) == address;
  }

 private:
  struct Known {
    std::string address;
    bool same;
  };
  std::unordered_map<std::string, Known> names_;
};

// ---- Lists

struct Flattener {
  const ImportedFile& file;
  const std::vector<engine::BookRecord>& records;  // the book's, by contact
  const NameTable& names;
  const platform::CodePageEncoder& encoder;
  PlannedList& list;
  std::unordered_set<std::string> addresses{};  // letter case folded
  std::vector<bool> groupsSeen = std::vector<bool>(file.groups.size());

  void Group(std::size_t g) {
    if (g >= file.groups.size() || groupsSeen[g]) return;  // a cycle, or met before
    groupsSeen[g] = true;
    list.unresolved += file.groups[g].unresolved;
    list.members += file.groups[g].unresolved;
    for (const ImportedMember& member : file.groups[g].members) Member(member);
  }

  void Member(const ImportedMember& member) {
    switch (member.kind) {
      case ImportedMember::Kind::kGroup:
        Group(member.index);
        return;
      case ImportedMember::Kind::kContact:
        if (member.index >= file.contacts.size()) return;
        Add(file.contacts[member.index].fields.name, file.contacts[member.index].fields.address,
            records[member.index].name);
        return;
      case ImportedMember::Kind::kAddress: {
        FieldLoss unused;
        Add(member.name, member.address, Encoded(member.name, std::string::npos, encoder, unused));
        return;
      }
    }
  }

  // One member: `name` and `address` as the file gives them (UTF-8),
  // `entryName` the name an entry would be written as.
  void Add(const std::string& name, const std::string& address, const std::string& entryName) {
    const std::string& shown = name.empty() ? address : name;
    if (address.empty()) return LeaveOut(shown, "no address");
    std::size_t missing = 0;
    const std::string target = encoder.Encode(address, missing);
    if (missing > 0) return LeaveOut(shown, "the code page cannot hold its address");
    if (!addresses.insert(base::AsciiUpper(target)).second) return;  // there already
    if (!entryName.empty() && names.Reaches(entryName, target)) {
      ++list.asNames;
      return Write(entryName);
    }
    for (const std::string& entry : {target, "<" + target + ">"}) {
      if (names.Reaches(entry, target)) {
        ++list.asAddresses;
        return Write(entry);
      }
    }
    LeaveOut(shown, "no entry of a list can reach its address");
  }

  void Write(const std::string& entry) {
    ++list.members;
    list.bytes += entry;
    list.bytes += "\r\n";
  }

  void LeaveOut(const std::string& member, std::string why) {
    ++list.members;
    list.leftOut.push_back({member, std::move(why)});
  }
};

// A title line holds one line: every control character becomes a blank.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

// ---- Writing

// A name for a file on its way, in the folder and free at the time it is
// made; like no book's or list's name, so nobody reads it as one.
std::string TemporaryName(unsigned n) {
  std::string digits = std::to_string(n % 100000);
  digits.insert(0, 5 - digits.size(), '0');
  return "~QM" + digits + ".TMP";
}

}  // namespace

ImportPlan PlanImport(const ImportedFile& file, const engine::MailFolder* folder,
                      std::span<const std::string> taken, std::string_view bookTitle,
                      const platform::CodePageEncoder& encoder) {
  ImportPlan plan;
  NameChooser chooser(taken);

  // The book.
  std::vector<engine::BookRecord> records;
  records.reserve(file.contacts.size());
  for (std::size_t c = 0; c < file.contacts.size(); ++c) {
    PlannedContact planned{c, {}};
    engine::BookRecord& record = records.emplace_back();
    for (const FieldOf& f : kFields) {
      FieldLoss loss{f.word};
      record.*f.member =
          Encoded(file.contacts[c].fields.*f.member, engine::BookFieldRoom(f.field), encoder, loss);
      if (loss.cut > 0 || loss.lost > 0) planned.losses.push_back(loss);
    }
    plan.contacts.push_back(std::move(planned));
  }
  if (!records.empty()) {
    plan.bookFile = chooser.Choose("IMPORT", "PMR");
    plan.titleLoss.field = "title";
    const std::string title =
        Encoded(bookTitle, engine::BookFieldRoom(engine::kBookTitleField), encoder, plan.titleLoss);
    plan.bookBytes = engine::AddressBookBytes(title, records);
  }

  // Every name of the folder after the import, read as the window reads
  // them: the new book's from its own bytes.
  NameTable names;
  if (folder != nullptr) {
    for (std::size_t k = 0; k < folder->BookNames().size(); ++k) {
      names.Add(folder->BookNames()[k], folder->BookAddresses()[k]);
    }
  }
  engine::StringTable newNames;
  engine::StringTable newAddresses;
  engine::AppendBookRecords(plan.bookBytes, newNames, newAddresses);
  for (std::size_t k = 0; k < newNames.size(); ++k) names.Add(newNames[k], newAddresses[k]);

  for (std::size_t g = 0; g < file.groups.size(); ++g) {
    PlannedList& list = plan.lists.emplace_back();
    list.group = g;
    list.titleLoss.field = "title";
    list.title = Encoded(OneLine(file.groups[g].name), kListTitleRoom, encoder, list.titleLoss);
    list.file = chooser.Choose(PlainStem(file.groups[g].name), "PML");
    list.bytes = std::string(kListTitlePrefix) + list.title + "\r\n";
    Flattener flattener{file, records, names, encoder, list};
    flattener.Group(g);
  }
  return plan;
}

ExistingEntries::ExistingEntries(const ImportPlan& plan, const engine::MailFolder& folder) {
  engine::StringTable names;
  engine::StringTable addresses;
  engine::AppendBookRecords(plan.bookBytes, names, addresses);
  const auto add = [](std::vector<std::string>& to, std::string address) {
    if (std::find(to.begin(), to.end(), address) == to.end()) to.push_back(std::move(address));
  };
  for (std::size_t k = 0; k < names.size(); ++k) {
    add(names_[std::string(names[k])].added, Reduced(addresses[k]));
  }
  for (std::size_t k = 0; k < folder.BookNames().size(); ++k) {
    const auto found = names_.find(std::string(folder.BookNames()[k]));
    if (found != names_.end()) add(found->second.before, Reduced(folder.BookAddresses()[k]));
  }
}

std::optional<ExistingEntries::Turn> ExistingEntries::Turns(std::string_view entry) const {
  const auto found = names_.find(engine::UpperCase(entry));
  if (found == names_.end()) return std::nullopt;
  std::vector<std::string> before = found->second.before;
  if (before.empty()) {
    before.push_back(entry.find('@') != std::string_view::npos ? Reduced(entry) : std::string());
  }
  for (const std::string& now : found->second.added) {
    if (std::find(before.begin(), before.end(), now) == before.end()) {
      return Turn{now, before.front()};
    }
  }
  return std::nullopt;
}

std::optional<ImportWriteFault> WriteImport(const std::string& folder, const ImportPlan& plan,
                                            base::NameForm names) {
  std::vector<std::pair<const std::string*, const std::string*>> files;  // name, bytes
  if (!plan.bookFile.empty()) files.emplace_back(&plan.bookFile, &plan.bookBytes);
  for (const PlannedList& list : plan.lists) files.emplace_back(&list.file, &list.bytes);

  std::vector<std::string> written;
  const auto undo = [&](ImportWriteFault fault) {
    for (const std::string& path : written) platform::RemoveFile(path, names);
    return fault;
  };
  // Numbers from a random start: two imports at once rarely meet.
  unsigned next = std::random_device{}();
  for (const auto& [name, bytes] : files) {
    std::string temporary;
    platform::WriteFailure why = platform::WriteFailure::kExists;
    for (int tries = 0; why == platform::WriteFailure::kExists && tries < 1000; ++tries) {
      temporary = platform::PathInFolder(folder, TemporaryName(next++));
      why = platform::WriteNewFile(temporary, *bytes, names);
    }
    if (why != platform::WriteFailure::kNone) return undo({*name, why});
    const std::string path = platform::PathInFolder(folder, *name);
    why = platform::RenameNoReplace(temporary, path, names);
    if (why != platform::WriteFailure::kNone) {
      platform::RemoveFile(temporary, names);
      return undo({*name, why});
    }
    written.push_back(path);
  }
  return std::nullopt;
}

}  // namespace exchange
