#pragma once
// Time for the logic: a monotonic millisecond tick for rates and elapsed
// times, the wall-clock time for dates, and one-shot or repeating timers. The
// Qt shell backs timers with the event loop; tests use a manual clock, so a
// 45-second time-out runs in microseconds and always the same way.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace orvel {

enum class TimerMode { SingleShot, Repeating };

class Timer {
 public:
  virtual ~Timer() = default;
  // (Re)starts the timer; a running timer restarts from now.
  virtual void start(std::chrono::milliseconds interval, TimerMode mode) = 0;
  virtual void stop() = 0;
  virtual bool isActive() const = 0;
};

class Clock {
 public:
  using WallTime = std::chrono::system_clock::time_point;

  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start, never going backwards.
  virtual std::int64_t tickMs() const = 0;
  virtual WallTime now() const = 0;
  // The callback runs on the logic's thread each time the timer fires. The
  // timer stops firing when destroyed.
  virtual std::unique_ptr<Timer> createTimer(std::function<void()> onTimeout) = 0;
};

}  // namespace orvel
