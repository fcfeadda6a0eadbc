#pragma once
// The platform's stream sockets and host lookup, as the protocol engines see
// them. The Qt shell implements them over QSslSocket and QHostInfo
// (net/qt/); tests use a scripted fake (tests/support/fake_network.h).
//
// Contract of a transport:
// - connectTo() starts an asynchronous connect; onConnected() follows once
//   the stream can carry data (after the TLS handshake when TLS is asked).
// - startTls() turns a connected plain stream into a TLS one (STARTTLS):
//   later, never from inside the call, onTransportTlsReady() follows once
//   the handshake succeeded, or onTransportError() with neterr::kTlsFailure.
//   Nothing may be sent in between. A separate event, not a second
//   onTransportConnected(): the stream was connected all along, only its
//   protection changed.
// - send() never blocks and never calls back: bytes are queued and leave in
//   order.
// - onError() and onClosed() end the stream: no event follows them until the
//   next connectTo(). abort() ends it at once, without any event.
// - A handler may abort the transport from inside any event, and connect it
//   again; it destroys the transport only outside its events.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace orvel {

struct TlsOptions {
  bool enabled = false;
  // The name the certificate must carry: the host as the user gave it.
  std::string peerName;
  // PEM file of extra trusted CA certificates; empty: the system store only.
  std::string caFile;
  // A plain connection that may be upgraded by STARTTLS later. Without it,
  // and without `enabled`, the transport need not load a TLS library.
  bool mayStartTls = false;
};

class TransportHandler {
 public:
  virtual void onTransportConnected() = 0;
  // The handshake that startTls() began succeeded.
  virtual void onTransportTlsReady() = 0;
  virtual void onTransportData(std::string_view bytes) = 0;
  // The peer closed the connection.
  virtual void onTransportClosed() = 0;
  // code: a platform socket number (net/socket_errors.h). detail: empty for
  // plain socket errors; for TLS failures the reason in words.
  virtual void onTransportError(int code, const std::string& detail) = 0;

 protected:
  ~TransportHandler() = default;
};

class Transport {
 public:
  virtual ~Transport() = default;
  virtual void setHandler(TransportHandler* handler) = 0;
  // address: a numeric IPv4 or IPv6 address.
  virtual void connectTo(const std::string& address, int port, const TlsOptions& tls) = 0;
  virtual void send(std::string_view bytes) = 0;
  // Only on a connected plain stream; tls.enabled is not looked at. The
  // certificate is checked as connectTo() checks it.
  virtual void startTls(const TlsOptions& tls) = 0;
  virtual void abort() = 0;
  virtual bool isConnected() const = 0;
};

class HostResolver {
 public:
  using RequestId = std::uint64_t;
  // error: 0, or a platform number (11001 host not found, ...); address: the
  // first address found, as numeric text.
  using Done = std::function<void(int error, const std::string& address)>;

  virtual ~HostResolver() = default;
  // Starts an asynchronous lookup; done runs later, never from inside lookup(),
  // unless the request is cancelled first. Returns a non-zero id.
  virtual RequestId lookup(const std::string& host, Done done) = 0;
  virtual void cancel(RequestId id) = 0;
};

// What the network layer takes from the platform.
class NetPlatform {
 public:
  virtual ~NetPlatform() = default;
  virtual std::unique_ptr<Transport> createTransport() = 0;
  virtual HostResolver& resolver() = 0;
};

}  // namespace orvel
