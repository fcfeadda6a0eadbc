#pragma once
// A scripted network for protocol tests: transports that record what is sent
// and deliver what the test says the server answers, and a host resolver
// whose lookups complete when the test says so.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "net/transport.h"

namespace orvel::test {

class FakeNetwork;

class FakeTransport final : public Transport {
 public:
  struct ConnectCall {
    std::string address;
    int port = 0;
    TlsOptions tls;
  };

  explicit FakeTransport(FakeNetwork& network);
  ~FakeTransport() override;

  void setHandler(TransportHandler* handler) override { handler_ = handler; }
  void connectTo(const std::string& address, int port, const TlsOptions& tls) override;
  // Throws while a STARTTLS handshake is pending: nothing may be sent then.
  void send(std::string_view bytes) override;
  void startTls(const TlsOptions& tls) override;
  void abort() override;
  bool isConnected() const override { return connected_; }

  // The server side. Each returns false when the handler destroyed the
  // transport during the event.
  bool accept();                          // the pending connect succeeds
  bool tlsReady();                        // the pending STARTTLS handshake succeeds
  bool receive(std::string_view bytes);   // one read event
  bool receiveBytewise(std::string_view bytes);  // one read event per byte
  bool peerClose();
  bool fail(int code, const std::string& detail = {});

  const std::vector<ConnectCall>& connects() const { return connects_; }
  bool connecting() const { return connecting_; }
  // The options of each startTls(), and whether the stream is now TLS.
  const std::vector<TlsOptions>& tlsStarts() const { return tlsStarts_; }
  bool handshaking() const { return handshaking_; }
  bool encrypted() const { return encrypted_; }
  int aborts() const { return aborts_; }
  // Everything sent since the last takeSent(), split into lines at CR LF.
  std::vector<std::string> takeSentLines();
  std::string takeSent();
  const std::string& sent() const { return sent_; }

 private:
  FakeNetwork& network_;
  TransportHandler* handler_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::vector<ConnectCall> connects_;
  std::string sent_;
  std::vector<TlsOptions> tlsStarts_;
  bool handshaking_ = false;
  bool encrypted_ = false;
  bool connecting_ = false;
  bool connected_ = false;
  int aborts_ = 0;
};

class FakeResolver final : public HostResolver {
 public:
  RequestId lookup(const std::string& host, Done done) override;
  void cancel(RequestId id) override;

  // Completes the oldest pending lookup of host (any host when empty).
  // False when none is pending.
  bool complete(int error, const std::string& address, const std::string& host = {});
  int pending() const { return static_cast<int>(requests_.size()); }
  const std::vector<std::string>& hostsLookedUp() const { return hosts_; }
  int cancels() const { return cancels_; }

 private:
  struct Request {
    RequestId id;
    std::string host;
    Done done;
  };
  std::vector<Request> requests_;
  std::vector<std::string> hosts_;
  RequestId next_ = 1;
  int cancels_ = 0;
};

class FakeNetwork final : public NetPlatform {
 public:
  std::unique_ptr<Transport> createTransport() override;
  HostResolver& resolver() override { return resolver_; }
  FakeResolver& fakeResolver() { return resolver_; }

  // Live transports, oldest first.
  const std::vector<FakeTransport*>& transports() const { return transports_; }
  FakeTransport& last() { return *transports_.back(); }

 private:
  friend class FakeTransport;
  FakeResolver resolver_;
  std::vector<FakeTransport*> transports_;
};

// Splits bytes at CR LF; a trailing piece without CR LF is kept as a line.
std::vector<std::string> splitCrLf(std::string_view bytes);

}  // namespace orvel::test
