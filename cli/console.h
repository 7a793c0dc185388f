// The few things the command-line program needs from its console streams.
#pragma once

#include <string_view>

namespace cli {

// The platform's text line end: CR LF on Windows, LF elsewhere.
extern const std::string_view kTextLineEnd;

// Puts standard output and standard error in binary mode, so that the bytes
// written are the bytes that arrive (no LF to CR LF rewriting on Windows).
void UseBinaryOutput();

}  // namespace cli
