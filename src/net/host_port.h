#pragma once
// A server given as the user writes it: "name", "192.0.2.1", "name:2525",
// "[2001:db8::1]:2525", or a bare IPv6 address (which can carry no port).

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

struct HostPort {
  std::string host;  // without brackets
  int port = 0;
};

// Blanks around the text are ignored. Nothing when the host is empty, the
// brackets do not close, or the port is not a number from 1 to 65535.
std::optional<HostPort> SplitHostPort(std::string_view text, int defaultPort);

}  // namespace orvel
