#include "platform/console.h"

namespace platform {

const std::string_view kTextLineEnd = "\n";

// POSIX streams never rewrite bytes.
void UseBinaryOutput() {}

std::vector<std::string> CommandLineWords(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  return words;
}

}  // namespace platform
