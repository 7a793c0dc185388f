#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <climits>
#include <cstdio>
#include <cwchar>

#include "platform/console.h"

namespace platform {

const std::string_view kTextLineEnd = "\r\n";

void UseBinaryOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::vector<std::string> CommandLineWords(int, char**) {
  std::vector<std::string> words;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return words;
  for (int i = 1; i < count; ++i) {
    std::string word;
    const std::size_t size = std::wcslen(wide[i]);
    if (size > 0 && size < INT_MAX / 4) {
      const int units = static_cast<int>(size);
      const int length =
          WideCharToMultiByte(CP_UTF8, 0, wide[i], units, nullptr, 0, nullptr, nullptr);
      word.resize(static_cast<std::size_t>(length > 0 ? length : 0));
      WideCharToMultiByte(CP_UTF8, 0, wide[i], units, word.data(), length, nullptr, nullptr);
    }
    words.push_back(std::move(word));
  }
  LocalFree(wide);
  return words;
}

}  // namespace platform
