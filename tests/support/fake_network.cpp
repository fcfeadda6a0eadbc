#include "support/fake_network.h"

#include <algorithm>
#include <stdexcept>

namespace orvel::test {

FakeTransport::FakeTransport(FakeNetwork& network) : network_(network) {
  network_.transports_.push_back(this);
}

FakeTransport::~FakeTransport() {
  *alive_ = false;
  auto& list = network_.transports_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void FakeTransport::connectTo(const std::string& address, int port, const TlsOptions& tls) {
  if (connecting_ || connected_) throw std::logic_error("connectTo on a busy transport");
  connects_.push_back({address, port, tls});
  // Bytes the peer never took died with the last stream.
  sent_.clear();
  connecting_ = true;
  encrypted_ = tls.enabled;
}

void FakeTransport::send(std::string_view bytes) {
  if (!connected_) throw std::logic_error("send on an unconnected transport");
  if (handshaking_) throw std::logic_error("send during a TLS handshake");
  sent_.append(bytes);
}

void FakeTransport::startTls(const TlsOptions& tls) {
  if (!connected_) throw std::logic_error("startTls on an unconnected transport");
  if (handshaking_ || encrypted_) throw std::logic_error("startTls on a TLS stream");
  tlsStarts_.push_back(tls);
  handshaking_ = true;
}

void FakeTransport::abort() {
  if (connecting_ || connected_) ++aborts_;
  connecting_ = connected_ = handshaking_ = false;
}

bool FakeTransport::accept() {
  if (!connecting_) throw std::logic_error("accept without a pending connect");
  connecting_ = false;
  connected_ = true;
  auto alive = alive_;
  if (handler_) handler_->onTransportConnected();
  return *alive;
}

bool FakeTransport::tlsReady() {
  if (!handshaking_) throw std::logic_error("tlsReady without a pending handshake");
  handshaking_ = false;
  encrypted_ = true;
  auto alive = alive_;
  if (handler_) handler_->onTransportTlsReady();
  return *alive;
}

bool FakeTransport::receive(std::string_view bytes) {
  if (!connected_) throw std::logic_error("receive on an unconnected transport");
  auto alive = alive_;
  if (handler_) handler_->onTransportData(bytes);
  return *alive;
}

bool FakeTransport::receiveBytewise(std::string_view bytes) {
  auto alive = alive_;
  for (char c : bytes) {
    if (!connected_) return *alive;
    if (handler_) handler_->onTransportData(std::string_view(&c, 1));
    if (!*alive) return false;
  }
  return true;
}

bool FakeTransport::peerClose() {
  connecting_ = connected_ = handshaking_ = false;
  auto alive = alive_;
  if (handler_) handler_->onTransportClosed();
  return *alive;
}

bool FakeTransport::fail(int code, const std::string& detail) {
  connecting_ = connected_ = handshaking_ = false;
  auto alive = alive_;
  if (handler_) handler_->onTransportError(code, detail);
  return *alive;
}

std::vector<std::string> splitCrLf(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes.substr(pos));
      break;
    }
    lines.emplace_back(bytes.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

std::vector<std::string> FakeTransport::takeSentLines() { return splitCrLf(takeSent()); }

std::string FakeTransport::takeSent() { return std::exchange(sent_, {}); }

HostResolver::RequestId FakeResolver::lookup(const std::string& host, Done done) {
  hosts_.push_back(host);
  requests_.push_back({next_, host, std::move(done)});
  return next_++;
}

void FakeResolver::cancel(RequestId id) {
  auto it = std::find_if(requests_.begin(), requests_.end(),
                         [id](const Request& r) { return r.id == id; });
  if (it == requests_.end()) return;
  requests_.erase(it);
  ++cancels_;
}

bool FakeResolver::complete(int error, const std::string& address, const std::string& host) {
  auto it = std::find_if(requests_.begin(), requests_.end(),
                         [&](const Request& r) { return host.empty() || r.host == host; });
  if (it == requests_.end()) return false;
  Done done = std::move(it->done);
  requests_.erase(it);
  done(error, address);
  return true;
}

std::unique_ptr<Transport> FakeNetwork::createTransport() {
  return std::make_unique<FakeTransport>(*this);
}

}  // namespace orvel::test
