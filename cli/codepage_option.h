// The --codepage option of the commands that convert the books' text: its
// value checked, and the converter it asks for.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "cli/result.h"
#include "cli/session.h"
#include "platform/codepage.h"

namespace cli {

// The code page --codepage names (1252 when none does): "1252" or "cp1252"
// (either case), one the converter supports. Fails with the one line that
// says which are.
Result<unsigned> CodePageOption(Session& session, const Request& request);

// The converter from `codePage` to UTF-8; fails when the system has none.
Result<std::unique_ptr<platform::CodePageConverter>> OpenConverter(Session& session,
                                                                   unsigned codePage);

}  // namespace cli
