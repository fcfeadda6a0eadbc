#include "net/tdns.h"

#include <arpa/inet.h>

#include "core/text.h"

namespace orvel {

std::optional<std::string> NumericAddress(std::string_view host) {
  std::string text(trimView(host));
  char out[INET6_ADDRSTRLEN] = {};
  unsigned char binary[16];
  if (inet_pton(AF_INET, text.c_str(), binary) == 1) {
    return std::string(inet_ntop(AF_INET, binary, out, sizeof out));
  }
  if (text.size() > 2 && text.front() == '[' && text.back() == ']') {
    text = text.substr(1, text.size() - 2);
  }
  if (inet_pton(AF_INET6, text.c_str(), binary) == 1) {
    return std::string(inet_ntop(AF_INET6, binary, out, sizeof out));
  }
  return std::nullopt;
}

TDNS::TDNS(HostResolver& resolver) : resolver_(resolver) {}

TDNS::~TDNS() {
  onDone = nullptr;
  Cancel();
}

void TDNS::Cancel() {
  if (request_ != 0) resolver_.cancel(request_);
  request_ = 0;
}

void TDNS::Lookup(const std::string& host) {
  Cancel();
  address_.clear();
  host_ = trim(host);
  if (auto numeric = NumericAddress(host_)) {
    complete(0, *numeric);
    return;
  }
  // The resolver never calls back for a cancelled request, and the
  // destructor cancels, so `this` is alive whenever the callback runs.
  const HostResolver::RequestId id = resolver_.lookup(host_, [this](int error, const std::string& address) {
    complete(error, address);
  });
  request_ = id;
}

void TDNS::complete(int error, const std::string& address) {
  request_ = 0;
  error_ = error;
  address_ = error == 0 ? address : std::string();
  if (onDone) {
    auto handler = onDone;  // the handler may reset onDone or destroy this
    handler(*this);
  }
}

}  // namespace orvel
