#pragma once
// TDNS: host lookup for a line socket. A numeric IPv4 or IPv6 address
// completes at once, without asking the platform; a name is looked up
// asynchronously and completes later. One request at a time: a new lookup
// cancels the pending one.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "net/transport.h"

namespace orvel {

// The address in canonical numeric form when the text is a numeric IPv4
// address (four decimal parts) or an IPv6 address (brackets allowed).
std::optional<std::string> NumericAddress(std::string_view host);

class TDNS {
 public:
  explicit TDNS(HostResolver& resolver);
  ~TDNS();
  TDNS(const TDNS&) = delete;
  TDNS& operator=(const TDNS&) = delete;

  void Lookup(const std::string& host);
  void Cancel();
  bool pending() const { return request_ != 0; }

  int errorCode() const { return error_; }
  const std::string& address() const { return address_; }
  const std::string& host() const { return host_; }

  // Runs when a lookup ends, successful or not.
  std::function<void(TDNS&)> onDone;

 private:
  void complete(int error, const std::string& address);

  HostResolver& resolver_;
  HostResolver::RequestId request_ = 0;
  int error_ = 0;
  std::string address_;
  std::string host_;
};

}  // namespace orvel
