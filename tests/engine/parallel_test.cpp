#include "engine/parallel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
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

// MakeInOrder: the pieces of one text, made on two threads, come out in
// order, whichever thread was quicker; a failure on either thread comes out
// of the call once the other has stopped, and nothing hangs.
struct OrderCase {
  const char* what;
  std::size_t count;
  std::size_t throwsAt;  // the piece whose make throws; count: none
  std::size_t slowLane;  // the lane that takes its time (2: neither)
};

const OrderCase kOrderCases[] = {
    {"no piece", 0, 0, 2},
    {"one piece", 1, 1, 2},
    {"two pieces", 2, 2, 2},
    {"an odd count", 7, 7, 2},
    {"many pieces, this thread slow", 40, 40, 0},
    {"many pieces, the other thread slow", 40, 40, 1},
    {"a piece of this thread throws", 9, 4, 1},
    {"a piece of the other thread throws", 9, 5, 0},
    {"the first piece of the other thread throws", 2, 1, 2},
};

// What one call made: the pieces as they came out, which lane made each,
// and what was thrown.
struct OrderOutcome {
  std::string text;
  std::string lanes;
  std::string thrown;
};

OrderOutcome RunOrderCase(const OrderCase& c) {
  OrderOutcome run;
  std::string lanes[2];  // each lane's own record, read when both are done
  try {
    engine::MakeInOrder(
        c.count, run.text,
        [&](std::size_t i, std::size_t lane, std::string& text) {
          if (lane == c.slowLane) std::this_thread::sleep_for(std::chrono::milliseconds(2));
          if (i == c.throwsAt) throw std::runtime_error("piece " + std::to_string(i));
          text += "[" + std::to_string(i) + "]";
          lanes[lane] += std::to_string(i) + " ";
        },
        [&](std::size_t, std::string& text) { run.text += text; });
  } catch (const std::runtime_error& e) {
    run.thrown = e.what();
  }
  run.lanes = lanes[0] + "| " + lanes[1];
  return run;
}

TEST(MakeInOrder, ThePiecesComeOutInOrderAndFailuresComeOutOfTheCall) {
  for (const OrderCase& c : kOrderCases) {
    const OrderOutcome run = RunOrderCase(c);
    const std::size_t made = std::min(c.count, c.throwsAt);
    std::string expected;
    for (std::size_t i = 0; i < made; ++i) expected += "[" + std::to_string(i) + "]";
    if (c.throwsAt < c.count) {
      EXPECT_EQ(run.thrown, "piece " + std::to_string(c.throwsAt)) << c.what;
      // What came out is what was made before the failure, in order.
      EXPECT_EQ(run.text, expected.substr(0, run.text.size())) << c.what;
    } else {
      EXPECT_EQ(run.thrown, "") << c.what;
      EXPECT_EQ(run.text, expected) << c.what;
      // Even pieces on this thread, odd ones on the other, where there is one.
      std::string even;
      std::string odd;
      for (std::size_t i = 0; i < c.count; ++i)
        (i % 2 == 0 ? even : odd) += std::to_string(i) + " ";
      if (c.count > 1) {
        EXPECT_EQ(run.lanes, even + "| " + odd) << c.what;
      }
    }
  }
}

// Without a second thread every piece is made here, in order.
TEST(MakeInOrder, WhereNoThreadCanStartMakesEveryPieceHere) {
#if defined(__GLIBC__)
  const NoThreadCanStart noThreads;
  if (!noThreads.Holds()) GTEST_SKIP() << "threads still start here";
  for (const OrderCase& c : kOrderCases) {
    const OrderOutcome run = RunOrderCase(c);
    std::string expected;
    std::string lanes;
    for (std::size_t i = 0; i < std::min(c.count, c.throwsAt); ++i) {
      expected += "[" + std::to_string(i) + "]";
      lanes += std::to_string(i) + " ";
    }
    EXPECT_EQ(run.text, expected) << c.what;
    EXPECT_EQ(run.lanes, lanes + "| ") << c.what;
  }
#else
  GTEST_SKIP() << "no way to keep threads from starting here";
#endif
}

}  // namespace
