// quillmer-cli books: every record of every address book exported as CSV,
// vCard or LDIF, converted from the books' code page to UTF-8.
#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/ascii.h"
#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/contact_formats.h"
#include "cli/folder.h"
#include "engine/address_book_record.h"
#include "platform/codepage.h"

namespace cli {

namespace {

// Every text of a record, each converted on its own.
constexpr std::string engine::BookRecord::*kRecordTexts[] = {
    &engine::BookRecord::name,   &engine::BookRecord::address, &engine::BookRecord::company,
    &engine::BookRecord::phone,  &engine::BookRecord::notes,   &engine::BookRecord::key,
    &engine::BookRecord::street, &engine::BookRecord::postal,  &engine::BookRecord::fax};

// "1252" or "cp1252" (either case): a code page the converter supports.
std::optional<unsigned> CodePageNumber(std::string_view text) {
  if (text.size() > 2 && base::EqualIgnoringAsciiCase(text.substr(0, 2), "CP")) {
    text.remove_prefix(2);
  }
  unsigned number = 0;
  if (text.empty() || text.size() > 5) return std::nullopt;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (!platform::IsSupportedCodePage(number)) return std::nullopt;
  return number;
}

}  // namespace

int RunBooks(Session& session, const Request& request) {
  const std::string format = request.format.value_or("csv");
  if (format != "csv" && format != "vcard" && format != "ldif") {
    return session.Fail("unknown format " + Quoted(format) +
                        " for books (expected csv, vcard or ldif)");
  }
  const std::optional<unsigned> codePage = CodePageNumber(request.codePage.value_or("1252"));
  if (!codePage) {
    return session.Fail("unknown code page " + Quoted(*request.codePage) +
                        " (expected 1252, 850, 437 or 1250)");
  }
  // Each book is read whole below, once: the folder need not read them too.
  const Result<Folder> folder = Folder::OpenNamed(session, request, {.bookRecords = false});
  if (!folder) return folder.status();

  std::unique_ptr<platform::CodePageConverter> converter;
  try {
    converter = std::make_unique<platform::CodePageConverter>(*codePage);
  } catch (const std::exception& e) {
    return session.Fail(std::string("cannot convert from code page ") + std::to_string(*codePage) +
                        ": " + e.what());
  }
  std::size_t undefined = 0;
  const auto utf8 = [&](std::string_view bytes, std::string& text) {
    text.clear();
    undefined += converter->AppendUtf8(bytes, text);
  };

  std::string& out = session.out();
  if (format == "csv") AppendContactCsvHeader(out);
  bool unreadable = false;
  Contact contact;
  for (const std::string& file : folder->BookFiles()) {
    const std::optional<std::string> bytes = folder->ReadBook(file);
    if (!bytes) {
      session.Note("cannot read address book " + Quoted(file) +
                   " (missing, locked or not permitted)");
      unreadable = true;
      continue;
    }
    utf8(file, contact.book);
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
  if (undefined > 0) {
    session.Note(std::to_string(undefined) + " byte" + (undefined == 1 ? "" : "s") +
                 " not defined in code page " + std::to_string(*codePage) + " written as U+FFFD");
  }
  return unreadable ? kExitError : kExitOk;
}

}  // namespace cli
