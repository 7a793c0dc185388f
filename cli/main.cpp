// quillmer-cli: lists, expands and checks Pegasus Mail mailing lists.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "platform/console.h"

namespace {

bool WriteAll(std::FILE* stream, const std::string& bytes) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size()) {
    return false;
  }
  return std::fflush(stream) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  platform::UseBinaryOutput();
  const std::vector<std::string> args = platform::CommandLineWords(argc, argv);
  std::string out;
  std::string err;
  bool written = true;
  const auto drain = [&](std::string& bytes) {
    written = WriteAll(stdout, bytes) && written;
    bytes.clear();
  };
  int status = cli::Run(args, platform::kTextLineEnd, out, err, {.drain = drain});
  // A full disk or a closed pipe must not pass for success.
  if (!WriteAll(stdout, out) || !written) {
    err += "quillmer-cli: cannot write to standard output";
    err += platform::kTextLineEnd;
    status = cli::kExitError;
  }
  WriteAll(stderr, err);
  return status;
}
