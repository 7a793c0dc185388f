#include "engine/mail_folder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <thread>
#include <utility>

#include "engine/address_book.h"
#include "engine/growable_buffer.h"
#include "engine/parallel.h"
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

using platform::FileFailure;
using platform::NameForm;

// A file that is there but could not be read; folders, devices and files
// gone since the listing are no books or lists at all.
bool Unreadable(FileFailure failure) {
  return failure == FileFailure::kHeld || failure == FileFailure::kNotPermitted ||
         failure == FileFailure::kReadFailed;
}

// Calls `read` (which says why it failed) until it succeeds, fails other
// than by being unreadable, or `retry` gives up.
template <typename Read>
FileFailure Retrying(const RetryDeadline& retry, Read read) {
  for (;;) {
    const FileFailure failure = read();
    if (!Unreadable(failure) || !retry.WaitToRetry()) return failure;
  }
}

// Appends the records of the book at `path` to the tables (and each name's
// hash to `hashes`), reading it through `piece` (kPieceSize bytes). With the
// tables as they were, says why when the book cannot be opened or read to
// its end.
FileFailure AppendBookFile(const std::string& path, NameForm form, char* piece, StringTable& names,
                           StringTable& addresses, std::vector<std::uint32_t>& hashes) {
  platform::ExclusiveFile book(path, form);
  if (!book.IsOpen()) return book.OpenFailure();
  const std::size_t before = names.size();
  try {
    char header[kBookHeaderSize];
    const std::optional<std::size_t> got = book.ReadNext(header, sizeof header);
    if (!got) return FileFailure::kReadFailed;
    if (*got < sizeof header) return FileFailure::kNone;  // no record data
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
        return FileFailure::kReadFailed;
      }
      // A book with two bytes of record data or fewer adds nothing.
      if (first && *read <= kSmallestUsefulBook - kBookHeaderSize) return FileFailure::kNone;
      first = false;
      AppendRecordSlots(std::string_view(piece, *read), names, addresses, &hashes);
      // The file ended inside this piece.
      if (*read < kPieceSize) return FileFailure::kNone;
    }
  } catch (const std::bad_alloc&) {
    names.Truncate(before);
    addresses.Truncate(before);
    hashes.resize(before);
    return FileFailure::kReadFailed;
  }
}

// What a run of books gives: their records, the hash of each name (for the
// index) and the books that could not be read.
struct BookRecords {
  StringTable names;
  StringTable addresses;
  std::vector<std::uint32_t> hashes;
  std::vector<UnreadableFile> unreadable;
  bool outOfMemory = false;  // no room even to read: no records at all
};

// Appends the records of every book in `books` (bare names in the folder
// `path`) to `records`, each book tried again as `retry` says.
void AppendBooks(const std::string& path, NameForm form, std::span<const std::string> books,
                 const RetryDeadline& retry, BookRecords& records) {
  try {
    // One piece of one book in memory at a time, in a buffer that is never
    // cleared: every byte of it that is looked at was just read.
    GrowableBuffer piece;
    piece.Grow(kPieceSize, 0);
    for (const std::string& book : books) {
      const std::string bookPath = platform::PathInFolder(path, book);
      const FileFailure failure = Retrying(retry, [&] {
        return AppendBookFile(bookPath, form, piece.data(), records.names, records.addresses,
                              records.hashes);
      });
      if (Unreadable(failure)) records.unreadable.push_back({book, true, failure});
    }
  } catch (const std::bad_alloc&) {
    records.outOfMemory = true;
  }
}

// Books of at least this many bytes in all are worth reading as two runs
// at once: each run reads and cuts its own books, and the second's tables
// are joined to the first's.
constexpr std::uint64_t kTwoRunsFrom = std::uint64_t{1} << 20;

// Where the second run of books starts, as `split` says: the book that
// splits their bytes most nearly in half; 0 for one run.
std::size_t SecondRunStart(const std::vector<std::uint64_t>& sizes, Split split) {
  if (sizes.size() < 2 || split == Split::kNever) return 0;
  std::uint64_t total = 0;
  for (const std::uint64_t size : sizes) total += size;
  if (split == Split::kWhenWorthIt && (total < kTwoRunsFrom || !HasSecondProcessor())) return 0;
  const std::uint64_t half = total / 2;
  // Books go to the first run while it stays within half the bytes, and
  // one more when that ends nearer the half; the second run keeps one at
  // least.
  std::size_t start = 1;
  std::uint64_t before = sizes[0];  // the bytes of books [0, start)
  while (start + 1 < sizes.size() && before + sizes[start] <= half) before += sizes[start++];
  if (start + 1 < sizes.size() && before < half && before + sizes[start] - half < half - before) {
    ++start;
  }
  return start;
}

// The records of every book in `books`, in their order, as one run or two
// as `split` and `sizes` (the books' sizes as listed) say.
BookRecords ReadBooks(const std::string& path, NameForm form, const std::vector<std::string>& books,
                      const std::vector<std::uint64_t>& sizes, const RetryDeadline& retry,
                      Split split) {
  BookRecords first;
  const std::size_t second = sizes.size() == books.size() ? SecondRunStart(sizes, split) : 0;
  const std::span<const std::string> all(books);
  if (second == 0) {
    AppendBooks(path, form, all, retry, first);
  } else {
    BookRecords rest;
    RunBoth([&] { AppendBooks(path, form, all.first(second), retry, first); },
            [&] { AppendBooks(path, form, all.subspan(second), retry, rest); });
    first.unreadable.insert(first.unreadable.end(), rest.unreadable.begin(), rest.unreadable.end());
    first.outOfMemory = first.outOfMemory || rest.outOfMemory;
    if (!first.outOfMemory) {
      try {
        first.hashes.insert(first.hashes.end(), rest.hashes.begin(), rest.hashes.end());
        first.names.AppendTable(std::move(rest.names));
        first.addresses.AppendTable(std::move(rest.addresses));
      } catch (const std::bad_alloc&) {
        first.outOfMemory = true;
      }
    }
  }
  if (first.outOfMemory) {
    // The folder shows no records.
    first.names = {};
    first.addresses = {};
    first.hashes = {};
  }
  return first;
}

// The title of the list file at `path`, read only as far as its first line
// goes, into `title`. Says why when the file cannot be opened or read; the
// title is empty then.
FileFailure ReadListTitle(const std::string& path, NameForm form, std::string& title) {
  title.clear();
  platform::ExclusiveFile file(path, form);
  if (!file.IsOpen()) return file.OpenFailure();
  std::string head;
  char piece[kTitlePiece];
  for (;;) {
    const std::optional<std::size_t> got = file.ReadNext(piece, sizeof piece);
    if (!got) return FileFailure::kReadFailed;
    head.append(piece, *got);
    // A CR or a Ctrl-Z ends the first line; so does the end of the file.
    if (*got < sizeof piece || std::memchr(piece, '\r', *got) != nullptr ||
        std::memchr(piece, '\x1A', *got) != nullptr) {
      break;
    }
  }
  title = ListTitleOf(head);
  return FileFailure::kNone;
}

// The whole of `file` in `folder` into `bytes`, tried again as `retry`
// says.
bool ReadFolderFile(const MailFolder& folder, std::string_view file, std::string& bytes,
                    const RetryDeadline& retry, FileFailure* why) {
  const std::string path = platform::PathInFolder(folder.Path(), file);
  const FileFailure failure = Retrying(retry, [&] {
    FileFailure reason = FileFailure::kNone;
    platform::ReadWholeFileExclusive(path, bytes, &reason, folder.Names());
    return reason;
  });
  if (why != nullptr) *why = failure;
  return failure == FileFailure::kNone;
}

std::optional<std::string> ReadFolderFile(const MailFolder& folder, std::string_view file,
                                          const RetryDeadline& retry, FileFailure* why) {
  std::string bytes;
  if (!ReadFolderFile(folder, file, bytes, retry, why)) return std::nullopt;
  return bytes;
}

}  // namespace

bool RetryDeadline::WaitToRetry() const {
  if (!until_) return false;
  const auto now = std::chrono::steady_clock::now();
  if (now >= *until_) return false;
  std::this_thread::sleep_for(
      std::min<std::chrono::steady_clock::duration>(kRetryStep, *until_ - now));
  return true;
}

OpenedFolder OpenMailFolder(const std::string& path, const OpenOptions& options) {
  // Wildcards never name a folder; some platforms would take them
  // literally, so they are refused here for all.
  const NameForm form = options.names;
  if (path.find_first_of("*?") != std::string::npos || !platform::IsFolder(path, form)) {
    return {nullptr, FolderFailure::kNotAFolder};
  }
  std::vector<std::uint64_t> sizes;
  std::optional<std::vector<std::string>> books =
      platform::ListMatchingFiles(path, "*.PMR", &sizes, form);
  if (!books) return {nullptr, FolderFailure::kCannotList};

  BookRecords records;
  if (options.bookRecords) {
    records = ReadBooks(path, form, *books, sizes, options.retry, options.split);
  }
  std::vector<UnreadableFile>& unreadable = records.unreadable;
  const auto note = [&](const std::string& file, bool book, FileFailure failure) {
    if (Unreadable(failure)) unreadable.push_back({file, book, failure});
  };

  std::vector<MailingList> lists;
  for (std::string& file : platform::ListMatchingFiles(path, "*.PML", nullptr, form)
                               .value_or(std::vector<std::string>{})) {
    const std::string listPath = platform::PathInFolder(path, file);
    std::string title;
    note(file, false,
         Retrying(options.retry, [&] { return ReadListTitle(listPath, form, title); }));
    lists.push_back({std::move(file), std::move(title)});
  }
  return {std::make_shared<const MailFolder>(
              path, std::move(*books), std::move(records.names), std::move(records.addresses),
              std::move(lists), std::move(unreadable), std::move(records.hashes), form),
          FolderFailure::kNone};
}

std::optional<std::string> ReadListFile(const MailFolder& folder, const MailingList& list,
                                        const RetryDeadline& retry, FileFailure* why) {
  return ReadFolderFile(folder, list.file, retry, why);
}

bool ReadBookFile(const MailFolder& folder, std::string_view file, WholeFile& content,
                  const RetryDeadline& retry, FileFailure* why) {
  const std::string path = platform::PathInFolder(folder.Path(), file);
  const FileFailure failure = Retrying(retry, [&] {
    content.size_ = 0;
    platform::ExclusiveFile opened(path, folder.Names());
    if (!opened.IsOpen()) return opened.OpenFailure();
    // A file larger than this process can address cannot be held whole.
    if (opened.Size() > std::numeric_limits<std::size_t>::max() / 8)
      return FileFailure::kReadFailed;
    try {
      GrowableBuffer& room = content.room_;
      const std::optional<std::size_t> done =
          opened.ReadToEnd([&](std::size_t needed, std::size_t used) {
            room.Grow(needed, used);
            return std::span<char>(room.data(), room.capacity());
          });
      if (done) {
        content.size_ = *done;
        return FileFailure::kNone;
      }
    } catch (const std::bad_alloc&) {
    }
    return FileFailure::kReadFailed;
  });
  if (why != nullptr) *why = failure;
  return failure == FileFailure::kNone;
}

}  // namespace engine
