// quillmer_hold_file FILE HELD-SIGNAL RELEASE-SIGNAL
// Another program holding a file without sharing, as a mail program does
// while it saves a book: takes FILE (ExclusiveHold), writes HELD-SIGNAL,
// and lets go once RELEASE-SIGNAL exists (after 120 seconds at the latest).
// Exit status 0, or 1 when the file could not be taken.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/exclusive_hold.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: quillmer_hold_file FILE HELD-SIGNAL RELEASE-SIGNAL\n");
    return 2;
  }
  const testsupport::ExclusiveHold hold(argv[1]);
  if (!hold.Held()) {
    std::fprintf(stderr, "quillmer_hold_file: cannot take %s\n", argv[1]);
    return 1;
  }
  std::ofstream(argv[2]) << "held\n";
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds{120};
  while (!std::filesystem::exists(argv[3]) && std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds{20});
  }
  return 0;
}
