// Byte-string helpers shared by the engine: letter case and CR LF lines.
//
// All text is raw 8-bit bytes in the system's ANSI code page; std::string may
// hold NULs. Nothing here depends on the locale.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The upper-casing the program uses for address-book names and list keys:
// a-z become A-Z, and seven letters of OEM code page 437 become their
// capitals (0x81->0x9A, 0x82->0x90, 0x84->0x8E, 0x86->0x8F, 0x87->0x80,
// 0x94->0x99, 0xA4->0xA5). Every other byte stays as it is.
char UpperCaseByte(char c);
std::string UpperCase(std::string_view text);

// The text cut at every CR LF pair. The part after the last CR LF is a
// segment too (empty when the text ends with CR LF); an empty text is one
// empty segment. A CR or LF outside a CR LF pair does not cut.
std::vector<std::string_view> SplitCrLfSegments(std::string_view text);

// Text whose lines a text control handed back with CR alone or LF alone
// rewritten so that every line break is CR LF; CR LF pairs stay.
std::string NormalizeLineBreaks(std::string_view text);

}  // namespace engine
