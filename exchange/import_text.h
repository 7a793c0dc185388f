// What the import readers share: the file's bytes made UTF-8 text, its
// lines counted as a message counts them, base64, and the small text rules
// every reader applies. Pure.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "exchange/import_model.h"

namespace exchange::importtext {

// The file as text: UTF-16 with its byte order mark (or, without one, when
// its first two bytes are one ASCII character in UTF-16) made UTF-8; a
// UTF-8 byte order mark dropped; cut at the first 0x1A (DOS's end of text).
// Bytes that are neither are kept as they are, for the reader to judge.
std::string FileText(std::string_view bytes);

// A fault at the first NUL byte of `text`, if there is one: such a file is
// not text, or UTF-16 without its byte order mark.
std::optional<InputFault> NulFault(std::string_view text);

// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

// `bytes` as UTF-8: as they are when they are UTF-8, else read in the
// Windows code page `ansiCodePage` (1250; anything else is 1252).
std::string AsUtf8(std::string_view bytes, unsigned ansiCodePage);
// `bytes` read in a single-byte code page the readers know by name
// (ISO-8859-1 and Windows' code pages); empty optional for another.
std::optional<std::string> FromCharset(std::string_view bytes, std::string_view charset);

// The line (from 1) that holds byte `offset` of `text`: lines end at LF,
// CR LF or a CR alone.
std::size_t LineOf(std::string_view text, std::size_t offset);

// Cuts `text` into lines as LineOf counts them, one at a time.
class Lines {
 public:
  explicit Lines(std::string_view text) : rest_(text) {}
  // The next line without its end, and its number; false after the last.
  bool Next(std::string_view& line);
  std::size_t number() const { return number_; }

 private:
  std::string_view rest_;
  std::size_t number_ = 0;
  bool done_ = false;
};

// RFC 4648 base64 (blanks and line breaks ignored, padding optional);
// nothing when a byte is not of the alphabet.
std::optional<std::string> Base64(std::string_view text);

// `text` without blanks, TABs and line breaks at either end.
std::string_view Trim(std::string_view text);
// The parts that are not empty, joined by `separator`.
std::string JoinParts(std::initializer_list<std::string_view> parts, std::string_view separator);
// Whether a and b are equal ignoring the case of ASCII letters.
bool SameWord(std::string_view a, std::string_view b);
// `text` without NUL bytes (a decoded value may hold some; a book's field
// ends at its first).
std::string WithoutNuls(std::string text);

// A fault at `line` saying `what`.
inline ImportRead Fault(std::size_t line, std::string what) {
  ImportRead read;
  read.fault = InputFault{line, std::move(what)};
  return read;
}

}  // namespace exchange::importtext
