// Two pieces of one job at once, on this thread and one more: for the few
// jobs that are large enough to gain from a second processor (loading
// many address books, expanding a long list). The pieces must not share
// anything they write.
//
// Only the command line splits its jobs. The window keeps to its one
// thread: it never starts another, and reads one file at a time.
#pragma once

#include <exception>
#include <system_error>
#include <thread>
#include <utility>

namespace engine {

// Whether a job may be cut in two and its halves run at once: never (the
// default, and the window's way), where the machine has a second processor
// and the job is large enough to gain (the command line's), or always
// (for the tests that prove the halves give the same result).
enum class Split { kNever, kWhenWorthIt, kAlways };

// Whether the machine has a second processor to share work with.
bool HasSecondProcessor();

// Runs `second` on a thread of its own and `first` on this one, and
// returns when both are done. An exception from either is thrown here
// once both are done (the first's when both throw). Where no thread can be
// started, runs `first` and then `second` on this thread.
template <typename First, typename Second>
void RunBoth(First&& first, Second&& second) {
  std::exception_ptr secondFailure;
  const auto runSecond = [&] {
    try {
      second();
    } catch (...) {
      secondFailure = std::current_exception();
    }
  };
  std::thread worker;
  try {
    worker = std::thread(runSecond);
  } catch (const std::system_error&) {
    // No thread: `second` runs here once `first` is done, whatever `first`
    // throws, as it would have on its own thread.
  }
  std::exception_ptr firstFailure;
  try {
    first();
  } catch (...) {
    firstFailure = std::current_exception();
  }
  if (worker.joinable()) {
    worker.join();
  } else {
    runSecond();
  }
  if (firstFailure) std::rethrow_exception(firstFailure);
  if (secondFailure) std::rethrow_exception(secondFailure);
}

}  // namespace engine
