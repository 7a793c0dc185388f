// The --codepage option of the commands that convert the books' text: its
// value checked, and the converter it asks for.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/folder.h"
#include "cli/options.h"
#include "cli/result.h"
#include "cli/session.h"
#include "platform/codepage.h"

namespace cli {

// --codepage CP, taken by every command that converts the books' text.
inline constexpr Option kCodePageOption{.name = "--codepage", .value = "CP"};

// The code page --codepage names: 1252 when none does; "1252" or "cp1252",
// either case, one the converter supports. Says why in one line when not.
Result<unsigned> CodePageOption(Session& session, const Request& request);

// What the commands that write the books' text in UTF-8 open before they
// write, in this order: the code page --codepage names (1252 when none
// does: "1252" or "cp1252", either case, one the converter supports), the
// folder the request names, and the converter from that code page to
// UTF-8. Each step that fails says why in one line.
struct ConvertingFolder {
  unsigned codePage;
  Folder folder;
  std::unique_ptr<platform::CodePageConverter> converter;
};
// `parts` says what the folder reads beyond its listing (Folder::Open).
Result<ConvertingFolder> OpenConvertingFolder(Session& session, const Request& request,
                                              const engine::OpenOptions& parts = {});

// Says on standard error how many bytes of the books `codePage` does not
// define (written as U+FFFD); nothing when there were none.
void NoteUndefinedBytes(Session& session, std::size_t undefined, unsigned codePage);

}  // namespace cli
