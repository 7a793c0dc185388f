// quillmer-cli run in process, as the command line runs it, with what it
// wrote to either stream and its exit status.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace clitest {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Files that cannot be read are not waited for unless a test says so.
inline Outcome Cli(const std::vector<std::string>& args,
                   std::chrono::milliseconds retryFor = std::chrono::milliseconds{0}) {
  Outcome o;
  o.status = cli::Run(args, "\n", o.out, o.err, {.drain = {}, .retryFor = retryFor});
  return o;
}

}  // namespace clitest
