#include "cli/console.h"
#include "platform/files.h"

namespace cli {

const std::string_view kTextLineEnd = "\n";

// POSIX streams never rewrite bytes.
void UseBinaryOutput() {}

std::vector<std::string> CommandLineWords(int argc, char** argv) {
  platform::UseUtf8Names();
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  return words;
}

}  // namespace cli
