// Where each entry of a mailing list leads, as the window's expansion and
// its "Strip Names" button see it: the address a script, an export or a
// check takes from the entry. Pure, over a MailFolder's tables.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/folder_contents.h"

namespace engine {

// Where one entry of a list leads.
struct Reach {
  std::optional<std::size_t> record;  // the first record with the entry's name
  std::string address;                // reduced as "Strip Names" does; empty: none
};

// A name some book of `folder` knows (letter case as the books compare
// names) reaches its first record's address; any other entry holding "@"
// reaches itself; anything else reaches nothing.
Reach ReachOf(const MailFolder& folder, std::string_view entry);

// The address record `k` of `folder` reaches (empty: none).
std::string RecordReach(const MailFolder& folder, std::size_t k);

}  // namespace engine
