#pragma once
// TLineSock: the base of the protocol clients (NNTP, SMTP). It owns one
// transport and one host lookup, connects by name or numeric address (plain
// or TLS), sends CR LF terminated lines, and turns every lookup and socket
// failure into one error event with a code and a text. It does not read:
// each descendant handles the bytes received and supplies Close().
//
// Events reach the descendant through the virtual Socket* hooks; the
// descendant raises its owner's handlers through RaiseError and
// RaiseDisconnected, which return false when the owner installed none (the
// line socket then calls Close()).

#include <memory>
#include <string>
#include <string_view>

#include "net/tdns.h"
#include "net/transport.h"

namespace orvel {

class TLineSock : private TransportHandler {
 public:
  explicit TLineSock(NetPlatform& platform);
  virtual ~TLineSock();
  TLineSock(const TLineSock&) = delete;
  TLineSock& operator=(const TLineSock&) = delete;

  // Sends text + CR LF. While not connected the line is dropped silently:
  // callers check the connection first.
  void SendLine(std::string_view text);
  // Sends bytes as they are, nothing added; dropped while not connected.
  void SendBytes(std::string_view bytes);
  bool IsConnected() const;
  // Resets the connection state and drops the connection.
  virtual void Close() = 0;
  int LastErrorCode() const { return lastError_; }
  // The numeric address connected to, once the host was looked up.
  std::string PeerAddress() const { return resolver_.address(); }

 protected:
  // Looks the host up (numeric addresses at once) and connects to it. With
  // tls.enabled false, the peer name and CA file of tls still serve a later
  // StartTls().
  void StartConnect(const std::string& host, int port, const TlsOptions& tls);
  // Turns the connected plain stream into TLS with the options given to
  // StartConnect; SocketTlsReady() or SocketError() follows.
  void StartTls();
  // Cancels a pending lookup and drops the connection, without events.
  void Deactivate();
  void SetLastErrorCode(int code) { lastError_ = code; }
  const std::string& host() const { return host_; }

  virtual void SocketConnected() = 0;
  virtual void SocketRead(std::string_view bytes) = 0;
  // The StartTls() handshake succeeded. Default: nothing (a descendant that
  // never calls StartTls never sees it).
  virtual void SocketTlsReady();
  // Default: RaiseDisconnected, else Close.
  virtual void SocketDisconnected();
  // Default: RaiseError, else Close. The text is already formed.
  virtual void SocketError(int code, const std::string& text);

  // The owner's handlers; false when none is installed.
  virtual bool RaiseError(int code, const std::string& text) = 0;
  virtual bool RaiseDisconnected() = 0;

 private:
  void onTransportConnected() override;
  void onTransportTlsReady() override;
  void onTransportData(std::string_view bytes) override;
  void onTransportClosed() override;
  void onTransportError(int code, const std::string& detail) override;
  void lookupDone();

  std::unique_ptr<Transport> transport_;
  TDNS resolver_;
  std::string host_;
  int port_ = 0;
  TlsOptions tls_;
  bool active_ = false;  // a connect was started and the stream has not ended
  int lastError_ = 0;
};

// The text of an error event for a socket failure with host in words.
std::string SocketFailureText(int code, const std::string& detail, const std::string& host);
// The text of an error event for a failed lookup of host.
std::string LookupFailureText(int code, const std::string& host);

}  // namespace orvel
