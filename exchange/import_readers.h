// The readers of `quillmer-cli import`, one per program a file comes from:
// each takes the whole file's bytes and gives its contacts and groups
// (import_model.h), or the first fault in it. Pure: bytes in, values out;
// any bytes at all are safe to give (never a crash, never a hang).
//
// Text comes back as UTF-8. A file given in UTF-16 with its byte order mark
// is read as such; a file (or, in LDIF and vCard, a value) that is not valid
// UTF-8 is taken as text in a Windows ANSI code page, the way the program
// that made it wrote it: 1252 (Western) unless the reader is told 1250.
// The text ends at a 0x1A byte, as DOS files do; a NUL byte in the text is a
// fault (the file is not text).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "exchange/import_model.h"

namespace exchange {

struct ImportSource {
  std::string_view name;  // as `import --from` takes it
  // Reads the file; text that is not UTF-8 is taken as Windows-1252.
  ImportRead (*read)(std::string_view bytes);
  // The same, with text that is not UTF-8 taken in `ansiCodePage` (1250 or
  // 1252; any other reads as 1252).
  ImportRead (*readAnsi)(std::string_view bytes, unsigned ansiCodePage);
};

// Every source, in the order the help names them: thunderbird, ldap,
// vcard, apple, google, outlook, mutt, csv.
std::span<const ImportSource> ImportSources();
// The source called `name`, or null.
const ImportSource* FindImportSource(std::string_view name);
// "thunderbird, ldap, ... or csv", for messages.
std::string ImportSourceNames();

// The Windows code page a file from Windows is taken in when it is not
// UTF-8, for books written in `bookCodePage`: 1250 for 1250, else 1252 (as
// `export --to outlook` writes).
inline unsigned AnsiCodePageFor(unsigned bookCodePage) {
  return bookCodePage == 1250 ? 1250 : 1252;
}

// The readers behind the table (import_ldif.cpp, import_vcard.cpp,
// import_sheets.cpp, import_mutt.cpp).
ImportRead ReadLdif(std::string_view bytes, unsigned ansiCodePage);
ImportRead ReadVCards(std::string_view bytes, unsigned ansiCodePage);
ImportRead ReadGoogleCsv(std::string_view bytes, unsigned ansiCodePage);
ImportRead ReadOutlookCsv(std::string_view bytes, unsigned ansiCodePage);
ImportRead ReadMuttAliases(std::string_view bytes, unsigned ansiCodePage);
ImportRead ReadPlainCsv(std::string_view bytes, unsigned ansiCodePage);

}  // namespace exchange
