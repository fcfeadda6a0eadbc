#pragma once
// A network and a clock that a fuzz input drives: connections that connect,
// close and deliver bytes only when the input says so, and timers that fire
// only when it says so.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "net/transport.h"

namespace orvel::fuzz {

class FuzzTransport final : public Transport {
 public:
  void setHandler(TransportHandler* h) override { handler = h; }
  void connectTo(const std::string&, int, const TlsOptions&) override { connecting = true; }
  void send(std::string_view bytes) override { sent += bytes.size(); }
  void startTls(const TlsOptions&) override { handshaking = true; }
  void abort() override { connecting = connected = handshaking = false; }
  bool isConnected() const override { return connected; }

  TransportHandler* handler = nullptr;
  bool connecting = false;
  bool connected = false;
  bool handshaking = false;  // the input says when the handshake ends
  std::size_t sent = 0;
};

class FuzzNetwork final : public NetPlatform, public HostResolver {
 public:
  std::unique_ptr<Transport> createTransport() override {
    auto t = std::make_unique<FuzzTransport>();
    transports.push_back(t.get());
    return t;
  }
  HostResolver& resolver() override { return *this; }
  RequestId lookup(const std::string&, Done) override { return 1; }
  void cancel(RequestId) override {}

  // The newest connection; callers never free one before the end of a run.
  FuzzTransport* last() const { return transports.empty() ? nullptr : transports.back(); }
  std::vector<FuzzTransport*> transports;
};

class FuzzClock final : public Clock {
 public:
  class FuzzTimer final : public Timer {
   public:
    FuzzTimer(FuzzClock& c, std::function<void()> f) : clock(c), fire(std::move(f)) {
      clock.timers.push_back(this);
    }
    ~FuzzTimer() override { std::erase(clock.timers, this); }
    void start(std::chrono::milliseconds, TimerMode m) override {
      active = true;
      repeating = m == TimerMode::Repeating;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    FuzzClock& clock;
    std::function<void()> fire;
    bool active = false;
    bool repeating = false;
  };

  std::int64_t tickMs() const override { return tick; }
  WallTime now() const override { return WallTime(std::chrono::seconds(1'800'000'000)); }
  std::unique_ptr<Timer> createTimer(std::function<void()> f) override {
    return std::make_unique<FuzzTimer>(*this, std::move(f));
  }

  // A second passes and one of the active timers (chosen by which) fires.
  void fire(unsigned which) {
    tick += 1000;
    std::vector<FuzzTimer*> active;
    for (FuzzTimer* t : timers) {
      if (t->active) active.push_back(t);
    }
    if (active.empty()) return;
    FuzzTimer* t = active[which % active.size()];
    if (!t->repeating) t->active = false;
    auto f = t->fire;  // the timer may be destroyed by its own action
    f();
  }

  std::int64_t tick = 0;
  std::vector<FuzzTimer*> timers;
};

}  // namespace orvel::fuzz
