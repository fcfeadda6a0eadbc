#pragma once
// The logic's clock over Qt's event loop: timers are QTimers on the calling
// thread, ticks and wall time come from std::chrono.

#include "core/clock.h"

namespace orvel {

class QtClock final : public Clock {
 public:
  std::int64_t tickMs() const override;
  WallTime now() const override;
  std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) override;
};

}  // namespace orvel
