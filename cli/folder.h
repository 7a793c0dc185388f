// The mail folder a command works on: the engine's MailFolder, read as the
// window reads it at start-up, with what the command line adds (lists named
// by file name, failures said on standard error, files that cannot be read
// tried again for the session's time). The folder is only read; the current
// directory stays as it is.
//
// The one place of the command line that asks the engine for a folder: the
// commands ask a Folder.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/options.h"
#include "cli/result.h"
#include "cli/session.h"
#include "engine/mail_folder.h"
#include "platform/files.h"

namespace cli {

class Folder {
 public:
  struct List {
    std::string_view file;  // its bare file name
    std::string_view title;
  };

  // Opens `path`, the current folder when there is none. A folder that
  // cannot be entered or listed fails (the window would show it empty).
  // `parts` says what is read beyond the listing: a command that works
  // without the records (RecordCount() is then 0) opens no book.
  static Result<Folder> Open(Session& session, const std::optional<std::string>& path,
                             const engine::OpenOptions& parts = {});

  // Opens the folder a command names as its only positional word, or the
  // current folder when it names none; a second word fails.
  static Result<Folder> OpenNamed(Session& session, const Request& request,
                                  const engine::OpenOptions& parts = {});

  // The mailing lists, 0 to ListCount() - 1, in the folder's own order.
  std::size_t ListCount() const;
  List ListAt(std::size_t i) const;

  // The list LIST names: a file name ending in .PML names its file (letter
  // case ignored); anything else, or a file name no list has, is taken as a
  // title, the first list with that title winning.
  std::optional<std::size_t> FindList(std::string_view list) const;

  // The bytes of list `i`, read for exclusive use; nullopt when it cannot
  // be read, and `why` says why.
  std::optional<std::string> ReadList(std::size_t i, platform::FileFailure& why) const;

  // The books and lists that could not be read when the folder was opened.
  const std::vector<engine::UnreadableFile>& Unreadable() const;
  // Names each of those books (`books`) or lists on standard error:
  // kExitUnreadable when there was one, else kExitOk.
  int NoteUnreadable(Session& session, bool books) const;

  // The records of every address book, 0 to RecordCount() - 1: books in the
  // folder's order, records first to last. Names are upper-cased.
  std::size_t RecordCount() const;
  std::string_view RecordName(std::size_t k) const;
  std::string_view RecordAddress(std::size_t k) const;

  // The first record with the name `entry` (letter case as the books
  // compare names).
  std::optional<std::size_t> FindRecord(std::string_view entry) const;

  // What the window's output pane shows for a list file of these bytes.
  std::string ExpandList(std::string_view listBytes) const;

  // The address book files, in the folder's order, and the bytes of one,
  // read for exclusive use (nullopt when it cannot be read, and `why` says
  // why).
  const std::vector<std::string>& BookFiles() const;
  bool ReadBook(const std::string& file, engine::WholeFile& content,
                platform::FileFailure& why) const;

  // The folder as the engine read it, and how long its files are tried
  // again, for the code below the command line: the engine's rules of
  // entries (entry_reach.h, list_check.h), the export's model, the import's
  // lookups.
  const engine::MailFolder& Contents() const { return *folder_; }
  const engine::RetryDeadline& Retry() const { return retry_; }

 private:
  Folder(std::shared_ptr<const engine::MailFolder> folder, engine::RetryDeadline retry)
      : folder_(std::move(folder)), retry_(retry) {}
  std::shared_ptr<const engine::MailFolder> folder_;
  // Set when the folder was opened: reads after the opening try again only
  // as long as the opening's own reads would have.
  engine::RetryDeadline retry_;
};

// Why a file could not be read, as messages and check's findings say it:
// "held by another program", "not permitted", "read failed"...
std::string_view FailureText(platform::FileFailure why);

// "cannot read address book 'FILE' (why)" or "cannot read mailing list file
// 'FILE' (why)".
std::string CannotRead(const engine::UnreadableFile& file);

}  // namespace cli
