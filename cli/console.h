// The few things the command-line program needs from its console streams.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The platform's text line end: CR LF on Windows, LF elsewhere.
extern const std::string_view kTextLineEnd;

// Puts standard output and standard error in binary mode, so that the bytes
// written are the bytes that arrive (no LF to CR LF rewriting on Windows).
void UseBinaryOutput();

// The words of the command line after the program's name, with the file
// layer switched to UTF-8 names (platform::UseUtf8Names): on Windows read as
// UTF-16 (GetCommandLineW) and given as UTF-8, so that a folder or list
// named outside the ANSI code page arrives whole; elsewhere argv's bytes.
std::vector<std::string> CommandLineWords(int argc, char** argv);

}  // namespace cli
