// The few things a console program (quillmer-cli) needs from its process:
// its standard streams and the words of its command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The platform's text line end: CR LF on Windows, LF elsewhere.
extern const std::string_view kTextLineEnd;

// Puts standard output and standard error in binary mode, so that the bytes
// written are the bytes that arrive (no LF to CR LF rewriting on Windows).
void UseBinaryOutput();

// The words of the command line after the program's name, in UTF-8
// (NameForm::kUtf8 for the file layer): on Windows read as UTF-16
// (GetCommandLineW) and given as UTF-8, so that a folder or list named
// outside the ANSI code page arrives whole; elsewhere argv's bytes.
std::vector<std::string> CommandLineWords(int argc, char** argv);

}  // namespace platform
