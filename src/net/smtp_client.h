#pragma once
// SmtpClient: delivers one mail over SMTP, a line socket driven by
// SmtpEngine (net/smtp_engine.h has the states and the dialogue). The owner
// answers each accepted reply with the next command: greeting (state 1) ->
// Helo, 3 -> MailFrom, 4 -> RcptTo, 5 -> Data, 6 (354) -> SendMessageBlock,
// 7 -> Quit. A refused reply, a socket failure, a command without a
// connection ("Erreur SMTP: pas connecté") and a reply that does not come
// in time all end in onSmtpError.
//
// A timer guards every wait, restarted by each byte received: 120 s for a
// reply (from Connect to the greeting too), 600 s for the reply to the
// message. Each event is the last thing the client does in a call, so the
// listener may close the client from inside any event; it destroys the
// client only outside them.

#include <memory>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "net/smtp_engine.h"
#include "net/tline_sock.h"

namespace orvel {

class SmtpClient;

class SmtpListener {
 public:
  // A reply accepted in `state`.
  virtual void onSmtpReply(SmtpClient& client, int state) = 0;
  // A refusal or failure: the server's reply line or the error's text.
  virtual void onSmtpError(SmtpClient& client, const std::string& text) = 0;
  // The server closed the connection.
  virtual void onSmtpClosed(SmtpClient& client) = 0;

 protected:
  ~SmtpListener() = default;
};

inline constexpr const char* kSmtpNotConnected = "Erreur SMTP: pas connecté";

class SmtpClient final : public TLineSock {
 public:
  static constexpr int kDefaultPort = 25;

  SmtpClient(NetPlatform& platform, Clock& clock);
  ~SmtpClient() override;

  // Null detaches: events are then dropped, and a failure closes the
  // connection.
  void setListener(SmtpListener* listener) { listener_ = listener; }

  // host: "name", "192.0.2.1", "name:2525", "[::1]:2525"; port 25 unless
  // given. caFile: extra trusted CA certificates (PEM) for STARTTLS.
  void Connect(const std::string& host, const SmtpOptions& options, const std::string& caFile = {});
  void Helo();
  void MailFrom(const std::string& address);
  void RcptTo(const std::string& address);
  void Data();
  // Only when connected; nothing otherwise.
  void Quit();
  // The message after 354 (state 7): bytes already dot-stuffed, CR LF line
  // ends, ending with ".\r\n". Anything else is a programming fault and
  // throws std::logic_error.
  void SendMessageBlock(std::string_view block);

  int State() const { return static_cast<int>(engine_.state()); }
  // STARTTLS succeeded on this connection.
  bool TlsActive() const { return engine_.tlsActive(); }
  // State 0 and the connection dropped, without events; the listener stays.
  void Close() override;

 private:
  void SocketConnected() override;
  void SocketRead(std::string_view bytes) override;
  void SocketTlsReady() override;
  void SocketDisconnected() override;
  void SocketError(int code, const std::string& text) override;
  bool RaiseError(int code, const std::string& text) override;
  bool RaiseDisconnected() override;

  // Carries out one step of the engine; an event comes last.
  void run(SmtpStep step);
  // False, after the not-connected error, when the connection is down.
  bool connectedOrFail();
  void fail(const std::string& text);
  // Runs the timer while the engine waits, stops it otherwise.
  void syncTimer();
  void replyTimeout();

  std::unique_ptr<Timer> timer_;
  SmtpEngine engine_;
  SmtpListener* listener_ = nullptr;
  std::string hostText_;  // as the owner gave it, for messages
};

}  // namespace orvel
