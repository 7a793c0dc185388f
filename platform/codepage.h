// Text in one of the Windows code pages a mail folder's books may be written
// in, turned into UTF-8 by the platform's own converter: iconv on POSIX,
// MultiByteToWideChar and WideCharToMultiByte on Windows.
//
// Code pages: 1252 (Western, the default), 850 and 437 (DOS), 1250 (Central
// European). All are single-byte. A byte that the code page leaves undefined
// (1252: 0x81 0x8D 0x8F 0x90 0x9D; 1250: 0x81 0x83 0x88 0x90 0x98) becomes
// U+FFFD and is counted, the same on both platforms: iconv refuses these
// bytes, while Windows passes them through as the C1 controls U+0080 to
// U+009F, which no other byte of these code pages yields.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace platform {

// True for the code pages above.
bool IsSupportedCodePage(unsigned codePage);

// One conversion, set up once and used for many texts.
class CodePageConverter {
 public:
  // Sets up the conversion from `codePage`. When the system cannot convert
  // from it (not one of IsSupportedCodePage, not installed, the platform's
  // converter failing), the converter is not open and OpenFailure() says
  // why; it then writes every byte past ASCII as an undefined one.
  explicit CodePageConverter(unsigned codePage);
  ~CodePageConverter();
  CodePageConverter(const CodePageConverter&) = delete;
  CodePageConverter& operator=(const CodePageConverter&) = delete;

  bool IsOpen() const { return failure_.empty(); }
  // Why the converter did not open ("code page 1250 is not installed");
  // empty when it did.
  const std::string& OpenFailure() const { return failure_; }

  // Appends the UTF-8 form of `bytes` to `out`. Returns the number of bytes
  // the code page does not define, each written as U+FFFD.
  std::size_t AppendUtf8(std::string_view bytes, std::string& out) const;

 private:
  // What the platform's converter makes of `bytes`, as AppendUtf8 says: a
  // call into the system per text, so it is asked once per byte value, when
  // the converter is made, and its answers kept in the table below. nullopt
  // when the system's converter fails; failure_ says why.
  std::optional<std::size_t> ConvertWithPlatform(std::string_view bytes, std::string& out);
  // Fills the table; the last step of each platform's constructor. When
  // the converter did not open, every byte's entry is U+FFFD, undefined.
  void BuildTable();

  unsigned codePage_;
  std::string failure_;
  void* handle_ = nullptr;  // the iconv descriptor on POSIX
  // The UTF-8 of each byte from 0x80 up (at most 3 bytes; ASCII is itself),
  // and whether the code page leaves it undefined.
  struct Character {
    char utf8[3];
    unsigned char size;
    bool undefined;
  };
  Character high_[128] = {};
};

// UTF-8 text into one of the code pages above: the converter's own table
// read backwards, so that both directions agree byte for byte.
class CodePageEncoder {
 public:
  // `codePage` must be supported (IsSupportedCodePage).
  explicit CodePageEncoder(unsigned codePage);

  // `text` in the code page; a character it lacks becomes "?" and is
  // counted in `missing`.
  std::string Encode(std::string_view text, std::size_t& missing) const;

 private:
  std::unordered_map<std::string, char> bytes_;  // UTF-8 of a byte 0x80-0xFF
};

}  // namespace platform
