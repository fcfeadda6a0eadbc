// Serving a 1,000,000-line XOVER from the fixture news server to a plain
// socket reader over loopback: the reader only counts bytes until the
// terminating line, so the figure is the server's streaming rate.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "fixture_server/generated_source.h"
#include "fixture_server/server.h"

namespace {

using namespace orvel::fixture;

constexpr std::int64_t kHeaders = 1000000;

int connectTo(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  return fd;
}

// Reads until the text ends with "\r\n.\r\n" after the given number of CRLF
// lines at least; returns the byte count.
std::int64_t readReply(int fd, std::string& tail, bool multiLine) {
  static char buf[1 << 20];
  std::int64_t total = 0;
  tail.clear();
  while (true) {
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0) return -1;
    total += n;
    tail.append(buf + (n > 8 ? n - 8 : 0), buf + n);
    if (tail.size() > 8) tail.erase(0, tail.size() - 8);
    if (multiLine ? tail.ends_with("\r\n.\r\n") : tail.ends_with("\r\n")) return total;
  }
}

void BM_FixtureXoverMillion(benchmark::State& state) {
  auto server = std::make_unique<Server>(ServerConfig{});
  server->state().store.add("alt.bench", {},
                            std::make_unique<GeneratedSource>("fixture.invalid", "alt.bench", kHeaders, 1));
  server->listen("127.0.0.1", 0);
  ServerThread thread(std::move(server));
  int fd = connectTo(thread.port());
  std::string tail;
  readReply(fd, tail, false);  // greeting
  std::string group = "GROUP alt.bench\r\n";
  send(fd, group.data(), group.size(), 0);
  readReply(fd, tail, false);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    std::string command = "XOVER 1-" + std::to_string(kHeaders) + "\r\n";
    send(fd, command.data(), command.size(), 0);
    std::int64_t got = readReply(fd, tail, true);
    if (got < 0) {
      state.SkipWithError("connection ended");
      break;
    }
    bytes += got;
  }
  close(fd);
  state.SetBytesProcessed(bytes);
  state.counters["lines"] = benchmark::Counter(static_cast<double>(kHeaders) * state.iterations(),
                                               benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FixtureXoverMillion)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// The overview generator alone, without sockets: the ceiling of the above.
void BM_GeneratedOverviewLines(benchmark::State& state) {
  GeneratedSource source("fixture.invalid", "alt.bench", kHeaders, 1);
  std::string out;
  std::int64_t n = 1;
  std::int64_t bytes = 0;
  for (auto _ : state) {
    out.clear();
    for (int i = 0; i < 1000; ++i) {
      source.appendOverview(n, out);
      out += "\r\n";
      n = n % kHeaders + 1;
    }
    bytes += static_cast<std::int64_t>(out.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(bytes);
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_GeneratedOverviewLines);

}  // namespace
