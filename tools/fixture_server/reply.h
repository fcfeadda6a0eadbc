#pragma once
// One reply as the connection sends it: bytes ready now, an optional producer
// that appends the rest chunk by chunk as the socket drains, and the faults
// that shape its delivery.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvel::fixture {

struct ReplyFaults {
  // Hard close (RST) once this many bytes of the reply are sent, or at its
  // end when it is shorter.
  std::optional<std::int64_t> resetAfter;
  // Pause for stallSeconds once this many bytes are sent (0: before it).
  std::optional<std::int64_t> stallAfter;
  double stallSeconds = 0;
  // One byte per write with this pause in milliseconds between bytes.
  std::optional<double> dripMs;
  // Orderly close once the reply is sent.
  bool closeAfter = false;
};

struct Reply {
  std::string data;
  // Appends the next chunk to out; returns false once everything is produced.
  std::function<bool(std::string& out)> produce;
  ReplyFaults faults;

  explicit Reply(std::string text = {}) : data(std::move(text)) {}
};

}  // namespace orvel::fixture
