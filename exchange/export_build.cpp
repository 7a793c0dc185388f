#include "exchange/export_build.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/ascii.h"
#include "engine/address_book.h"
#include "engine/address_book_record.h"
#include "engine/book_layout.h"
#include "engine/bytes.h"
#include "engine/mailing_list.h"
#include "engine/output_options.h"
#include "engine/parallel.h"
#include "exchange/name_uuid.h"
#include "exchange/text_store.h"
#include "platform/files.h"

namespace exchange {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// A record's fields other than its address fit ExportContact's sizes once
// converted (at most three bytes a byte).
static_assert(3 * engine::kBookNameField.width < 256 && 3 * engine::kBookCompanyField.width < 256 &&
              3 * engine::kBookKeyField.width < 256 && 3 * engine::kBookStreetField.width < 256 &&
              3 * engine::kBookPostalField.width < 256 && 3 * engine::kBookPhoneField.width < 256 &&
              3 * engine::kBookFaxField.width < 256 && 3 * engine::kBookNotesField.width < 256);

// Books of at least this many bytes in all are worth reading as two runs
// at once.
constexpr std::uint64_t kTwoRunsFrom = std::uint64_t{1} << 20;

// The namespace of every UID Quillmer makes; a fixed random UUID, so that
// no other program's name-based UUIDs meet ours.
constexpr std::array<std::uint8_t, 16> kUidSpace = {0x3c, 0x1e, 0x6b, 0x52, 0x8d, 0x0f, 0x4a, 0x27,
                                                    0x9e, 0x55, 0x71, 0xc4, 0x08, 0xb3, 0xd2, 0x9a};

// Room for `more` entries, growing by half at least.
template <typename T>
void Reserve(std::vector<T>& numbers, std::size_t more) {
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

// The TextHash of `address` with a-z made A-Z (in `scratch`): what an
// address is filed under, letter case aside.
std::uint64_t FoldedHash(std::string_view address, std::string& scratch) {
  base::AssignAsciiUpper(address, scratch);
  return TextHash(scratch);
}

class Builder {
 public:
  Builder(const ExportSource& source, const ExportRules& rules)
      : source_(source), folder_(source.folder), rules_(rules) {}

  ExportFolder Build() {
    ReadBooks();
    identical_ = HashedNumbers();  // records are told apart no more
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
  // A NUL in a list's line (its title, an entry) is no text any target can
  // hold (a card's name, a sheet's cell, a muttrc line): it is dropped, as
  // the books' fields end at theirs.
  void AppendUtf8(std::string_view bytes, std::string& out) {
    const std::size_t start = out.size();
    result_.undefined += source_.converter.AppendUtf8(bytes, out);
    out.erase(std::remove(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '\0'),
              out.end());
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

  // A new contact of the texts in utf8_ (ends as given), with its raw name
  // and address for telling contacts apart.
  std::uint32_t AddContact(const std::array<std::uint32_t, 9>& ends, std::string_view book,
                           std::string_view rawName, std::string_view rawAddress, bool made) {
    const std::uint32_t c = static_cast<std::uint32_t>(result_.contacts.size());
    ExportContact& contact = result_.contacts.emplace_back();
    contact.PlaceTexts(result_.texts.Add(utf8_).data(), ends);
    contact.book = book.data();
    contact.bookSize = static_cast<std::uint16_t>(book.size());
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

  // The UID of the contact just made for `address`: named by the address
  // a-z folded.
  void AddMadeUid(std::string_view address) {
    if (!rules_.uids) return;
    scratch_.assign("address\n");
    for (const char c : address) scratch_ += base::AsciiUpperByte(c);
    result_.uids.push_back(NameUuidBytes(kUidSpace, scratch_));
  }

  // What one run of books gives, read on a thread of its own: the index's
  // tables over its records, and a contact for every record with a name or
  // an address, not yet told apart from the contacts before it.
  struct Candidate {
    std::uint64_t identity;   // the TextHash of name NUL address
    std::uint64_t folded;     // the TextHash of the address, a-z folded
    std::uint32_t raw;        // into Run::rawTexts, or kNone: its own texts
    std::uint32_t undefined;  // bytes of its texts the code page leaves undefined
  };
  struct Run {
    std::span<const std::string> books;
    std::vector<engine::UnreadableFile> unreadable;
    engine::StringTable names;
    engine::StringTable addresses;
    std::vector<std::uint32_t> hashes;
    std::vector<std::uint32_t> slots;  // slot -> candidate, or kNone
    std::deque<ExportContact> contacts;
    std::vector<Uuid> uids;  // one for each contact, where the target takes UIDs
    std::vector<Candidate> candidates;
    std::deque<std::pair<std::string_view, std::string_view>> rawTexts;
    TextArena texts;
    TextArena raw;
  };

  // Reads the books of `run`, touching nothing but the run: what may go on
  // beside another run.
  void ReadRun(Run& run) const {
    const platform::CodePageConverter& converter = source_.converter;
    engine::WholeFile content;  // one book at a time, its room used again
    std::string reducedScratch;
    std::string key;
    std::string utf8;
    std::string converted;
    std::string folded;
    for (const std::string& file : run.books) {
      base::FileFailure why = base::FileFailure::kNone;
      if (!engine::ReadBookFile(folder_, file, content, source_.retry, &why)) {
        run.unreadable.push_back({file, true, why});
        continue;
      }
      const std::string_view bytes = content.Bytes();
      if (bytes.size() <= engine::kSmallestUsefulBook) continue;  // no slots, as in the index
      const std::size_t first = run.names.size();
      const std::size_t slots =
          (bytes.size() - engine::kBookHeaderSize + engine::kBookRecordSize - 1) /
          engine::kBookRecordSize;
      run.names.ReserveEntries(slots);
      Reserve(run.candidates, slots);
      run.addresses.ReserveEntries(slots);
      Reserve(run.hashes, slots);
      Reserve(run.slots, slots);
      engine::AppendRecordSlots(bytes.substr(engine::kBookHeaderSize), run.names, run.addresses,
                                &run.hashes);
      // The book's name, as every contact of it gives it.
      utf8.clear();
      const std::size_t bookUndefined = converter.AppendUtf8(file, utf8);
      const std::string_view book = run.texts.Add(utf8);
      const auto bookSize = static_cast<std::uint16_t>(std::min<std::size_t>(book.size(), 0xFFFF));

      std::size_t k = first;
      for (std::size_t start = engine::kBookHeaderSize; start < bytes.size();
           start += engine::kBookRecordSize, ++k) {
        const engine::BookRecordText record =
            engine::CutBookRecord(bytes.substr(start, engine::kBookRecordSize));
        if (record.name.empty() && record.address.empty()) {
          run.slots.push_back(kNone);
          continue;
        }
        // The address as a list reaches it, from the same bytes lookups use.
        const std::string_view address = Reduced(run.addresses[k], reducedScratch);
        key.assign(record.name);
        key += '\0';
        key += address;
        Candidate candidate{TextHash(key), FoldedHash(address, folded), kNone,
                            std::uint32_t(bookUndefined)};
        // The texts in UTF-8 (most are ASCII: views of the book's bytes),
        // then copied back to back into the run's arena: name, address,
        // company, phone, notes, key, street, postal, fax.
        engine::BookRecordText raw = record;
        raw.address = address;
        std::size_t undefined = 0;
        const engine::BookRecordText inUtf8 = Utf8Texts(raw, converter, converted, undefined);
        candidate.undefined += static_cast<std::uint32_t>(undefined);
        const std::string_view texts[] = {inUtf8.name,   inUtf8.address, inUtf8.company,
                                          inUtf8.phone,  inUtf8.notes,   inUtf8.key,
                                          inUtf8.street, inUtf8.postal,  inUtf8.fax};
        std::array<std::uint32_t, 9> ends{};
        std::uint32_t size = 0;
        for (std::size_t i = 0; i < ends.size(); ++i) {
          size += static_cast<std::uint32_t>(texts[i].size());
          ends[i] = size;
        }
        char* const at = run.texts.Claim(size);
        for (std::size_t i = 0; i < ends.size(); ++i) {
          if (!texts[i].empty())
            std::memcpy(at + (i == 0 ? 0 : ends[i - 1]), texts[i].data(), texts[i].size());
        }
        ExportContact& contact = run.contacts.emplace_back();
        contact.PlaceTexts(at, ends);
        contact.book = book.data();
        contact.bookSize = bookSize;
        // A converted name or address is no longer the books' bytes, which
        // tell records apart: those are kept too.
        if (inUtf8.name.data() != raw.name.data() || inUtf8.address.data() != raw.address.data()) {
          candidate.raw = static_cast<std::uint32_t>(run.rawTexts.size());
          run.rawTexts.emplace_back(run.raw.Add(record.name), run.raw.Add(address));
        }
        if (rules_.uids) {
          key.assign("record\n");
          key += record.name;
          key += '\n';
          key += address;
          run.uids.push_back(NameUuidBytes(kUidSpace, key));
        }
        run.slots.push_back(static_cast<std::uint32_t>(run.candidates.size()));
        run.candidates.push_back(candidate);
      }
    }
  }

  // Takes the contacts of `run`, which follows every run taken before:
  // a record identical to an earlier one is merged into it.
  // `more`: how many more candidates are coming after this run's, as far
  // as is known (the tables are made large enough for them at once).
  void Accept(Run& run, std::size_t more = 0) {
    for (const engine::UnreadableFile& file : run.unreadable) {
      if (source_.unreadable) source_.unreadable(file);
      result_.unreadable = true;
    }
    names_.AppendTable(std::move(run.names));
    addresses_.AppendTable(std::move(run.addresses));
    hashes_.insert(hashes_.end(), run.hashes.begin(), run.hashes.end());
    identical_.Reserve(result_.contacts.size() + run.candidates.size() + more);
    byAddress_.Reserve(result_.contacts.size() + run.candidates.size() + more);
    Reserve(rawOf_, run.candidates.size());
    std::vector<std::uint32_t> contactOf(run.candidates.size());
    // The slots of the candidate this far ahead are asked for early.
    constexpr std::size_t kAhead = 16;
    for (std::size_t j = 0; j < run.candidates.size(); ++j) {
      if (j + kAhead < run.candidates.size()) {
        identical_.Prefetch(run.candidates[j + kAhead].identity);
        byAddress_.Prefetch(run.candidates[j + kAhead].folded);
      }
      const Candidate& candidate = run.candidates[j];
      const ExportContact& contact = run.contacts.front();
      const ContactText fields = contact.Fields();
      const std::string_view rawName =
          candidate.raw == kNone ? fields.name : run.rawTexts[candidate.raw].first;
      const std::string_view rawAddress =
          candidate.raw == kNone ? fields.address : run.rawTexts[candidate.raw].second;
      if (const std::optional<std::uint32_t> same =
              identical_.Find(candidate.identity, [&](std::uint32_t c) {
                return RawName(c) == rawName && RawAddress(c) == rawAddress;
              })) {
        contactOf[j] = *same;
        ++result_.merged;
      } else {
        const std::uint32_t c = static_cast<std::uint32_t>(result_.contacts.size());
        result_.contacts.push_back(contact);
        if (rules_.uids) result_.uids.push_back(run.uids[j]);
        if (candidate.raw == kNone) {
          rawOf_.push_back(kNone);
        } else {
          rawOf_.push_back(static_cast<std::uint32_t>(rawTexts_.size()));
          rawTexts_.push_back(run.rawTexts[candidate.raw]);
        }
        identical_.Add(candidate.identity, c);
        result_.undefined += candidate.undefined;
        if (!FindByAddress(candidate.folded, rawAddress)) byAddress_.Add(candidate.folded, c);
        contactOf[j] = c;
      }
      run.contacts.pop_front();
    }
    Reserve(slots_, run.slots.size());
    for (const std::uint32_t slot : run.slots) {
      slots_.push_back(slot == kNone ? kNone : contactOf[slot]);
    }
    result_.texts.Take(std::move(run.texts));
    raw_.Take(std::move(run.raw));
    // The run's raw texts were copied where a contact needs them.
    run = Run{};
  }

  // Where the second run of books starts: the book that splits their bytes
  // most nearly in half, 0 for one run.
  std::size_t SecondRunStart() const {
    const std::vector<std::string>& books = folder_.BookFiles();
    const bool split =
        source_.split == engine::Split::kAlways ||
        (source_.split == engine::Split::kWhenWorthIt && engine::HasSecondProcessor());
    if (books.size() < 2 || !split) return 0;
    // The sizes as listed now; where the listing no longer matches the
    // folder's, the books are halved by count.
    std::vector<std::uint64_t> sizes;
    const std::optional<std::vector<std::string>> listed =
        platform::ListMatchingFiles(folder_.Path(), "*.PMR", &sizes);
    if (!listed || *listed != books || sizes.size() != books.size()) return books.size() / 2;
    std::uint64_t total = 0;
    for (const std::uint64_t size : sizes) total += size;
    if (source_.split == engine::Split::kWhenWorthIt && total < kTwoRunsFrom) return 0;
    std::size_t start = 1;
    std::uint64_t before = sizes[0];
    while (start + 1 < books.size() && before + sizes[start] <= total / 2) before += sizes[start++];
    return start;
  }

  // Every record slot of every book, in the index's order: slot k here is
  // the record the index gives as k. The books are read in one run or two
  // at once, each run's records taken in order.
  void ReadBooks() {
    const std::span<const std::string> books = folder_.BookFiles();
    const std::size_t second = SecondRunStart();
    Run first;
    if (second == 0) {
      first.books = books;
      ReadRun(first);
      Accept(first);
      return;
    }
    Run rest;
    first.books = books.first(second);
    rest.books = books.subspan(second);
    engine::RunBoth(
        [&] {
          ReadRun(first);
          // The runs hold about as many bytes each.
          Accept(first, first.candidates.size());
        },
        [&] { ReadRun(rest); });
    Accept(rest);
  }

  // The contact a plain address leads to: a record's holding it, else one
  // made for it (nullopt when contacts are not made).
  // `folded`: FoldedHash(address).
  std::optional<std::size_t> ContactOfAddress(std::string_view address, std::uint64_t folded,
                                              ExportList& list) {
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
    AddMadeUid(address);
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
    // A list without a title (or with blanks only, NULs aside) is known by
    // its file name.
    utf8_.clear();
    AppendUtf8(entry.title, utf8_);
    const bool untitled = base::TrimBlanks(utf8_).empty();
    if (untitled) {
      utf8_.clear();
      AppendUtf8(entry.file, utf8_);
    }
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
    // Room for as many addresses as the list has lines, so that the
    // tables are seldom filed again: those reached, and the contacts made.
    const std::size_t lines =
        static_cast<std::size_t>(std::count(bytes->begin(), bytes->end(), '\n')) + 1;
    byAddress_.Reserve(result_.contacts.size() + lines);
    // The addresses reached so far, a-z folded; views into the list's
    // bytes, the index or `kept`.
    std::vector<std::string_view> reached;
    HashedNumbers reachedIndex;
    TextArena kept;
    std::string reducedScratch;
    // Where each entry leads: a name some book knows to its first record's
    // address; any other entry holding "@" to itself; else nowhere (empty).
    const auto reach = [&](std::string_view text, std::optional<std::size_t> record) {
      std::string_view address;
      if (record) {
        address = Reduced(indexed.BookAddresses()[*record], reducedScratch);
      } else if (text.find('@') != std::string_view::npos) {
        address = Reduced(text, reducedScratch);
      }
      if (address.data() == reducedScratch.data()) address = kept.Add(address);
      return address;
    };
    // The entry reaching `address` (folded: its FoldedHash), found at
    // `record` if a name: a member unless it reaches nothing or an address
    // reached before.
    const auto visit = [&](std::string_view address, std::uint64_t folded,
                           std::optional<std::size_t> record) {
      if (address.empty()) {
        ++list.leftOut;
        return;
      }
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
        member.contact = ContactOfAddress(address, folded, list);
      }
      // A contact's address is its member's, given once every list is read.
      if (!member.contact) member.address = KeptUtf8(address);
      list.members.push_back(member);
    };
    // The entries are taken a batch at a time, so that the memory reads of
    // many overlap: their names are looked up together, then where each
    // leads is worked out and the slots it will be looked for in are asked
    // for, then each is taken in turn.
    constexpr std::size_t kBatch = 256;
    std::vector<std::string_view> texts;
    std::vector<std::string_view> keys;
    std::vector<std::optional<std::size_t>> found(kBatch);
    std::vector<std::string_view> addresses(kBatch);
    std::vector<std::uint64_t> foldedOf(kBatch);
    std::string upper;
    const auto flush = [&] {
      keys.clear();
      std::size_t at = 0;
      for (const std::string_view text : texts) {
        keys.push_back(std::string_view(upper).substr(at, text.size()));
        at += text.size();
      }
      indexed.BookNameIndex().FindMany(keys, found, &indexed.BookAddresses());
      for (std::size_t k = 0; k < texts.size(); ++k) {
        addresses[k] = reach(texts[k], found[k]);
        if (addresses[k].empty()) continue;
        foldedOf[k] = FoldedHash(addresses[k], folded_);
        reachedIndex.Prefetch(foldedOf[k]);
        if (found[k]) {
          __builtin_prefetch(&slots_[*found[k]]);
        } else {
          byAddress_.Prefetch(foldedOf[k]);
        }
      }
      for (std::size_t k = 0; k < texts.size(); ++k) visit(addresses[k], foldedOf[k], found[k]);
      texts.clear();
      upper.clear();
    };
    reachedIndex.Reserve(lines);
    engine::ForEachListEntry(*bytes, [&](std::size_t, std::string_view text) {
      texts.push_back(text);
      for (const char c : text) upper += engine::UpperCaseByte(c);
      if (texts.size() == kBatch) flush();
    });
    flush();
    result_.lists.push_back(std::move(list));
  }

  // Each contact's lists, in list order, one run per contact.
  void GatherContactLists() {
    std::deque<ExportContact>& contacts = result_.contacts;
    // Members' contacts lie anywhere: each is asked for this many members
    // ahead.
    constexpr std::size_t kAhead = 16;
    const auto prefetch = [&](const std::vector<ExportMember>& members, std::size_t k) {
      if (k + kAhead < members.size() && members[k + kAhead].contact) {
        __builtin_prefetch(&contacts[*members[k + kAhead].contact]);
      }
    };
    // Each contact's count of lists, and each member's address, which is
    // its contact's.
    for (ExportList& list : result_.lists) {
      for (std::size_t k = 0; k < list.members.size(); ++k) {
        prefetch(list.members, k);
        ExportMember& member = list.members[k];
        if (!member.contact) continue;
        ExportContact& contact = contacts[*member.contact];
        ++contact.listCount;
        member.address = contact.Fields().address;
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
      const std::vector<ExportMember>& members = result_.lists[l].members;
      for (std::size_t k = 0; k < members.size(); ++k) {
        prefetch(members, k);
        if (!members[k].contact) continue;
        ExportContact& contact = contacts[*members[k].contact];
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

UuidText ExportFolder::Uid(std::size_t c) const {
  UuidText text;
  if (c < uids.size()) {
    WriteUuidText(uids[c], text.chars.data());
    text.empty = false;
  }
  return text;
}

ExportFolder BuildExport(const ExportSource& source, const ExportRules& rules) {
  return Builder(source, rules).Build();
}

}  // namespace exchange
