#include "engine/mail_folder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "platform/files.h"

namespace engine {

namespace {

// Books are read this many whole records at a time (about 230 KB): large
// enough that the system calls cost nothing, small enough to stay in the
// processor's cache between the read and the cutting.
constexpr std::size_t kRecordsPerPiece = 512;
constexpr std::size_t kPieceSize = kRecordsPerPiece * kBookRecordSize;

// Title lines are short; a list file is read this much at a time until its
// first line has ended.
constexpr std::size_t kTitlePiece = 4096;

// Appends the records of the book at `path` to the tables (and each name's
// hash to `hashes`), reading it through `piece` (kPieceSize bytes). False,
// with the tables as they were, when the book cannot be opened or read to
// its end.
bool AppendBookFile(const std::string& path, char* piece, StringTable& names,
                    StringTable& addresses, std::vector<std::uint32_t>& hashes) {
  platform::ExclusiveFile book(path);
  if (!book.IsOpen()) return false;
  const std::size_t before = names.size();
  try {
    char header[kBookHeaderSize];
    const std::optional<std::size_t> got = book.ReadNext(header, sizeof header);
    if (!got) return false;
    if (*got < sizeof header) return true;  // no record data
    if (book.Size() > kBookHeaderSize) {
      const std::uint64_t slots =
          (book.Size() - kBookHeaderSize + kBookRecordSize - 1) / kBookRecordSize;
      if (slots < std::numeric_limits<std::uint32_t>::max()) {
        names.ReserveEntries(static_cast<std::size_t>(slots));
        addresses.ReserveEntries(static_cast<std::size_t>(slots));
        const std::size_t needed = hashes.size() + static_cast<std::size_t>(slots);
        if (needed > hashes.capacity()) {
          hashes.reserve(std::max(needed, hashes.capacity() + hashes.capacity() / 2));
        }
      }
    }
    bool first = true;
    for (;;) {
      const std::optional<std::size_t> read = book.ReadNext(piece, kPieceSize);
      if (!read) {
        names.Truncate(before);
        addresses.Truncate(before);
        hashes.resize(before);
        return false;
      }
      // A book with two bytes of record data or fewer adds nothing.
      if (first && *read <= kSmallestUsefulBook - kBookHeaderSize) return true;
      first = false;
      AppendRecordSlots(std::string_view(piece, *read), names, addresses, &hashes);
      if (*read < kPieceSize) return true;  // the file ended inside this piece
    }
  } catch (const std::bad_alloc&) {
    names.Truncate(before);
    addresses.Truncate(before);
    hashes.resize(before);
    return false;
  }
}

// Appends the records of every book in `books` (bare names in the folder
// `path`) to the tables; on running out of memory the tables end empty.
void AppendBooks(const std::string& path, const std::vector<std::string>& books, StringTable& names,
                 StringTable& addresses, std::vector<std::uint32_t>& hashes) {
  try {
    // One piece of one book in memory at a time, in a buffer that is never
    // cleared: every byte of it that is looked at was just read.
    GrowableBuffer piece;
    piece.Grow(kPieceSize, 0);
    for (const std::string& book : books) {
      AppendBookFile(platform::PathInFolder(path, book), piece.data(), names, addresses, hashes);
    }
  } catch (const std::bad_alloc&) {
    // No room even for the buffer: the folder shows no records.
    names = {};
    addresses = {};
    hashes = {};
  }
}

// The title of the list file at `path`, read only as far as its first line
// goes. Empty when the file cannot be opened or read.
std::string ReadListTitle(const std::string& path) {
  platform::ExclusiveFile file(path);
  if (!file.IsOpen()) return {};
  std::string head;
  char piece[kTitlePiece];
  for (;;) {
    const std::optional<std::size_t> got = file.ReadNext(piece, sizeof piece);
    if (!got) return {};
    head.append(piece, *got);
    // A CR or a Ctrl-Z ends the first line; so does the end of the file.
    if (*got < sizeof piece || std::memchr(piece, '\r', *got) != nullptr ||
        std::memchr(piece, '\x1A', *got) != nullptr) {
      break;
    }
  }
  return ListTitleOf(head);
}

}  // namespace

MailFolder::MailFolder(std::string path, std::vector<std::string> bookFiles, StringTable names,
                       StringTable addresses, std::vector<MailingList> lists,
                       std::vector<std::uint32_t> nameHashes)
    : path_(std::move(path)),
      bookFiles_(std::move(bookFiles)),
      names_(std::move(names)),
      addresses_(std::move(addresses)),
      index_(names_, nameHashes),
      lists_(std::move(lists)) {}

OpenedFolder OpenMailFolder(const std::string& path, const FolderParts& parts) {
  // Wildcards never name a folder; some platforms would take them
  // literally, so they are refused here for all.
  if (path.find_first_of("*?") != std::string::npos || !platform::IsFolder(path)) {
    return {nullptr, FolderFailure::kNotAFolder};
  }
  std::optional<std::vector<std::string>> books = platform::ListMatchingFiles(path, "*.PMR");
  if (!books) return {nullptr, FolderFailure::kCannotList};

  StringTable names;
  StringTable addresses;
  std::vector<std::uint32_t> hashes;  // the names' hashes, for the index
  if (parts.bookRecords) AppendBooks(path, *books, names, addresses, hashes);

  std::vector<MailingList> lists;
  for (std::string& file :
       platform::ListMatchingFiles(path, "*.PML").value_or(std::vector<std::string>{})) {
    std::string title = ReadListTitle(platform::PathInFolder(path, file));
    lists.push_back({std::move(file), std::move(title)});
  }
  return {
      std::make_shared<const MailFolder>(path, std::move(*books), std::move(names),
                                         std::move(addresses), std::move(lists), std::move(hashes)),
      FolderFailure::kNone};
}

std::optional<std::string> ReadListFile(const MailFolder& folder, const MailingList& list) {
  return platform::ReadWholeFileExclusive(platform::PathInFolder(folder.Path(), list.file));
}

std::optional<std::string> ReadBookFile(const MailFolder& folder, std::string_view file) {
  return platform::ReadWholeFileExclusive(platform::PathInFolder(folder.Path(), file));
}

}  // namespace engine
