// The export's model and texts as tests and fuzz targets compare them: a
// model as lines of text, the indexes in it that lead nowhere, and what a
// target writes of a model through a sink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/parallel.h"
#include "exchange/export_model.h"
#include "exchange/export_targets.h"
#include "exchange/sink.h"

namespace reference {

// The model as lines: one per contact (every field, UID, made, its
// lists), one per list (its texts, counts and members, each the contact it
// leads to and the address), then the folder's counts.
inline std::vector<std::string> DescribedExport(const exchange::ExportFolder& model) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < model.contacts.size(); ++i) {
    const exchange::ExportContact& contact = model.contacts[i];
    const exchange::ContactText f = contact.Fields();
    const exchange::UuidText uid = model.Uid(i);
    std::string line = "contact " + std::to_string(i) + ":";
    for (const std::string_view text : {f.name, f.address, f.company, f.phone, f.notes, f.key,
                                        f.street, f.postal, f.fax, f.book, std::string_view(uid)}) {
      line += " [";
      line += text;
      line += "]";
    }
    line += contact.made ? " made" : " record";
    line += " lists";
    for (const std::uint32_t l : model.ListsOf(contact)) line += " " + std::to_string(l);
    lines.push_back(std::move(line));
  }
  for (const exchange::ExportList& list : model.lists) {
    std::string line = "list " + list.file + " [" + list.rawTitle + "] [" + list.original + "] [" +
                       list.title + "] " + list.uid + " left out " + std::to_string(list.leftOut) +
                       ", made " + std::to_string(list.made) + ", duplicates " +
                       std::to_string(list.duplicates) + (list.renamed ? ", renamed" : "") +
                       (list.readable ? "" : ", unreadable") + ":";
    for (const exchange::ExportMember& member : list.members) {
      line += " ";
      line += member.contact ? std::to_string(*member.contact) : "-";
      line += "=";
      line += member.address;
    }
    lines.push_back(std::move(line));
  }
  lines.push_back("contacts " + std::to_string(model.contacts.size()) + ", merged " +
                  std::to_string(model.merged) + ", undefined " + std::to_string(model.undefined) +
                  ", unreadable " + std::to_string(model.unreadable));
  return lines;
}

// The first list of a contact or contact of a member that the model does
// not hold, said in words; empty when every one is there.
inline std::string FirstIndexLeadingNowhere(const exchange::ExportFolder& model) {
  for (std::size_t i = 0; i < model.contacts.size(); ++i) {
    for (const std::uint32_t l : model.ListsOf(model.contacts[i])) {
      if (l >= model.lists.size()) {
        return "contact " + std::to_string(i) + " in list " + std::to_string(l);
      }
    }
  }
  for (const exchange::ExportList& list : model.lists) {
    for (const exchange::ExportMember& member : list.members) {
      if (member.contact && *member.contact >= model.contacts.size()) {
        return "list " + list.file + " member " + std::to_string(*member.contact);
      }
    }
  }
  return {};
}

struct WrittenExport {
  std::string text;
  std::size_t renamed = 0;
  std::size_t unwritable = 0;
};

// What `target` writes of `model`, taken from the sink whenever at least
// `takeFrom` bytes wait there (the command line takes a megabyte at a time).
inline WrittenExport Written(const exchange::ExportTarget& target,
                             const exchange::ExportFolder& model, engine::Split split,
                             std::size_t takeFrom) {
  WrittenExport written;
  std::string pending;
  exchange::Sink sink(pending, [&] {
    if (pending.size() < takeFrom) return;
    written.text += pending;
    pending.clear();
  });
  exchange::ExportContext context{sink, "dc=example,dc=org", 1252};
  context.split = split;
  target.write(model, context);
  written.text += pending;
  written.renamed = context.renamed;
  written.unwritable = context.unwritable;
  return written;
}

}  // namespace reference
