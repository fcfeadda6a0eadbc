#pragma once
// A clock that moves only when the test says so. advance() fires every timer
// that falls due, in time order, each at its own due time.

#include <cstdint>
#include <map>
#include <memory>

#include "core/clock.h"

namespace orvel::test {

class ManualClock final : public Clock {
 public:
  explicit ManualClock(WallTime start = WallTime(std::chrono::seconds(1'800'000'000)));
  ~ManualClock() override;

  std::int64_t tickMs() const override { return tick_; }
  WallTime now() const override { return wallStart_ + std::chrono::milliseconds(tick_); }
  std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;

  // Moves time forward by ms, firing due timers on the way.
  void advance(std::int64_t ms);
  // Fires the next due timer, however far away; false when none is active.
  bool fireNext();
  int activeTimers() const;

 private:
  class ManualTimer;
  friend class ManualTimer;

  std::int64_t tick_ = 0;
  WallTime wallStart_;
  std::uint64_t nextOrder_ = 0;
  std::map<ManualTimer*, bool> timers_;
};

}  // namespace orvel::test
