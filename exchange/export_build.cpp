#include "exchange/export_build.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ascii.h"
#include "engine/address_book.h"
#include "engine/address_book_record.h"
#include "engine/bytes.h"
#include "engine/mailing_list.h"
#include "engine/output_options.h"
#include "exchange/name_uuid.h"
#include "exchange/text_store.h"

namespace exchange {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// The namespace of every UID Quillmer makes; a fixed random UUID, so that
// no other program's name-based UUIDs meet ours.
constexpr std::array<std::uint8_t, 16> kUidSpace = {0x3c, 0x1e, 0x6b, 0x52, 0x8d, 0x0f, 0x4a, 0x27,
                                                    0x9e, 0x55, 0x71, 0xc4, 0x08, 0xb3, 0xd2, 0x9a};

// Room for `more` entries, growing by half at least.
void Reserve(std::vector<std::uint32_t>& numbers, std::size_t more) {
  const std::size_t needed = numbers.size() + more;
  if (needed > numbers.capacity()) {
    numbers.reserve(std::max(needed, numbers.capacity() + numbers.capacity() / 2));
  }
}

// What "Strip Names" makes of `text` as one entry, without its line end: a
// view into `text`, or into `scratch` for the rare text holding a CR LF.
std::string_view Reduced(std::string_view text, std::string& scratch) {
  if (text.find("\r\n") == std::string_view::npos) return engine::StrippedLine(text);
  scratch = engine::StripNames(text);
  scratch.resize(scratch.size() - 2);  // every result line ends in CR LF
  return scratch;
}

class Builder {
 public:
  Builder(const ExportSource& source, const ExportRules& rules)
      : source_(source), folder_(source.folder), rules_(rules) {}

  ExportFolder Build() {
    ReadBooks();
    // The index the lists' entries are looked up in, over the records just
    // read: what the folder's own load would have made of the same bytes.
    const engine::MailFolder indexed(folder_.Path(), folder_.BookFiles(), std::move(names_),
                                     std::move(addresses_), folder_.Lists(), {},
                                     std::move(hashes_));
    UniqueNames titles(*rules_.titles);
    for (std::size_t i = 0; i < folder_.Lists().size(); ++i) ReadList(indexed, i, titles);
    GatherContactLists();
    return std::move(result_);
  }

 private:
  // Appends the UTF-8 of `bytes` to `out`, counting what the code page
  // leaves undefined.
  void AppendUtf8(std::string_view bytes, std::string& out) {
    result_.undefined += source_.converter.AppendUtf8(bytes, out);
  }
  std::string_view KeptUtf8(std::string_view bytes) {
    utf8_.clear();
    AppendUtf8(bytes, utf8_);
    return result_.texts.Add(utf8_);
  }
  // Contact c's name and address as the books' bytes give them: its own
  // UTF-8 texts where they are the same bytes (ASCII, the common case),
  // else copies kept aside.
  std::string_view RawName(std::uint32_t c) const {
    return rawOf_[c] == kNone ? result_.contacts[c].Fields().name : rawTexts_[rawOf_[c]].first;
  }
  std::string_view RawAddress(std::uint32_t c) const {
    return rawOf_[c] == kNone ? result_.contacts[c].Fields().address : rawTexts_[rawOf_[c]].second;
  }

  // The contact whose address (a-z folded) is `address`, if any.
  std::optional<std::uint32_t> FindByAddress(std::uint64_t hash, std::string_view address) const {
    return byAddress_.Find(hash, [&](std::uint32_t c) {
      return base::EqualIgnoringAsciiCase(RawAddress(c), address);
    });
  }
  std::uint64_t FoldedHash(std::string_view address) {
    folded_.assign(address);
    for (char& c : folded_) c = base::AsciiUpperByte(c);
    return TextHash(folded_);
  }

  // A new contact of the texts in utf8_ (ends as given), with its raw name
  // and address for telling contacts apart.
  std::uint32_t AddContact(const std::array<std::uint32_t, 9>& ends, std::string_view book,
                           std::string_view rawName, std::string_view rawAddress, bool made) {
    const std::uint32_t c = static_cast<std::uint32_t>(result_.contacts.size());
    ExportContact& contact = result_.contacts.emplace_back();
    contact.text = result_.texts.Add(utf8_).data();
    contact.ends = ends;
    contact.book = book;
    contact.made = made;
    const ContactText fields = contact.Fields();
    if (fields.name == rawName && fields.address == rawAddress) {
      rawOf_.push_back(kNone);
    } else {
      rawOf_.push_back(static_cast<std::uint32_t>(rawTexts_.size()));
      rawTexts_.emplace_back(raw_.Add(rawName), raw_.Add(rawAddress));
    }
    return c;
  }

  void AddUid(ExportContact& contact, std::string_view what, std::string_view a,
              std::string_view b = {}, bool two = false) {
    if (!rules_.uids) return;
    scratch_.assign(what);
    scratch_ += a;
    if (two) {
      scratch_ += '\n';
      scratch_ += b;
    }
    contact.uid = result_.texts.Add(NameUuid(kUidSpace, scratch_)).data();
  }

  // Every record slot of every book, in the index's order: slot k here is
  // the record the index gives as k.
  void ReadBooks() {
    std::string bytes;  // one book at a time, its room used again
    std::string reducedScratch;
    std::string key;
    for (const std::string& file : folder_.BookFiles()) {
      base::FileFailure why = base::FileFailure::kNone;
      if (!engine::ReadBookFile(folder_, file, bytes, source_.retry, &why)) {
        if (source_.unreadable) source_.unreadable({file, true, why});
        result_.unreadable = true;
        continue;
      }
      if (bytes.size() <= engine::kSmallestUsefulBook) continue;  // no slots, as in the index
      const std::size_t first = names_.size();
      const std::size_t slots =
          (bytes.size() - engine::kBookHeaderSize + engine::kBookRecordSize - 1) /
          engine::kBookRecordSize;
      names_.ReserveEntries(slots);
      addresses_.ReserveEntries(slots);
      Reserve(hashes_, slots);
      Reserve(slots_, slots);
      Reserve(rawOf_, slots);
      identical_.Reserve(slots_.size() + slots);
      byAddress_.Reserve(slots_.size() + slots);
      engine::AppendRecordSlots(std::string_view(bytes).substr(engine::kBookHeaderSize), names_,
                                addresses_, &hashes_);
      // The book's name, as every contact of it gives it.
      const std::size_t undefinedBefore = result_.undefined;
      const std::string_view book = KeptUtf8(file);
      const std::size_t bookUndefined = result_.undefined - undefinedBefore;
      result_.undefined = undefinedBefore;

      std::size_t k = first;
      for (std::size_t start = engine::kBookHeaderSize; start < bytes.size();
           start += engine::kBookRecordSize, ++k) {
        const engine::BookRecordText record =
            engine::CutBookRecord(std::string_view(bytes).substr(start, engine::kBookRecordSize));
        if (record.name.empty() && record.address.empty()) {
          slots_.push_back(kNone);
          continue;
        }
        // The address as a list reaches it, from the same bytes lookups use.
        const std::string_view address = Reduced(addresses_[k], reducedScratch);
        key.assign(record.name);
        key += '\0';
        key += address;
        const std::uint64_t hash = TextHash(key);
        if (const std::optional<std::uint32_t> same = identical_.Find(hash, [&](std::uint32_t c) {
              return RawName(c) == record.name && RawAddress(c) == address;
            })) {
          slots_.push_back(*same);
          ++result_.merged;
          continue;
        }
        // The texts back to back: name, address, company, phone, notes,
        // key, street, postal, fax.
        std::array<std::uint32_t, 9> ends{};
        utf8_.clear();
        std::size_t i = 0;
        for (const std::string_view text :
             {record.name, address, record.company, record.phone, record.notes, record.key,
              record.street, record.postal, record.fax}) {
          AppendUtf8(text, utf8_);
          ends[i++] = static_cast<std::uint32_t>(utf8_.size());
        }
        result_.undefined += bookUndefined;
        const std::uint32_t c = AddContact(ends, book, record.name, address, false);
        slots_.push_back(c);
        identical_.Add(hash, c);
        AddUid(result_.contacts[c], "record\n", record.name, address, true);
        const std::uint64_t folded = FoldedHash(address);
        if (!FindByAddress(folded, address)) byAddress_.Add(folded, c);
      }
    }
  }

  // The contact a plain address leads to: a record's holding it, else one
  // made for it (nullopt when contacts are not made).
  std::optional<std::size_t> ContactOfAddress(std::string_view address, ExportList& list) {
    const std::uint64_t folded = FoldedHash(address);
    if (const std::optional<std::uint32_t> found = FindByAddress(folded, address)) {
      if (result_.contacts[*found].made) ++list.made;
      return *found;
    }
    if (!rules_.makeContacts) return std::nullopt;
    utf8_.clear();
    AppendUtf8(address, utf8_);
    const std::uint32_t size = static_cast<std::uint32_t>(utf8_.size());
    std::array<std::uint32_t, 9> ends{};
    ends.fill(size);
    ends[0] = 0;
    const std::uint32_t c = AddContact(ends, {}, {}, address, true);
    AddUid(result_.contacts[c], "address\n", folded_);
    byAddress_.Add(folded, c);
    ++list.made;
    return c;
  }

  void ReadList(const engine::MailFolder& indexed, std::size_t i, UniqueNames& titles) {
    const engine::MailingList& entry = folder_.Lists()[i];
    ExportList list;
    list.file = entry.file;
    list.rawTitle = entry.title;
    list.uid = NameUuid(kUidSpace, "list\n" + list.file);
    // A list without a title (or with blanks only) is known by its file name.
    const bool untitled = base::TrimBlanks(entry.title).empty();
    utf8_.clear();
    AppendUtf8(untitled ? entry.file : entry.title, utf8_);
    list.original = utf8_;
    list.title = titles.Claim(list.original);
    // Letter case alone is no rename: every target ignores it in names.
    list.renamed = FoldedKey(list.title) != FoldedKey(list.original) || untitled;
    base::FileFailure why = base::FileFailure::kNone;
    const std::optional<std::string> bytes =
        engine::ReadListFile(folder_, entry, source_.retry, &why);
    if (!bytes) {
      if (source_.unreadable) source_.unreadable({entry.file, false, why});
      list.readable = false;
      result_.unreadable = true;
      result_.lists.push_back(std::move(list));
      return;
    }
    // The addresses reached so far, a-z folded; views into the list's
    // bytes, the index or `kept`.
    std::vector<std::string_view> reached;
    HashedNumbers reachedIndex;
    TextArena kept;
    std::string upper;
    std::string reducedScratch;
    engine::ForEachListEntry(*bytes, [&](std::size_t, std::string_view text) {
      // Where the entry leads: a name some book knows to its first
      // record's address; any other entry holding "@" to itself.
      upper.resize(text.size());
      for (std::size_t j = 0; j < text.size(); ++j) upper[j] = engine::UpperCaseByte(text[j]);
      const std::optional<std::size_t> record = indexed.FindBookName(upper);
      std::string_view address;
      if (record) {
        address = Reduced(indexed.BookAddresses()[*record], reducedScratch);
      } else if (text.find('@') != std::string_view::npos) {
        address = Reduced(text, reducedScratch);
      }
      if (address.empty()) {
        ++list.leftOut;
        return;
      }
      if (address.data() == reducedScratch.data()) address = kept.Add(address);
      const std::uint64_t folded = FoldedHash(address);
      if (reachedIndex.Find(folded, [&](std::uint32_t r) {
            return base::EqualIgnoringAsciiCase(reached[r], address);
          })) {
        ++list.duplicates;
        return;
      }
      reachedIndex.Add(folded, static_cast<std::uint32_t>(reached.size()));
      reached.push_back(address);
      ExportMember member;
      if (record && slots_[*record] != kNone) {
        member.contact = slots_[*record];
      } else {
        member.contact = ContactOfAddress(address, list);
      }
      member.address =
          member.contact ? result_.contacts[*member.contact].Fields().address : KeptUtf8(address);
      list.members.push_back(member);
    });
    result_.lists.push_back(std::move(list));
  }

  // Each contact's lists, in list order, one run per contact.
  void GatherContactLists() {
    std::deque<ExportContact>& contacts = result_.contacts;
    for (const ExportList& list : result_.lists) {
      for (const ExportMember& member : list.members) {
        if (member.contact) ++contacts[*member.contact].listCount;
      }
    }
    std::uint32_t next = 0;
    for (ExportContact& contact : contacts) {
      contact.firstList = next;
      next += contact.listCount;
      contact.listCount = 0;
    }
    result_.contactLists.resize(next);
    for (std::size_t l = 0; l < result_.lists.size(); ++l) {
      for (const ExportMember& member : result_.lists[l].members) {
        if (!member.contact) continue;
        ExportContact& contact = contacts[*member.contact];
        result_.contactLists[contact.firstList + contact.listCount++] =
            static_cast<std::uint32_t>(l);
      }
    }
  }

  const ExportSource& source_;
  const engine::MailFolder& folder_;
  const ExportRules& rules_;
  ExportFolder result_;
  // The index's tables as the books are read, until the index takes them.
  engine::StringTable names_;
  engine::StringTable addresses_;
  std::vector<std::uint32_t> hashes_;
  std::vector<std::uint32_t> slots_;  // slot -> contact, or kNone
  // Each contact's name and address as the books' bytes give them: what
  // makes two records identical, and an address the same as another.
  std::vector<std::uint32_t> rawOf_;  // into rawTexts_, or kNone
  std::deque<std::pair<std::string_view, std::string_view>> rawTexts_;
  TextArena raw_;
  HashedNumbers identical_;  // name NUL address -> contact
  HashedNumbers byAddress_;  // a-z folded address -> contact
  std::string utf8_;
  std::string folded_;
  std::string scratch_;
};

}  // namespace

ExportFolder BuildExport(const ExportSource& source, const ExportRules& rules) {
  return Builder(source, rules).Build();
}

}  // namespace exchange
