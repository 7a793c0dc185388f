// The entries of a mailing list file and where each one leads, as the
// window's expansion and its "Strip Names" button see them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "cli/folder.h"

namespace cli {

// Where one entry of a list leads.
struct Reach {
  std::optional<std::size_t> record;  // the first record with the entry's name
  std::string address;                // reduced as "Strip Names" does; empty: none
};

// A name some book of `folder` knows reaches its first record's address;
// any other entry holding "@" reaches itself; anything else reaches nothing.
Reach ReachOf(const Folder& folder, std::string_view entry);

// The address record `k` of `folder` reaches (empty: none).
std::string RecordReach(const Folder& folder, std::size_t k);

}  // namespace cli
