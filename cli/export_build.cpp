#include "cli/export_build.h"

#include <array>
#include <cstdint>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "base/ascii.h"
#include "cli/entries.h"
#include "engine/address_book.h"
#include "engine/address_book_record.h"
#include "engine/mailing_list.h"
#include "exchange/address_syntax.h"
#include "exchange/name_uuid.h"

namespace cli {

namespace {

using exchange::CaseFolded;
using exchange::ExportContact;
using exchange::ExportFolder;
using exchange::ExportList;
using exchange::ExportMember;
using exchange::ExportRules;
using exchange::FoldedKey;
using exchange::NameUuid;
using exchange::UniqueNames;

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

// The namespace of every UID Quillmer makes; a fixed random UUID, so that
// no other program's name-based UUIDs meet ours.
constexpr std::array<std::uint8_t, 16> kUidSpace = {0x3c, 0x1e, 0x6b, 0x52, 0x8d, 0x0f, 0x4a, 0x27,
                                                    0x9e, 0x55, 0x71, 0xc4, 0x08, 0xb3, 0xd2, 0x9a};

// Every text of a record, each converted on its own.
constexpr std::string engine::BookRecord::*kRecordTexts[] = {
    &engine::BookRecord::name,   &engine::BookRecord::company, &engine::BookRecord::phone,
    &engine::BookRecord::notes,  &engine::BookRecord::key,     &engine::BookRecord::street,
    &engine::BookRecord::postal, &engine::BookRecord::fax};

class Builder {
 public:
  Builder(Session& session, const Folder& folder, platform::CodePageConverter& converter,
          const ExportRules& rules)
      : session_(session), folder_(folder), converter_(converter), rules_(rules) {}

  Result<ExportFolder> Build() {
    if (!ReadBooks()) {
      return Failure{session_.Fail("the address books changed while they were read; try again")};
    }
    UniqueNames titles(*rules_.titles);
    for (std::size_t i = 0; i < folder_.ListCount(); ++i) ReadList(i, titles);
    return std::move(result_);
  }

 private:
  std::string Utf8(std::string_view bytes) {
    std::string text;
    result_.undefined += converter_.AppendUtf8(bytes, text);
    return text;
  }

  // Every record slot of every book, in the index's order, so that slot k
  // here is the record the folder's lookups give as k. False when the
  // books no longer hold the slots the folder was opened with.
  bool ReadBooks() {
    std::unordered_map<std::string, std::size_t> identical;  // name NUL address
    std::string bytes;  // one book at a time, its room used again
    for (const std::string& file : folder_.BookFiles()) {
      platform::FileFailure why = platform::FileFailure::kNone;
      if (!folder_.ReadBook(file, bytes, why)) {
        session_.Note(CannotRead({file, true, why}));
        result_.unreadable = true;
        continue;
      }
      if (bytes.size() <= engine::kSmallestUsefulBook) continue;  // no slots, as in the index
      engine::ForEachBookRecord(bytes, [&](const engine::BookRecord& record) {
        const std::size_t k = slots_.size();
        if (k >= folder_.RecordCount() || (record.name.empty() && record.address.empty())) {
          slots_.push_back(kNone);
          return;
        }
        // The address as a list reaches it, from the same bytes lookups use.
        const std::string address = RecordReach(folder_, k);
        const auto [seen, added] =
            identical.emplace(record.name + '\0' + address, result_.contacts.size());
        slots_.push_back(seen->second);
        if (!added) {
          ++result_.merged;
          return;
        }
        ExportContact contact;
        for (const auto field : kRecordTexts) contact.fields.*field = Utf8(record.*field);
        contact.fields.address = Utf8(address);
        contact.fields.book = Utf8(file);
        contact.uid = NameUuid(kUidSpace, "record\n" + record.name + '\n' + address);
        byAddress_.emplace(CaseFolded(address), result_.contacts.size());
        result_.contacts.push_back(std::move(contact));
      });
    }
    return slots_.size() == folder_.RecordCount();
  }

  // The contact a plain address leads to: a record's holding it, else one
  // made for it (nullopt when contacts are not made).
  std::optional<std::size_t> ContactOfAddress(const std::string& address, ExportList& list) {
    const std::string folded = CaseFolded(address);
    if (const auto found = byAddress_.find(folded); found != byAddress_.end()) {
      if (result_.contacts[found->second].made) ++list.made;
      return found->second;
    }
    if (!rules_.makeContacts) return std::nullopt;
    ExportContact contact;
    contact.fields.address = Utf8(address);
    contact.uid = NameUuid(kUidSpace, "address\n" + folded);
    contact.made = true;
    byAddress_.emplace(folded, result_.contacts.size());
    result_.contacts.push_back(std::move(contact));
    ++list.made;
    return result_.contacts.size() - 1;
  }

  void ReadList(std::size_t i, UniqueNames& titles) {
    const Folder::List entry = folder_.ListAt(i);
    ExportList list;
    list.file = entry.file;
    list.rawTitle = entry.title;
    list.uid = NameUuid(kUidSpace, "list\n" + list.file);
    // A list without a title (or with blanks only) is known by its file name.
    const bool untitled = base::TrimBlanks(entry.title).empty();
    list.original = Utf8(untitled ? entry.file : entry.title);
    list.title = titles.Claim(list.original);
    // Letter case alone is no rename: every target ignores it in names.
    list.renamed = FoldedKey(list.title) != FoldedKey(list.original) || untitled;
    platform::FileFailure why = platform::FileFailure::kNone;
    const std::optional<std::string> bytes = folder_.ReadList(i, why);
    if (!bytes) {
      session_.Note(CannotRead({std::string(entry.file), false, why}));
      list.readable = false;
      result_.unreadable = true;
      result_.lists.push_back(std::move(list));
      return;
    }
    std::unordered_set<std::string> reached;  // CaseFolded
    const std::size_t index = result_.lists.size();
    engine::ForEachListEntry(*bytes, [&](std::size_t, std::string_view text) {
      const Reach reach = ReachOf(folder_, text);
      if (reach.address.empty()) {
        ++list.leftOut;
        return;
      }
      if (!reached.insert(CaseFolded(reach.address)).second) {
        ++list.duplicates;
        return;
      }
      ExportMember member;
      if (reach.record && slots_[*reach.record] != kNone) {
        member.contact = slots_[*reach.record];
      } else {
        member.contact = ContactOfAddress(reach.address, list);
      }
      member.address =
          member.contact ? result_.contacts[*member.contact].fields.address : Utf8(reach.address);
      if (member.contact) result_.contacts[*member.contact].lists.push_back(index);
      list.members.push_back(std::move(member));
    });
    result_.lists.push_back(std::move(list));
  }

  Session& session_;
  const Folder& folder_;
  platform::CodePageConverter& converter_;
  const ExportRules& rules_;
  ExportFolder result_;
  std::vector<std::size_t> slots_;                          // slot -> contact, or kNone
  std::unordered_map<std::string, std::size_t> byAddress_;  // CaseFolded -> contact
};

}  // namespace

Result<exchange::ExportFolder> BuildExport(Session& session, const Folder& folder,
                                           platform::CodePageConverter& converter,
                                           const exchange::ExportRules& rules) {
  return Builder(session, folder, converter, rules).Build();
}

}  // namespace cli
