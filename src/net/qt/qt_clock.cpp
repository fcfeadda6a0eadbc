#include "net/qt/qt_clock.h"

#include <QObject>
#include <QTimer>

namespace orvel {

namespace {

class QtTimer final : public Timer {
 public:
  explicit QtTimer(std::function<void()> onTimeout) : onTimeout_(std::move(onTimeout)) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      // The callback may destroy this timer: run a copy.
      auto callback = onTimeout_;
      callback();
    });
  }

  void start(std::chrono::milliseconds interval, TimerMode mode) override {
    timer_.setSingleShot(mode == TimerMode::SingleShot);
    timer_.start(interval);
  }
  void stop() override { timer_.stop(); }
  bool isActive() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> onTimeout_;
};

}  // namespace

std::int64_t QtClock::tickMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Clock::WallTime QtClock::now() const { return std::chrono::system_clock::now(); }

std::unique_ptr<Timer> QtClock::createTimer(std::function<void()> onTimeout) {
  return std::make_unique<QtTimer>(std::move(onTimeout));
}

}  // namespace orvel
