// How a mailing list's entries are taken as e-mail addresses: what looks
// like one, and when two are the same. Pure.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// local@domain: a local part without blanks, controls or the characters
// that end an address in a header; a domain of letters, digits, hyphens and
// non-ASCII bytes in dot-separated labels, none empty.
bool LooksLikeAddress(std::string_view address);

// `address` with a-z upper-cased: equal for two addresses that differ in
// ASCII letter case only, which is how addresses are compared.
std::string CaseFolded(std::string_view address);

}  // namespace engine
