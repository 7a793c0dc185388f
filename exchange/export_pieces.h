// How the export writers write their contacts: in pieces, two pieces at
// once where there is a second processor (ExportContext::split, then every
// other piece on the second thread), each piece's text following the one
// before it exactly as one pass would write them. Used by the writers (export_*.cpp) only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "engine/parallel.h"
#include "exchange/export_targets.h"

namespace exchange {

// Contacts written in one piece: about a megabyte or two of text.
inline constexpr std::size_t kContactsPerPiece = 8192;

// Whether the contacts of `folder` are written two pieces at once: the
// context lets the export split and there is more than one piece.
inline bool SplitsContacts(const ExportFolder& folder, const ExportContext& context) {
  return context.split != engine::Split::kNever && folder.contacts.size() > kContactsPerPiece &&
         (context.split == engine::Split::kAlways || engine::HasSecondProcessor());
}

// Calls work(from, to, lane) over the contacts of `folder`: the first half
// here (lane 0) and the second on another thread (lane 1) where
// SplitsContacts, else all of them here. `work` must change nothing but
// what belongs to its lane and its range.
template <typename Work>
void ForContactHalves(const ExportFolder& folder, const ExportContext& context, Work&& work) {
  const std::size_t count = folder.contacts.size();
  if (!SplitsContacts(folder, context)) {
    work(std::size_t{0}, count, std::size_t{0});
    return;
  }
  engine::RunBoth([&] { work(std::size_t{0}, count / 2, std::size_t{0}); },
                  [&] { work(count / 2, count, std::size_t{1}); });
}

// Calls append(i, out, lane) for every contact i of `folder` in order, the
// text going to the sink; lane (0 or 1) says which of two writers at once
// is calling, so that each may keep its own scratch room and counts.
// `append` must change nothing but `out` and what belongs to its lane.
template <typename Append>
void WriteContacts(const ExportFolder& folder, ExportContext& context, Append&& append) {
  const std::size_t count = folder.contacts.size();
  const std::size_t pieces = (count + kContactsPerPiece - 1) / kContactsPerPiece;
  const auto piece = [&](std::size_t p, std::string& out, std::size_t lane) {
    const std::size_t from = p * kContactsPerPiece;
    const std::size_t to = std::min(count, from + kContactsPerPiece);
    for (std::size_t i = from; i < to; ++i) append(i, out, lane);
  };
  std::string& out = context.sink.out();
  if (!SplitsContacts(folder, context)) {
    for (std::size_t p = 0; p < pieces; ++p) {
      piece(p, out, 0);
      context.sink.Drain();
    }
    return;
  }
  engine::MakeInOrder(
      pieces, out,
      [&](std::size_t p, std::size_t lane, std::string& text) {
        piece(p, text, lane);
        if (lane == 0) context.sink.Drain();
      },
      [&](std::size_t, std::string& text) {
        out += text;
        context.sink.Drain();
      });
}

}  // namespace exchange
