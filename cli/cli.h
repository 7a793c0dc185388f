// quillmer-cli: the list expansion engine from the command line, no window.
//
//   quillmer-cli lists [FOLDER]                        file name TAB title, per list
//   quillmer-cli expand [--strip] [--sort] [FOLDER] LIST
//   quillmer-cli check [FOLDER]                        unknown names, exit 1 if any
//   quillmer-cli --help | --version
//
// `expand` writes exactly the bytes the window's output pane holds after the
// same buttons, CR LF included. The other commands' lines end in `lineEnd`
// (the platform's text line end). Errors: one line on `err`, exit status 2.
// The mail folder is only read; it becomes the current directory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUnknownNames = 1;  // `check` found entries nobody knows
inline constexpr int kExitError = 2;

// Runs one command line (`args` without the program name), appending what
// goes to standard output to `out` and to standard error to `err`. Returns
// the exit status.
int Run(const std::vector<std::string>& args, std::string_view lineEnd, std::string& out,
        std::string& err);

}  // namespace cli
