// Two pieces of one job at once, on this thread and one more: for the few
// jobs that are large enough to gain from a second processor (loading
// many address books, expanding a long list). The pieces must not share
// anything they write.
//
// Only the command line splits its jobs. The window keeps to its one
// thread: it never starts another, and reads one file at a time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <string>
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

// Makes the pieces 0 to count - 1 of one text two at once, in order: this
// thread the even ones, one more thread the odd ones. make(i, lane, text)
// makes piece i: on this thread (lane 0) straight into `out`, once every
// piece before it is there; on the other (lane 1) into an empty text of
// its own, which take(i, text) then hands on, on this thread, in its turn.
// The odd pieces wait in two texts, so that the other thread runs at most
// two pieces ahead. `make` on one lane must not touch what it touches on
// the other. An exception from either thread is thrown here once both are
// done; where no thread can be started, every piece is made here in turn.
template <typename Make, typename Take>
void MakeInOrder(std::size_t count, std::string& out, Make&& make, Take&& take) {
  std::mutex mutex;
  std::condition_variable changed;
  std::string held[2];  // piece i waits in held[i / 2 % 2]
  bool ready[2] = {false, false};
  bool stop = false;           // this thread has failed: the other one stops too
  bool failed = false;         // the other thread has failed
  std::exception_ptr failure;  // why
  const auto runOdd = [&] {
    try {
      for (std::size_t i = 1; i < count; i += 2) {
        const std::size_t slot = i / 2 % 2;
        {
          std::unique_lock<std::mutex> lock(mutex);
          changed.wait(lock, [&] { return !ready[slot] || stop; });
          if (stop) return;
        }
        held[slot].clear();
        make(i, std::size_t{1}, held[slot]);
        const std::lock_guard<std::mutex> lock(mutex);
        ready[slot] = true;
        changed.notify_all();
      }
    } catch (...) {
      const std::lock_guard<std::mutex> lock(mutex);
      failure = std::current_exception();
      failed = true;
      changed.notify_all();
    }
  };
  std::thread worker;
  if (count > 1) {
    try {
      worker = std::thread(runOdd);
    } catch (const std::system_error&) {
      // No thread: every piece is made here, in turn.
    }
  }
  if (!worker.joinable()) {
    for (std::size_t i = 0; i < count; ++i) make(i, std::size_t{0}, out);
    return;
  }
  try {
    for (std::size_t i = 0; i < count; ++i) {
      if (i % 2 == 0) {
        make(i, std::size_t{0}, out);
        continue;
      }
      const std::size_t slot = i / 2 % 2;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return ready[slot] || failed; });
        if (!ready[slot]) break;  // the other thread failed: its exception follows
      }
      take(i, held[slot]);
      const std::lock_guard<std::mutex> lock(mutex);
      ready[slot] = false;
      changed.notify_all();
    }
  } catch (...) {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      stop = true;
      changed.notify_all();
    }
    worker.join();
    throw;
  }
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace engine
