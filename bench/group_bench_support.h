#pragma once
// Stand-ins for the group list benchmarks: a network whose one server the
// benchmark feeds by hand, a clock whose timers never fire, a prompter that
// answers yes, and a scratch base directory.

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/null_prompter.h"
#include "groups/group_list.h"
#include "net/connection_pool.h"
#include "net/transport.h"

namespace orvel::bench {

class FedTransport final : public Transport {
 public:
  void setHandler(TransportHandler* handler) override { handler_ = handler; }
  void connectTo(const std::string&, int, const TlsOptions&) override {}
  void send(std::string_view bytes) override { sent.append(bytes); }
  // The benchmarked news servers never offer STARTTLS.
  void startTls(const TlsOptions&) override {}
  void abort() override { connected_ = false; }
  bool isConnected() const override { return connected_; }

  void accept() {
    connected_ = true;
    handler_->onTransportConnected();
  }
  void receive(std::string_view bytes) { handler_->onTransportData(bytes); }

  std::string sent;

 private:
  TransportHandler* handler_ = nullptr;
  bool connected_ = false;
};

class FedNetwork final : public NetPlatform, public HostResolver {
 public:
  std::unique_ptr<Transport> createTransport() override {
    auto t = std::make_unique<FedTransport>();
    last = t.get();
    return t;
  }
  HostResolver& resolver() override { return *this; }
  RequestId lookup(const std::string&, Done) override { return 1; }
  void cancel(RequestId) override {}

  FedTransport* last = nullptr;
};

class StillClock final : public Clock {
 public:
  std::int64_t tickMs() const override { return 0; }
  WallTime now() const override { return WallTime(std::chrono::seconds(1'800'000'000)); }
  std::unique_ptr<Timer> createTimer(std::function<void()>) override {
    return std::make_unique<StillTimer>();
  }

 private:
  struct StillTimer final : Timer {
    void start(std::chrono::milliseconds, TimerMode) override { active = true; }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    bool active = false;
  };
};

struct YesPrompter final : NullPrompter {
  Button ask(std::string_view, Buttons, MessageKind, std::string_view) override {
    return Button::Yes;
  }
};

// A directory removed when the benchmark ends.
class ScratchDir {
 public:
  explicit ScratchDir(const char* name)
      : path_((std::filesystem::temp_directory_path() /
               (std::string(name) + "-" + std::to_string(::getpid())))
                  .string() +
              "/") {
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// A group list's surroundings: the fed network, the still clock, a pool, the
// host and a profile whose files live in a scratch directory.
struct GroupListBench {
  explicit GroupListBench(const char* dirName) : dir(dirName) {
    profile->alias = "bench";
    profile->host = "192.0.2.1";
    profile->newsrcPath = dir.file("bench.newsrc");
    options.serversIniPath = dir.file("servers.ini");
    options.updateCountInterval = 0;
  }

  std::unique_ptr<TGroupList> openList() {
    auto list = std::make_unique<TGroupList>(profile, pool, clock, prompter, host, options);
    list->OpenServer();
    return list;
  }

  ScratchDir dir;
  FedNetwork net;
  StillClock clock;
  YesPrompter prompter;
  ConnectionPool pool{net, clock, prompter};
  GroupListHost host;
  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
  GroupListOptions options;
};

}  // namespace orvel::bench
