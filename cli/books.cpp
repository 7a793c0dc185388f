// quillmer-cli books: every record of every address book exported as CSV,
// vCard or LDIF, converted from the books' code page to UTF-8.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/cli.h"
#include "cli/codepage_option.h"
#include "cli/commands.h"
#include "cli/contact_formats.h"
#include "cli/folder.h"
#include "engine/address_book_record.h"
#include "platform/codepage.h"
#include "platform/files.h"

namespace cli {

namespace {

// Every text of a record, each converted on its own.
constexpr std::string engine::BookRecord::*kRecordTexts[] = {
    &engine::BookRecord::name,   &engine::BookRecord::address, &engine::BookRecord::company,
    &engine::BookRecord::phone,  &engine::BookRecord::notes,   &engine::BookRecord::key,
    &engine::BookRecord::street, &engine::BookRecord::postal,  &engine::BookRecord::fax};

}  // namespace

int RunBooks(Session& session, const Request& request) {
  const std::string& format = *request.format;
  // Each book is read whole below, once: the folder need not read them too.
  const Result<ConvertingFolder> opened =
      OpenConvertingFolder(session, request, {.bookRecords = false});
  if (!opened) return opened.status();
  const Folder& folder = opened->folder;
  std::size_t undefined = 0;
  const auto utf8 = [&](std::string_view bytes, std::string& text) {
    text.clear();
    undefined += opened->converter->AppendUtf8(bytes, text);
  };

  std::string& out = session.out();
  if (format == "csv") AppendContactCsvHeader(out);
  bool unreadable = false;
  Contact contact;
  for (const std::string& file : folder.BookFiles()) {
    platform::FileFailure why = platform::FileFailure::kNone;
    const std::optional<std::string> bytes = folder.ReadBook(file, why);
    if (!bytes) {
      session.Note(CannotRead({file, true, why}));
      unreadable = true;
      continue;
    }
    // A name the ANSI code page holds is in its bytes, as the books' texts
    // are; any other is UTF-8 already.
    if (const std::optional<std::string> ansi = platform::AnsiFormOf(file)) {
      utf8(*ansi, contact.book);
    } else {
      contact.book = file;
    }
    engine::ForEachBookRecord(*bytes, [&](const engine::BookRecord& record) {
      if (record.name.empty() && record.address.empty()) return;
      for (const auto field : kRecordTexts) utf8(record.*field, contact.*field);
      if (format == "csv") {
        AppendContactCsv(contact, out);
      } else if (format == "vcard") {
        AppendContactVCard(contact, out);
      } else {
        AppendContactLdif(contact, out);
      }
      session.Drain();
    });
  }
  NoteUndefinedBytes(session, undefined, opened->codePage);
  return unreadable ? kExitUnreadable : kExitOk;
}

}  // namespace cli
