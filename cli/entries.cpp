#include "cli/entries.h"

#include "engine/output_options.h"

namespace cli {

namespace {

// What "Strip Names" makes of one line, without its line end.
std::string Reduced(std::string_view line) {
  std::string reduced = engine::StripNames(line);
  reduced.resize(reduced.size() - 2);  // every result line ends in CR LF
  return reduced;
}

}  // namespace

Reach ReachOf(const Folder& folder, std::string_view entry) {
  Reach reach;
  reach.record = folder.FindRecord(entry);
  if (reach.record) {
    reach.address = RecordReach(folder, *reach.record);
  } else if (entry.find('@') != std::string_view::npos) {
    reach.address = Reduced(entry);
  }
  return reach;
}

std::string RecordReach(const Folder& folder, std::size_t k) {
  return Reduced(folder.RecordAddress(k));
}

}  // namespace cli
