// Where an entry of a list leads (engine/entry_reach.h), asked of the
// folder a command opened.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/folder.h"
#include "engine/entry_reach.h"

namespace cli {

using engine::Reach;

inline Reach ReachOf(const Folder& folder, std::string_view entry) {
  return engine::ReachOf(folder.Contents(), entry);
}

inline std::string RecordReach(const Folder& folder, std::size_t k) {
  return engine::RecordReach(folder.Contents(), k);
}

}  // namespace cli
