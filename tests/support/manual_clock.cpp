#include "support/manual_clock.h"

#include <limits>

namespace orvel::test {

class ManualClock::ManualTimer final : public Timer {
 public:
  ManualTimer(ManualClock& clock, std::function<void()> onTimeout)
      : clock_(&clock), onTimeout_(std::move(onTimeout)) {
    clock_->timers_[this] = true;
  }
  ~ManualTimer() override {
    if (clock_) clock_->timers_.erase(this);
  }

  void start(std::chrono::milliseconds interval, TimerMode mode) override {
    interval_ = interval.count();
    repeating_ = mode == TimerMode::Repeating;
    due_ = clock_->tick_ + interval_;
    order_ = clock_->nextOrder_++;
    active_ = true;
  }
  void stop() override { active_ = false; }
  bool isActive() const override { return active_; }

  void fire() {
    if (repeating_) {
      due_ += interval_ > 0 ? interval_ : 1;
      order_ = clock_->nextOrder_++;
    } else {
      active_ = false;
    }
    // The callback may destroy this timer: run a copy.
    auto callback = onTimeout_;
    callback();
  }

  ManualClock* clock_;
  std::function<void()> onTimeout_;
  std::int64_t interval_ = 0;
  std::int64_t due_ = 0;
  std::uint64_t order_ = 0;
  bool repeating_ = false;
  bool active_ = false;
};

ManualClock::ManualClock(WallTime start) : wallStart_(start) {}

ManualClock::~ManualClock() {
  for (auto& [timer, unused] : timers_) timer->clock_ = nullptr;
}

std::unique_ptr<Timer> ManualClock::createTimer(std::function<void()> onTimeout) {
  return std::make_unique<ManualTimer>(*this, std::move(onTimeout));
}

namespace {

template <typename Map>
auto earliestActive(const Map& timers) {
  typename Map::key_type best = nullptr;
  for (const auto& [timer, unused] : timers) {
    if (!timer->active_) continue;
    if (!best || timer->due_ < best->due_ ||
        (timer->due_ == best->due_ && timer->order_ < best->order_)) {
      best = timer;
    }
  }
  return best;
}

}  // namespace

void ManualClock::advance(std::int64_t ms) {
  const std::int64_t end = tick_ + ms;
  for (;;) {
    ManualTimer* next = earliestActive(timers_);
    if (!next || next->due_ > end) break;
    if (next->due_ > tick_) tick_ = next->due_;
    next->fire();
  }
  tick_ = end;
}

bool ManualClock::fireNext() {
  ManualTimer* next = earliestActive(timers_);
  if (!next) return false;
  if (next->due_ > tick_) tick_ = next->due_;
  next->fire();
  return true;
}

int ManualClock::activeTimers() const {
  int n = 0;
  for (const auto& [timer, unused] : timers_) n += timer->active_ ? 1 : 0;
  return n;
}

}  // namespace orvel::test
