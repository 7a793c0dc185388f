// The programs an export is written for, each in its own file
// (export_*.cpp), from the shared ExportFolder (export_model.h): the one
// table of targets, their names and their rules.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "engine/parallel.h"
#include "exchange/export_model.h"
#include "exchange/sink.h"

namespace exchange {

// What a writer needs besides the folder.
struct ExportContext {
  Sink& sink;
  std::string_view base;       // the entry to export under, for ldap
  unsigned codePage;           // the books' code page
  std::size_t renamed = 0;     // contacts the writer renamed to keep them apart
  std::size_t unwritable = 0;  // characters the output's code page lacks
  // Whether contacts may be written two pieces at once (the command
  // line's way; the window keeps to one thread).
  engine::Split split = engine::Split::kNever;
};

struct ExportTarget {
  std::string_view name;
  ExportRules rules;
  bool dropsEmptyLists;  // a list needs a member to arrive
  bool needsBase;        // writes under a base entry (an LDAP dn)
  void (*write)(const ExportFolder& folder, ExportContext& context);
  // What the target is and what its title rules change, as help says it,
  // one printed line each (the lines after the first go under it). Targets
  // that follow each other with the same `titleHelp` are named together.
  std::span<const std::string_view> help;
  std::span<const std::string_view> titleHelp = {};
};

// Whether `list` is written: not when it could not be read, nor when it
// has no member and the target needs one.
inline bool Arrives(const ExportList& list, bool dropsEmptyLists) {
  return list.readable && !(dropsEmptyLists && list.members.empty());
}

// Every target, in the order the help names them.
std::span<const ExportTarget> ExportTargets();
// The target called `name`, or null.
const ExportTarget* FindExportTarget(std::string_view name);

void WriteThunderbird(const ExportFolder& folder, ExportContext& context);
void WriteLdap(const ExportFolder& folder, ExportContext& context);
void WriteVCard4(const ExportFolder& folder, ExportContext& context);
void WriteApple(const ExportFolder& folder, ExportContext& context);
void WriteGoogle(const ExportFolder& folder, ExportContext& context);
void WriteOutlook(const ExportFolder& folder, ExportContext& context);
void WriteMutt(const ExportFolder& folder, ExportContext& context);

}  // namespace exchange
