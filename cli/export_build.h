// The export's model made from a folder the command line opened
// (exchange/export_model.h says what it holds).
#pragma once

#include "cli/folder.h"
#include "cli/result.h"
#include "cli/session.h"
#include "exchange/export_model.h"
#include "platform/codepage.h"

namespace cli {

// Reads every book and list of `folder`. Fails when the books no longer
// hold what the folder was opened with.
Result<exchange::ExportFolder> BuildExport(Session& session, const Folder& folder,
                                           platform::CodePageConverter& converter,
                                           const exchange::ExportRules& rules);

}  // namespace cli
