#include "net/host_port.h"

#include "core/text.h"

namespace orvel {

namespace {

std::optional<int> portNumber(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const auto value = parseDecimal(text);
  if (!value || *value < 1 || *value > 65535) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace

std::optional<HostPort> SplitHostPort(std::string_view text, int defaultPort) {
  text = trimView(text);
  std::string_view host = text;
  std::optional<std::string_view> port;
  if (text.starts_with('[')) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return std::nullopt;
      port = rest.substr(1);
    }
  } else if (const std::size_t colon = text.find(':');
             colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
    // One colon separates a port; more make a bare IPv6 address.
    host = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (host.empty()) return std::nullopt;
  HostPort out{std::string(host), defaultPort};
  if (port) {
    const auto number = portNumber(*port);
    if (!number) return std::nullopt;
    out.port = *number;
  }
  return out;
}

}  // namespace orvel
