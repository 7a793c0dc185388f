#include "engine/entry_reach.h"

#include "engine/bytes.h"
#include "engine/output_options.h"

namespace engine {

namespace {

// What "Strip Names" makes of one line, without its line end.
std::string Reduced(std::string_view line) {
  std::string reduced = StripNames(line);
  reduced.resize(reduced.size() - 2);  // every result line ends in CR LF
  return reduced;
}

}  // namespace

Reach ReachOf(const MailFolder& folder, std::string_view entry) {
  Reach reach;
  reach.record = folder.FindBookName(UpperCase(entry));
  if (reach.record) {
    reach.address = RecordReach(folder, *reach.record);
  } else if (entry.find('@') != std::string_view::npos) {
    reach.address = Reduced(entry);
  }
  return reach;
}

std::string RecordReach(const MailFolder& folder, std::size_t k) {
  return Reduced(folder.BookAddresses()[k]);
}

}  // namespace engine
