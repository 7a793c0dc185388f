// quillmer-cli: the list expansion engine from the command line, no window.
//
//   quillmer-cli lists [FOLDER]                        file name TAB title, per list
//   quillmer-cli expand [--format text|to|csv] [--strip] [--sort] [FOLDER] LIST
//   quillmer-cli check [FOLDER]                        findings, exit 1 if any
//   quillmer-cli books [--format csv|vcard|ldif] [--codepage CP] [FOLDER]
//   quillmer-cli export --to TARGET [--codepage CP] [--base DN] [--report] [FOLDER]
//   quillmer-cli import --from SOURCE [--codepage CP] [--report] --into FOLDER FILE
//   quillmer-cli --help | COMMAND --help | --version
//
// `expand` writes exactly the bytes the window's output pane holds after the
// same buttons, CR LF included; `--format to` one line for a To field,
// `--format csv` entry,address rows. `books` exports every record of every
// address book in UTF-8 (CSV and vCard 3.0 with the CR LF line ends those
// formats prescribe, LDIF with LF). The other commands' lines end in `lineEnd`
// (the platform's text line end). Errors: one line on `err`, exit status 2.
// A book or list file that is there but cannot be read (another program
// holds it, or it is not permitted) is tried again for a while; if it still
// cannot be read, a line on `err` names it and why, the output is made from
// what could be read, and the exit status is 3. The mail folder is only
// read, except by `import`, which adds new files to its --into FOLDER and
// changes none; the current directory stays as it is.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFindings = 1;  // `check` found something
inline constexpr int kExitError = 2;
inline constexpr int kExitUnreadable = 3;  // a book or list could not be read

// How long, in all, the files of one run that cannot be read are tried
// again (every 50 ms) before they are reported: long enough for Pegasus
// Mail to finish saving a book, short enough for a script to wait.
inline constexpr std::chrono::milliseconds kRetryFor{2000};

struct RunOptions {
  // When set, standard output is handed on as it grows: a long export calls
  // `drain(out)` whenever `out` holds more than about a megabyte; `drain`
  // writes the bytes away and clears `out`. What is left at the end is the
  // caller's to write.
  std::function<void(std::string&)> drain;
  std::chrono::milliseconds retryFor = kRetryFor;
};

// Runs one command line (`args` without the program name), appending what
// goes to standard output to `out` and to standard error to `err`. Returns
// the exit status.
int Run(const std::vector<std::string>& args, std::string_view lineEnd, std::string& out,
        std::string& err, const RunOptions& options = {});

}  // namespace cli
