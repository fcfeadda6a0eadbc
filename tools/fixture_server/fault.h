#pragma once
// Faults injected on command. One text form serves the --fault option and the
// XFAULT control command:
//
//   [cmd=NAME[,NAME...]] [group=NAME] [once | uses=N] [conns=N] KIND ARGS
//
//   reset BYTES            hard close (RST) after BYTES bytes of the reply
//   stall SECONDS [after=BYTES]   pause before the reply, or after BYTES of it
//   reply CODE [TEXT]      answer CODE TEXT instead of running the command
//   drip [MS]              send the reply one byte at a time, MS ms apart
//   omit NUMBERS           leave these article numbers (5,7,10-12) out of
//                          XOVER, OVER, XHDR, HDR and XPAT output
//   greeting CODE [TEXT]   greet with this line (4xx/5xx then close)
//   close-after-greeting   close the connection right after the greeting
//
// cmd= limits a fault to commands (the greeting is "GREETING"); without it a
// fault applies to every command its kind can affect, and reset, stall and
// drip to the greeting too. group= limits it to a group (the argument of
// GROUP and LISTGROUP, else the selected group). uses=N (once = uses=1) makes
// it fire N times; conns=N limits it to the next N connections accepted.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "reply.h"

namespace orvel::fixture {

enum class FaultKind { Reset, Stall, Reply, Drip, Omit, Greeting, CloseAfterGreeting };

struct FaultSpec {
  FaultKind kind = FaultKind::Reply;
  std::vector<std::string> commands;  // upper case; empty: any
  std::string group;                  // empty: any
  std::optional<std::int64_t> uses;
  std::optional<std::int64_t> connections;
  std::int64_t bytes = 0;  // reset; stall "after="
  double seconds = 0;      // stall
  double dripMs = 1;       // drip
  int code = 0;            // reply, greeting
  std::string text;        // reply, greeting
  std::vector<std::pair<std::int64_t, std::int64_t>> numbers;  // omit
};

// The spec, or an error text.
std::variant<FaultSpec, std::string> parseFault(std::string_view text);
// The canonical text of a spec (parseFault reads it back to the same spec).
std::string describeFault(const FaultSpec& spec);

// The usual text of a reply code, for "reply CODE" without a text.
std::string defaultReplyText(int code);

struct OmitSet {
  std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
  bool contains(std::int64_t n) const;
  bool empty() const { return ranges.empty(); }
};

struct CommandFaults {
  std::optional<std::string> reply;  // the full status line
  ReplyFaults delivery;
  OmitSet omit;
};

struct GreetingFaults {
  std::optional<std::string> greeting;  // the full greeting line
  ReplyFaults delivery;
};

// Installed faults and their remaining uses. Used from the server's one thread.
class FaultTable {
 public:
  // Installs a fault; connection ids from firstConnection on count for conns=.
  int add(FaultSpec spec, std::uint64_t firstConnection);
  void clear() { faults_.clear(); }
  // "id: canonical text [uses left]" per fault.
  std::vector<std::string> list() const;

  GreetingFaults onConnect(std::uint64_t connection);
  CommandFaults onCommand(std::uint64_t connection, std::string_view command,
                          std::string_view group);

 private:
  struct Installed {
    int id;
    FaultSpec spec;
    std::uint64_t firstConnection;
  };
  bool applies(const Installed& f, std::uint64_t connection, std::string_view command,
               std::string_view group) const;
  void use(std::size_t index);

  std::vector<Installed> faults_;
  int nextId_ = 1;
};

}  // namespace orvel::fixture
