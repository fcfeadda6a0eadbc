// The manual clock drives every time-out test, so its order rules are checked.
#include "support/manual_clock.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel::test {
namespace {

TEST(ManualClock, FiresDueTimersInTimeOrderAtTheirDueTime) {
  ManualClock clock;
  std::string log;
  auto a = clock.createTimer([&] { log += "a@" + std::to_string(clock.tickMs()) + " "; });
  auto b = clock.createTimer([&] { log += "b@" + std::to_string(clock.tickMs()) + " "; });
  a->start(std::chrono::milliseconds(300), TimerMode::SingleShot);
  b->start(std::chrono::milliseconds(100), TimerMode::Repeating);
  clock.advance(350);
  EXPECT_EQ(log, "b@100 b@200 a@300 b@300 ");
  EXPECT_EQ(clock.tickMs(), 350);
  EXPECT_FALSE(a->isActive());
  EXPECT_TRUE(b->isActive());
}

TEST(ManualClock, RestartStopAndDestroyInsideACallback) {
  ManualClock clock;
  int fired = 0;
  std::unique_ptr<Timer> t;
  t = clock.createTimer([&] {
    ++fired;
    t.reset();  // the owner drops the timer from its own callback
  });
  t->start(std::chrono::milliseconds(50), TimerMode::Repeating);
  clock.advance(40);
  t->start(std::chrono::milliseconds(50), TimerMode::Repeating);  // restarts from now
  clock.advance(40);
  EXPECT_EQ(fired, 0);
  clock.advance(20);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(clock.activeTimers(), 0);

  auto s = clock.createTimer([&] { ++fired; });
  s->start(std::chrono::milliseconds(10), TimerMode::SingleShot);
  s->stop();
  EXPECT_FALSE(clock.fireNext());
  s->start(std::chrono::milliseconds(45000), TimerMode::SingleShot);
  EXPECT_TRUE(clock.fireNext());
  EXPECT_EQ(fired, 2);
  EXPECT_EQ(clock.tickMs(), 100 + 45000);
}

}  // namespace
}  // namespace orvel::test
