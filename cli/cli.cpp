#include "cli/cli.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "engine/address_book.h"
#include "engine/bytes.h"
#include "engine/expansion.h"
#include "engine/lines.h"
#include "engine/mailing_list.h"
#include "engine/output_options.h"
#include "platform/files.h"

#ifndef QUILLMER_VERSION
#define QUILLMER_VERSION "1.1"
#endif

namespace cli {

namespace {

constexpr std::string_view kProgram = "quillmer-cli";

constexpr std::string_view kHelp[] = {
    "Usage: quillmer-cli COMMAND [OPTIONS] [FOLDER] ...",
    "Shows the Pegasus Mail mailing lists (*.PML) of a mail folder with every name",
    "that the folder's address books (*.PMR) know followed by its address.",
    "",
    "Commands:",
    "  lists [FOLDER]          one line per mailing list: file name, TAB, title",
    "  expand [--strip] [--sort] [FOLDER] LIST",
    "                          the expansion of LIST exactly as the window shows it,",
    "                          lines ending in CR LF; LIST is a list's title or its",
    "                          file name ending in .PML; --strip (Strip Names) and",
    "                          --sort (Sort List) apply in the order given",
    "  check [FOLDER]          the entries of every list that no address book knows",
    "                          and that hold no \"@\": file name, TAB, title, TAB,",
    "                          line number, TAB, entry",
    "",
    "  --help                  show this text",
    "  --version               show the version",
    "",
    "FOLDER defaults to the current folder. Nothing is ever written to it.",
    "Exit status: 0 done; 1 check found entries nobody knows; 2 error.",
};

// What one command line asks for, once the options are sorted out.
struct Request {
  std::vector<std::string> positionals;
  std::vector<std::string> transforms;  // "--strip" / "--sort", in the order given
};

class Session {
 public:
  Session(std::string_view lineEnd, std::string& out, std::string& err)
      : lineEnd_(lineEnd), out_(out), err_(err) {}

  int Fail(std::string_view message) {
    err_ += kProgram;
    err_ += ": ";
    err_ += message;
    err_ += lineEnd_;
    return kExitError;
  }

  void Line(std::string_view text) {
    out_ += text;
    out_ += lineEnd_;
  }

  std::string& out() { return out_; }
  std::string_view lineEnd() const { return lineEnd_; }

 private:
  std::string_view lineEnd_;
  std::string& out_;
  std::string& err_;
};

std::string Quoted(std::string_view text) {
  std::string quoted = "'";
  quoted += text;
  quoted += "'";
  return quoted;
}

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// File names compare as Windows compares them: letters of either case match.
bool SameFileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool EndsWithPml(std::string_view name) {
  constexpr std::string_view kExtension = ".pml";
  return name.size() >= kExtension.size() &&
         SameFileName(name.substr(name.size() - kExtension.size()), kExtension);
}

// Sorts the command's words into options and positionals. Anything after
// "--" is positional, so a title may begin with a dash.
std::optional<Request> ParseWords(Session& session, const std::vector<std::string>& args,
                                  bool takesTransforms, int& status) {
  Request request;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (!optionsEnded && word == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && takesTransforms && (word == "--strip" || word == "--sort")) {
      request.transforms.push_back(word);
    } else if (!optionsEnded && word.size() > 1 && word.front() == '-') {
      status = session.Fail("unknown option " + Quoted(word) + " for " + args[0] +
                            "; try 'quillmer-cli --help'");
      return std::nullopt;
    } else {
      request.positionals.push_back(word);
    }
  }
  return request;
}

// Makes the mail folder current and loads its address books and catalogue,
// as the window does at start-up. Reports a folder that cannot be entered
// or listed, which the window would silently show as empty.
bool OpenFolder(Session& session, const std::optional<std::string>& folder, int& status) {
  // The Windows command line reads "C:\Mail\" as C:\Mail" (the backslash
  // escapes the closing quote); no folder name holds a quote there, so a
  // folder that is not found is tried once more without it.
  if (folder && !platform::MakeFolderCurrent(*folder) &&
      !(folder->size() > 1 && folder->back() == '"' &&
        platform::MakeFolderCurrent(folder->substr(0, folder->size() - 1)))) {
    status = session.Fail("cannot open folder " + Quoted(*folder));
    return false;
  }
  std::error_code error;
  std::filesystem::directory_iterator listing(".", error);
  if (error) {
    status = session.Fail("cannot read folder " + Quoted(folder ? *folder : std::string(".")));
    return false;
  }
  engine::CreateTables();
  const std::string current = platform::CurrentFolderPath();
  engine::LoadAddressBooks(current.empty() ? std::string(".") : current);
  engine::LoadListCatalogue();
  return true;
}

// The catalogue index of LIST: a file name ending in .PML names its file
// (letter case ignored); anything else, or a file name no list has, is
// taken as a title, the first list with that title winning.
std::size_t FindList(std::string_view list) {
  if (EndsWithPml(list)) {
    for (std::size_t k = 1; k < engine::ListFiles.size(); ++k) {
      if (SameFileName(engine::ListFiles[k], list)) return k;
    }
  }
  return engine::FindListByTitle(list);
}

std::optional<std::string> ReadList(Session& session, std::size_t k, int& status) {
  std::optional<std::string> bytes = platform::ReadWholeFileExclusive(engine::ListFiles[k]);
  if (!bytes) {
    status = session.Fail("cannot read mailing list file " + Quoted(engine::ListFiles[k]) +
                          " (missing, locked or not permitted)");
  }
  return bytes;
}

int Lists(Session& session, const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<Request> request = ParseWords(session, args, false, status);
  if (!request) return status;
  if (request->positionals.size() > 1) {
    return session.Fail("too many arguments for lists: " + Quoted(request->positionals[1]));
  }
  std::optional<std::string> folder;
  if (!request->positionals.empty()) folder = request->positionals[0];
  if (!OpenFolder(session, folder, status)) return status;
  for (std::size_t k = 1; k < engine::ListFiles.size() && k < engine::ListTitles.size(); ++k) {
    session.Line(engine::ListFiles[k] + "\t" + engine::ListTitles[k]);
  }
  return kExitOk;
}

int Expand(Session& session, const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<Request> request = ParseWords(session, args, true, status);
  if (!request) return status;
  const std::vector<std::string>& words = request->positionals;
  if (words.empty()) {
    return session.Fail("expand needs a LIST: a list's title or its file name ending in .PML");
  }
  if (words.size() > 2) return session.Fail("too many arguments for expand: " + Quoted(words[2]));
  std::optional<std::string> folder;
  if (words.size() == 2) folder = words[0];
  const std::string& list = words.back();
  // "expand FOLDER" forgot the LIST; say so rather than look for a list
  // titled like the folder's path.
  std::error_code error;
  const bool listIsFolder = !folder && std::filesystem::is_directory(list, error);
  if (!OpenFolder(session, folder, status)) return status;

  const std::size_t k = FindList(list);
  if (k == 0 && listIsFolder) {
    return session.Fail("expand needs a LIST after the folder " + Quoted(list) +
                        ": a list's title or its file name ending in .PML");
  }
  if (k == 0) {
    return session.Fail("no mailing list titled or named " + Quoted(list) + " in " +
                        Quoted(folder ? *folder : std::string(".")));
  }
  const std::optional<std::string> bytes = ReadList(session, k, status);
  if (!bytes) return status;
  std::string text = engine::ExpandListText(*bytes, engine::BookNameIndex(), engine::BookAddresses);
  // The window's buttons work on the pane's bytes as they stand, cut at
  // CR LF only; so do these, and the bytes come out the same.
  for (const std::string& transform : request->transforms) {
    text = transform == "--strip" ? engine::StripNames(text) : engine::SortList(text);
  }
  session.out() += text;
  return kExitOk;
}

int Check(Session& session, const std::vector<std::string>& args) {
  int status = kExitOk;
  const std::optional<Request> request = ParseWords(session, args, false, status);
  if (!request) return status;
  if (request->positionals.size() > 1) {
    return session.Fail("too many arguments for check: " + Quoted(request->positionals[1]));
  }
  std::optional<std::string> folder;
  if (!request->positionals.empty()) folder = request->positionals[0];
  if (!OpenFolder(session, folder, status)) return status;

  bool unknown = false;
  bool unreadable = false;
  for (std::size_t k = 1; k < engine::ListFiles.size() && k < engine::ListTitles.size(); ++k) {
    int readStatus = kExitOk;
    const std::optional<std::string> bytes = ReadList(session, k, readStatus);
    if (!bytes) {
      unreadable = true;
      continue;
    }
    // Line numbers count every line of the file, the title line included,
    // so they match what an editor shows.
    engine::LineReader reader(*bytes);
    std::string_view line;
    std::size_t number = 0;
    while (reader.Next(line)) {
      ++number;
      if (line.empty() || line.front() == '\\') continue;
      if (line.find('@') != std::string_view::npos) continue;
      if (engine::FindBookName(engine::UpperCase(line))) continue;
      unknown = true;
      std::string report = engine::ListFiles[k];
      report += '\t';
      report += engine::ListTitles[k];
      report += '\t';
      report += std::to_string(number);
      report += '\t';
      report += line;
      session.Line(report);
    }
  }
  if (unreadable) return kExitError;
  return unknown ? kExitUnknownNames : kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::string_view lineEnd, std::string& out,
        std::string& err) {
  Session session(lineEnd, out, err);
  for (const std::string& word : args) {
    if (word == "--") break;
    if (word == "--help" || word == "-h" || word == "/?") {
      for (const std::string_view line : kHelp) session.Line(line);
      return kExitOk;
    }
    if (word == "--version") {
      session.Line(std::string(kProgram) + " " + QUILLMER_VERSION);
      return kExitOk;
    }
  }
  if (args.empty()) return session.Fail("no command given; try 'quillmer-cli --help'");
  const std::string& command = args[0];
  if (command == "lists") return Lists(session, args);
  if (command == "expand") return Expand(session, args);
  if (command == "check") return Check(session, args);
  if (!command.empty() && command.front() == '-') {
    return session.Fail("unknown option " + Quoted(command) + "; try 'quillmer-cli --help'");
  }
  return session.Fail("unknown command " + Quoted(command) +
                      " (expected lists, expand or check); try 'quillmer-cli --help'");
}

}  // namespace cli
