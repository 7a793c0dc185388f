#include "engine/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#if defined(__GLIBC__)
#include <pthread.h>
#endif

namespace {

struct Case {
  const char* what;
  bool firstThrows;
  bool secondThrows;
  std::string thrown;  // what() of the exception that comes out; empty for none
};

const Case kCases[] = {
    {"both throw", true, true, "first"},
    {"only the first throws", true, false, "first"},
    {"only the second throws", false, true, "second"},
    {"neither throws", false, false, ""},
};

// What one call of RunBoth did: when each piece started (1 or 2; 0 for
// not at all), the thread it ran on, and what came out of the call.
struct Outcome {
  int firstAt = 0;
  int secondAt = 0;
  std::thread::id firstOn;
  std::thread::id secondOn;
  std::string thrown;
};

Outcome RunCase(const Case& c) {
  Outcome run;
  std::atomic<int> started{0};
  try {
    engine::RunBoth(
        [&] {
          run.firstAt = ++started;
          run.firstOn = std::this_thread::get_id();
          if (c.firstThrows) throw std::runtime_error("first");
        },
        [&] {
          run.secondAt = ++started;
          run.secondOn = std::this_thread::get_id();
          if (c.secondThrows) throw std::runtime_error("second");
        });
  } catch (const std::runtime_error& e) {
    run.thrown = e.what();
  }
  return run;
}

// Both pieces always run, the second on a thread of its own; the first's
// exception wins over the second's.
TEST(RunBoth, RunsBothPiecesAndThrowsTheFirstsExceptionFirst) {
  for (const Case& c : kCases) {
    const Outcome run = RunCase(c);
    EXPECT_EQ(run.thrown, c.thrown) << c.what;
    EXPECT_NE(run.firstAt, 0) << c.what;
    EXPECT_NE(run.secondAt, 0) << c.what;
    EXPECT_EQ(run.firstOn, std::this_thread::get_id()) << c.what;
    EXPECT_NE(run.secondOn, std::this_thread::get_id()) << c.what;
  }
}

#if defined(__GLIBC__)
// Until destroyed, every thread started without attributes of its own (as
// std::thread starts them) asks for a stack larger than any address space,
// so none can start.
class NoThreadCanStart {
 public:
  NoThreadCanStart() {
    if (pthread_getattr_default_np(&before_) != 0) return;
    kept_ = true;
    pthread_attr_t huge;
    if (pthread_getattr_default_np(&huge) != 0) return;
    const std::size_t size = std::numeric_limits<std::size_t>::max() / 4 * 3;
    set_ = pthread_attr_setstacksize(&huge, size) == 0 && pthread_setattr_default_np(&huge) == 0;
    pthread_attr_destroy(&huge);
  }
  ~NoThreadCanStart() {
    if (set_) pthread_setattr_default_np(&before_);
    if (kept_) pthread_attr_destroy(&before_);
  }
  NoThreadCanStart(const NoThreadCanStart&) = delete;
  NoThreadCanStart& operator=(const NoThreadCanStart&) = delete;

  // Whether starting a thread now fails as it should.
  bool Holds() const {
    if (!set_) return false;
    try {
      std::thread([] {}).join();
      return false;
    } catch (const std::system_error&) {
      return true;
    }
  }

 private:
  pthread_attr_t before_{};
  bool kept_ = false;  // before_ holds the defaults as they were
  bool set_ = false;
};
#endif

// Without a second thread the pieces run here, first and then second, and
// the exceptions come out as they would with one.
TEST(RunBoth, WhereNoThreadCanStartRunsFirstThenSecondHere) {
#if defined(__GLIBC__)
  const NoThreadCanStart noThreads;
  if (!noThreads.Holds()) GTEST_SKIP() << "threads still start here";
  for (const Case& c : kCases) {
    const Outcome run = RunCase(c);
    EXPECT_EQ(run.thrown, c.thrown) << c.what;
    EXPECT_EQ(run.firstAt, 1) << c.what;
    EXPECT_EQ(run.secondAt, 2) << c.what;
    EXPECT_EQ(run.firstOn, std::this_thread::get_id()) << c.what;
    EXPECT_EQ(run.secondOn, std::this_thread::get_id()) << c.what;
  }
#else
  GTEST_SKIP() << "no way to keep threads from starting here";
#endif
}

}  // namespace
