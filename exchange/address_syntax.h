// How the command line reads and writes e-mail addresses. Pure.
#pragma once

#include <string>
#include <string_view>

namespace exchange {

// The entry as an RFC 5322 display name: as it is (blanks around it
// trimmed) when it is words of atom characters separated by single spaces,
// else a quoted string. Empty for an entry of blanks only.
std::string DisplayName(std::string_view entry);

// local@domain: a local part without blanks, controls or the characters
// that end an address in a header; a domain of letters, digits, hyphens and
// non-ASCII bytes in dot-separated labels, none empty.
bool LooksLikeAddress(std::string_view address);

// `address` with a-z upper-cased: equal for two addresses that differ in
// ASCII letter case only, which is how addresses are compared.
std::string CaseFolded(std::string_view address);

}  // namespace exchange
