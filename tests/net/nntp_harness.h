#pragma once
// One NNTP connection over the fake network and the manual clock, with every
// owner event written to a log as text ("banner", "error 502 502 no"), so a
// test states a whole exchange as lines sent and events seen.

#include <memory>
#include <string>
#include <vector>

#include "net/nntp_data.h"
#include "net/tnntp.h"
#include "support/fake_network.h"
#include "support/manual_clock.h"

namespace orvel::test {

inline std::shared_ptr<TProfile> makeProfile(std::string host = "192.0.2.1", int port = 0,
                                             std::string user = {}, std::string password = {}) {
  auto p = std::make_shared<TProfile>();
  p->alias = "test";
  p->extensions = false;  // scripted exchanges play the plain login
  p->host = std::move(host);
  p->port = port;
  p->userName = std::move(user);
  p->password = std::move(password);
  return p;
}

// Writes every event of a connection to a log. Data events consume whole
// lines with ReadDataLines and log them as "line TEXT"; the terminator logs
// "end".
inline void logEvents(TNNTP& c, std::vector<std::string>& log) {
  c.OnConnected = [&log](TNNTP&) { log.push_back("connected"); };
  c.OnBanner = [&log](TNNTP&) { log.push_back("banner"); };
  c.OnPasswordWanted = [&log](TNNTP&) { log.push_back("password wanted"); };
  c.OnGroup = [&log](TNNTP& n) {
    log.push_back("group " + n.currentGroup() + " " + std::to_string(n.count()) + " " +
                  std::to_string(n.first()) + " " + std::to_string(n.last()));
  };
  c.OnDataBegin = [&log](TNNTP&) { log.push_back("databegin"); };
  c.OnData = [&log](TNNTP& n) {
    const bool ended = ReadDataLines(n, [&log](std::string_view line) {
      log.push_back("line " + std::string(line));
    });
    if (ended) log.push_back("end");
  };
  c.OnBeginPost = [&log](TNNTP&) { log.push_back("beginpost"); };
  c.OnEndPost = [&log](TNNTP&) { log.push_back("endpost"); };
  c.OnStat = [&log](TNNTP& n) { log.push_back(n.statFound() ? "stat found" : "stat missing"); };
  c.OnQuit = [&log](TNNTP&) { log.push_back("quit"); };
  c.OnDisconnected = [&log](TNNTP&) { log.push_back("disconnected"); };
  c.OnError = [&log](TNNTP&, int code, const std::string& text) {
    log.push_back("error " + std::to_string(code) + " " + text);
  };
}

struct NNTPHarness {
  FakeNetwork net;
  ManualClock clock;
  std::shared_ptr<TProfile> profile = makeProfile();
  std::unique_ptr<TNNTP> conn;
  std::vector<std::string> log;

  explicit NNTPHarness(NNTPOptions options = {}) {
    conn = std::make_unique<TNNTP>(net, clock, nullptr, options);
    conn->setProfile(profile);
    logEvents(*conn, log);
  }

  FakeTransport& transport() { return net.last(); }

  // Connects to a numeric host and answers the greeting and MODE READER.
  void connectReady(const std::string& greeting = "200 news ready") {
    conn->Connect();
    transport().accept();
    transport().receive(greeting + "\r\n");
    transport().receive("200 reader\r\n");
    transport().takeSent();
    log.clear();
  }

  std::vector<std::string> takeLog() { return std::exchange(log, {}); }
};

}  // namespace orvel::test
