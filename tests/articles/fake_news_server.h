#pragma once
// A news server played over the fake network: every transport the client
// opens is accepted and greeted, and every command line it sends is answered
// from a table of groups (overview lines made up from the number). A test
// steers it per command with a hook that may answer something else, answer
// nothing (a stall), or break the connection, and reads the commands sent.
// pump() answers until the client sends nothing more.

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/text.h"
#include "support/fake_network.h"

namespace orvel::test {

struct FakeGroup {
  std::int32_t low = 1;
  std::int32_t high = 0;
  std::int32_t count = -1;         // -1: high - low + 1
  std::set<std::int32_t> missing;  // numbers the server does not have
  std::string subjectPrefix = "Subject";
};

inline FakeGroup MakeGroup(std::int32_t low, std::int32_t high) {
  FakeGroup g;
  g.low = low;
  g.high = high;
  return g;
}

// The overview line of a made-up article (no line end), dated an hour before
// the manual clock's start so that no store expires it.
inline std::string FakeOverviewLine(const std::string& group, std::int32_t n,
                                    const std::string& subjectPrefix = "Subject") {
  return std::to_string(n) + "\t" + subjectPrefix + " " + std::to_string(n) +
         "\tPoster <poster@example.invalid>\tFri, 15 Jan 2027 07:00:00 +0000\t<" +
         std::to_string(n) + "." + group + "@example.invalid>\t\t" + std::to_string(1000 + n) +
         "\t10\tXref: fake.invalid " + group + ":" + std::to_string(n);
}

class FakeNewsServer {
 public:
  // What a hook does with a command.
  struct Action {
    enum Kind { Default, Reply, Silence, Reset, Close } kind = Default;
    std::string reply;  // Reply: bytes sent as they are
    static Action Answer(std::string bytes) { return {Reply, std::move(bytes)}; }
  };
  using Hook = std::function<Action(FakeTransport&, const std::string& line)>;

  // A hook that meets the commands starting with one of the prefixes with
  // kind and answers the others as usual.
  static Hook On(std::vector<std::string> prefixes, Action::Kind kind) {
    return [prefixes = std::move(prefixes), kind](FakeTransport&, const std::string& line) {
      for (const auto& p : prefixes) {
        if (line.rfind(p, 0) == 0) return Action{kind, {}};
      }
      return Action{};
    };
  }

  explicit FakeNewsServer(FakeNetwork& net) : net_(net) {}

  std::map<std::string, FakeGroup> groups;
  std::map<std::string, std::string> headers;  // XHDR values: "name:number" -> value
  std::string greeting = "200 fake.invalid ready";
  Hook hook;
  std::vector<std::string> commands;  // every command line received, in order
  // The CAPABILITIES list; empty: the command is unknown (an older server).
  std::vector<std::string> capabilities;
  // The most command lines that arrived together (pipelined).
  std::size_t largestBatch = 0;

  // Commands received that start with a prefix.
  std::vector<std::string> commandsStarting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& c : commands) {
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    }
    return out;
  }

  // Answers until the client is quiet. Returns the number of commands answered.
  int pump() {
    int answered = 0;
    for (bool progress = true; progress;) {
      progress = false;
      for (std::size_t i = 0; i < net_.transports().size(); ++i) {
        FakeTransport* t = net_.transports()[i];
        if (t->connecting()) {
          if (!t->accept()) {
            progress = true;
            break;
          }
          if (t->isConnected() && !t->receive(greeting + "\r\n")) {
            progress = true;
            break;
          }
          progress = true;
        }
        if (!t->isConnected()) continue;
        const std::vector<std::string> lines = t->takeSentLines();
        largestBatch = std::max(largestBatch, lines.size());
        for (const auto& line : lines) {
          ++answered;
          progress = true;
          if (!answer(*t, line)) break;
        }
        if (progress) break;  // transports may have come or gone
      }
    }
    return answered;
  }

  std::string overviewReply(const std::string& group, std::int32_t a, std::int32_t b) const {
    std::string out = "224 Overview information follows\r\n";
    const auto it = groups.find(group);
    if (it != groups.end()) {
      const FakeGroup& g = it->second;
      for (std::int64_t n = std::max(a, g.low); n <= std::min(b, g.high); ++n) {
        if (g.missing.count(static_cast<std::int32_t>(n))) continue;
        out += FakeOverviewLine(group, static_cast<std::int32_t>(n), g.subjectPrefix) + "\r\n";
      }
    }
    return out + ".\r\n";
  }

  // The group selected on a transport.
  std::map<const FakeTransport*, std::string> selected;

 private:
  static bool parseRange(const std::string& text, std::int32_t& a, std::int32_t& b) {
    const std::size_t dash = text.find('-');
    const auto first = parseDecimal(text.substr(0, dash));
    if (!first) return false;
    a = static_cast<std::int32_t>(*first);
    if (dash == std::string::npos) {
      b = a;
      return true;
    }
    const auto last = parseDecimal(text.substr(dash + 1));
    b = last ? static_cast<std::int32_t>(*last) : INT32_MAX;
    return true;
  }

  // False when the transport went away.
  bool answer(FakeTransport& t, const std::string& line) {
    commands.push_back(line);
    if (hook) {
      const Action action = hook(t, line);
      switch (action.kind) {
        case Action::Reply: return t.receive(action.reply);
        case Action::Silence: return true;
        case Action::Reset: t.fail(10054, "reset by peer"); return false;
        case Action::Close: t.peerClose(); return false;
        case Action::Default: break;
      }
    }
    return t.receive(defaultReply(t, line));
  }

  std::string defaultReply(FakeTransport& t, const std::string& line) {
    const std::vector<std::string> w = splitChar(line, ' ');
    const std::string verb = upperAscii(w[0]);
    if (verb == "MODE") return "200 reader\r\n";
    if (verb == "CAPABILITIES" && !capabilities.empty()) {
      std::string out = "101 Capability list:\r\n";
      for (const auto& c : capabilities) out += c + "\r\n";
      return out + ".\r\n";
    }
    if (verb == "QUIT") return "205 bye\r\n";
    if (verb == "GROUP" && w.size() > 1) {
      const auto it = groups.find(w[1]);
      if (it == groups.end()) return "411 No such group " + w[1] + "\r\n";
      selected[&t] = w[1];
      const FakeGroup& g = it->second;
      const std::int32_t count = g.count >= 0 ? g.count : std::max(g.high - g.low + 1, 0);
      return format("211 %d %d %d %s\r\n", count, g.low, g.high, w[1].c_str());
    }
    std::int32_t a = 0, b = 0;
    // OVER and HDR refuse a range without articles, as RFC 3977 has them.
    const std::string kNoArticles = "423 No articles in that range\r\n";
    if ((verb == "XOVER" || verb == "OVER") && w.size() > 1 && parseRange(w[1], a, b)) {
      const std::string out = overviewReply(selected[&t], a, b);
      const bool empty = std::count(out.begin(), out.end(), '\n') == 2;  // status and "."
      return verb == "OVER" && empty ? kNoArticles : out;
    }
    if ((verb == "XHDR" || verb == "HDR") && w.size() > 2 && parseRange(w[2], a, b)) {
      std::string out = (verb == "HDR" ? "225 " : "221 ") + w[1] + " follows\r\n";
      const auto it = groups.find(selected[&t]);
      if (it != groups.end()) {
        for (std::int64_t n = std::max(a, it->second.low); n <= std::min(b, it->second.high); ++n) {
          const auto h = headers.find(w[1] + ":" + std::to_string(n));
          out += std::to_string(n) + " " + (h == headers.end() ? "(none)" : h->second) + "\r\n";
        }
      }
      return out + ".\r\n";
    }
    if ((verb == "ARTICLE" || verb == "HEAD") && w.size() > 1) {
      return (verb == "ARTICLE" ? "220 " : "221 ") + w[1] +
             " <x@y>\r\nSubject: s\r\n\r\nbody\r\n.\r\n";
    }
    return "500 What?\r\n";
  }

  FakeNetwork& net_;
};

}  // namespace orvel::test
