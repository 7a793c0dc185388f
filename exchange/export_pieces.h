// How the export writers write their contacts: in pieces, two pieces at
// once where there is a second processor (ExportContext::split), each
// piece's text following the one before it exactly as one pass would
// write them. Used by the writers (export_*.cpp) only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "engine/parallel.h"
#include "exchange/export_targets.h"

namespace exchange {

// Contacts written in one piece: about a megabyte or two of text.
inline constexpr std::size_t kContactsPerPiece = 8192;

// Calls append(i, out, lane) for every contact i of `folder` in order, the
// text going to the sink; lane (0 or 1) says which of two writers at once
// is calling, so that each may keep its own scratch room and counts.
// `append` must change nothing but `out` and what belongs to its lane.
template <typename Append>
void WriteContacts(const ExportFolder& folder, ExportContext& context, Append&& append) {
  const std::size_t count = folder.contacts.size();
  const auto piece = [&](std::size_t from, std::string& out, std::size_t lane) {
    const std::size_t to = std::min(count, from + kContactsPerPiece);
    for (std::size_t i = from; i < to; ++i) append(i, out, lane);
  };
  std::string& out = context.sink.out();
  const bool pairs = context.split != engine::Split::kNever && count > kContactsPerPiece &&
                     (context.split == engine::Split::kAlways || engine::HasSecondProcessor());
  std::string second;  // the second piece of a pair; its room is kept
  for (std::size_t from = 0; from < count;) {
    if (!pairs || from + kContactsPerPiece >= count) {
      piece(from, out, 0);
      from += kContactsPerPiece;
      context.sink.Drain();
      continue;
    }
    second.clear();
    engine::RunBoth([&] { piece(from, out, 0); },
                    [&] { piece(from + kContactsPerPiece, second, 1); });
    out += second;
    from += 2 * kContactsPerPiece;
    context.sink.Drain();
  }
}

}  // namespace exchange
