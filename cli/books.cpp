// quillmer-cli books: every record of every address book exported as CSV,
// vCard or LDIF, converted from the books' code page to UTF-8.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/codepage_option.h"
#include "cli/commands.h"
#include "cli/folder.h"
#include "engine/address_book_record.h"
#include "engine/book_layout.h"
#include "engine/parallel.h"
#include "exchange/contact_formats.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace cli {

using exchange::AppendContactCsv;
using exchange::AppendContactCsvHeader;
using exchange::AppendContactLdif;
using exchange::AppendContactVCard;
using exchange::ContactText;
using exchange::Utf8Texts;

namespace {

// What exporting one book at a time keeps from book to book: the book's
// bytes and the room for a record's converted texts, used again.
struct BookWork {
  engine::WholeFile content;
  std::string converted;
  std::string book;
};

// Appends the records of the book `file` to `out` in `format`, the texts
// in UTF-8, calling `drain` after each; counts the bytes the code page
// leaves undefined in `undefined`. Says why when the book cannot be read
// (then nothing is appended).
template <typename Drain>
platform::FileFailure ExportBook(const Folder& folder, const std::string& file,
                                 const std::string& format,
                                 const platform::CodePageConverter& converter, BookWork& work,
                                 std::string& out, std::size_t& undefined, Drain&& drain) {
  platform::FileFailure why = platform::FileFailure::kNone;
  if (!folder.ReadBook(file, work.content, why)) return why;
  // A name the ANSI code page holds is in its bytes, as the books' texts
  // are; any other is UTF-8 already.
  if (const std::optional<std::string> ansi = platform::AnsiFormOf(file, kNames)) {
    work.book.clear();
    undefined += converter.AppendUtf8(*ansi, work.book);
  } else {
    work.book = file;
  }
  const std::string_view bytes = work.content.Bytes();
  if (bytes.size() <= engine::kBookHeaderSize) return platform::FileFailure::kNone;
  for (std::size_t start = engine::kBookHeaderSize; start < bytes.size();
       start += engine::kBookRecordSize) {
    const engine::BookRecordText record =
        engine::CutBookRecord(bytes.substr(start, engine::kBookRecordSize));
    if (record.name.empty() && record.address.empty()) continue;
    const ContactText contact{Utf8Texts(record, converter, work.converted, undefined), work.book};
    if (format == "csv") {
      AppendContactCsv(contact, out);
    } else if (format == "vcard") {
      AppendContactVCard(contact, out);
    } else {
      AppendContactLdif(contact, out);
    }
    drain();
  }
  return platform::FileFailure::kNone;
}

// clang-format off
constexpr std::string_view kFormats[] = {"csv", "vcard", "ldif"};
constexpr Option kFormat{.name = "--format", .value = "FORMAT", .choices = kFormats};
constexpr Option kOptions[] = {kFormat, kCodePageOption};

constexpr std::string_view kSummaryText[] = {
    "                          every contact of every address book, in UTF-8",
};
constexpr std::string_view kHelp[] = {
    "Every contact of every address book of FOLDER, books in the folder's order,",
    "records first to last, with all their fields, in UTF-8.",
    "  --format csv    (default) RFC 4180, header row",
    "                  name,company,key,street,postal,phone,fax,notes,email,book",
    "  --format vcard  vCard 3.0, for most address books and phones",
    "  --format ldif   LDIF, as Thunderbird's address book imports it",
    "  --codepage CP   the code page the books were written in: 1252 (default,",
    "                  Western Windows), 850 or 437 (DOS), 1250 (Central European)",
    "Bytes the code page does not define become U+FFFD and are counted on",
    "standard error.",
};
// clang-format on

int RunBooks(Session& session, const Request& request) {
  const std::string format = *request.Value(kFormat);
  // Each book is read whole below, once: the folder need not read them too.
  const Result<ConvertingFolder> opened =
      OpenConvertingFolder(session, request, {.bookRecords = false});
  if (!opened) return opened.status();
  const Folder& folder = opened->folder;
  const platform::CodePageConverter& converter = *opened->converter;
  std::size_t undefined = 0;

  std::string& out = session.out();
  if (format == "csv") AppendContactCsvHeader(out);
  bool unreadable = false;
  const auto note = [&](const std::string& file, platform::FileFailure why) {
    if (why == platform::FileFailure::kNone) return;
    session.Note(CannotRead({file, true, why}));
    unreadable = true;
  };
  const auto drain = [&] { session.Drain(); };
  const std::vector<std::string>& books = folder.BookFiles();
  // Where there is a second processor, every other book is exported on a
  // thread of its own into a text of its own, which goes out in its turn.
  if (!engine::HasSecondProcessor()) {
    BookWork work;
    for (const std::string& book : books) {
      note(book, ExportBook(folder, book, format, converter, work, out, undefined, drain));
    }
  } else {
    BookWork work[2];
    std::size_t undefinedOn[2] = {0, 0};
    std::vector<platform::FileFailure> why(books.size(), platform::FileFailure::kNone);
    engine::MakeInOrder(
        books.size(), out,
        [&](std::size_t i, std::size_t lane, std::string& text) {
          if (lane == 0) {
            note(books[i], ExportBook(folder, books[i], format, converter, work[0], text,
                                      undefinedOn[0], drain));
          } else {
            why[i] = ExportBook(folder, books[i], format, converter, work[1], text, undefinedOn[1],
                                [] {});
          }
        },
        [&](std::size_t i, std::string& text) {
          note(books[i], why[i]);
          session.Pass(text);
        });
    undefined += undefinedOn[0] + undefinedOn[1];
  }
  NoteUndefinedBytes(session, undefined, opened->codePage);
  return unreadable ? kExitUnreadable : kExitOk;
}

std::vector<std::string> Summary();

}  // namespace

extern const Command kBooksCommand{"books", kOptions,          "[FOLDER]",
                                   Summary, FixedLines<kHelp>, RunBooks};

namespace {

std::vector<std::string> Summary() {
  std::vector<std::string> summary = {"  " + Synopsis(kBooksCommand)};
  summary.insert(summary.end(), std::begin(kSummaryText), std::end(kSummaryText));
  return summary;
}

}  // namespace

}  // namespace cli
