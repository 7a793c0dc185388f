// How the exports write e-mail addresses and names. Pure. What looks like an
// address, and when two are the same, are the mail folder's own rules
// (engine/address_syntax.h), named here too for the writers.
#pragma once

#include <string>
#include <string_view>

#include "engine/address_syntax.h"

namespace exchange {

using engine::CaseFolded;
using engine::LooksLikeAddress;

// The entry as an RFC 5322 display name: as it is (blanks around it
// trimmed) when it is words of atom characters separated by single spaces,
// else a quoted string. Empty for an entry of blanks only.
std::string DisplayName(std::string_view entry);
// The same appended to `out`.
void AppendDisplayName(std::string_view entry, std::string& out);

}  // namespace exchange
