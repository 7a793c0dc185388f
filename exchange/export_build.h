// The export's model (export_model.h) made from a mail folder, every book
// read once.
#pragma once

#include <functional>

#include "engine/folder_contents.h"
#include "engine/mail_folder.h"
#include "engine/parallel.h"
#include "exchange/export_model.h"
#include "platform/codepage.h"

namespace exchange {

// What the build is told besides the folder.
struct ExportSource {
  // The folder as opened; it need not hold its books' records
  // (engine::OpenOptions::bookRecords false spares reading them twice):
  // the build reads every book itself, once, and looks the lists' entries
  // up in an index it makes from those same bytes.
  const engine::MailFolder& folder;
  // How long a book or list that cannot be read is tried again.
  const engine::RetryDeadline& retry;
  // From the books' code page to UTF-8.
  const platform::CodePageConverter& converter;
  // Told of every book or list that still cannot be read; it is left out
  // and the result says unreadable.
  std::function<void(const engine::UnreadableFile&)> unreadable;
  // Whether the books may be read as two runs at once (the command line's
  // way; the window keeps to one thread).
  engine::Split split = engine::Split::kNever;
};

ExportFolder BuildExport(const ExportSource& source, const ExportRules& rules);

}  // namespace exchange
