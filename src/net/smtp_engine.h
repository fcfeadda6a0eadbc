#pragma once
// SmtpEngine: the SMTP dialogue of one mail as a state machine without a
// socket. The client feeds it received bytes and the end of a STARTTLS
// handshake; each call returns one step: a line to send, a handshake to
// start, a reply accepted in a state, or a refusal with its text.
//
// States (the numbers the owner sees): 0 idle, 1 greeting awaited, 2
// failed, 3 HELO sent, 4 MAIL sent, 5 RCPT sent, 6 DATA sent, 7 message
// sent, 8 QUIT sent. In states 1, 3, 4, 5, 7 and 8 a reply starting with
// "2" is accepted; in state 6 only "354" is, and the state becomes 7; in
// states 0 and 2 replies are ignored; anything else is refused and the
// state becomes 2. After an accepted or refused reply whatever else was
// received is dropped.
//
// State 3 is the whole introduction, which the owner sees as one step:
// EHLO (HELO when the server refuses EHLO and no login is wanted);
// STARTTLS whenever the server offers it, then EHLO again over TLS; then,
// when a user name is given, AUTH PLAIN (LOGIN when only that is offered).
// Credentials never go over a plain stream: a user name with a server that
// offers no STARTTLS, or no AUTH PLAIN/LOGIN, is refused before anything is
// sent. Only the final reply of the introduction reaches the owner.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "net/smtp_reply.h"

namespace orvel {

enum class SmtpState : std::uint8_t {
  Idle = 0,
  Greeting = 1,
  Failed = 2,
  Helo = 3,
  MailFrom = 4,
  RcptTo = 5,
  Data = 6,
  MessageSent = 7,
  Quit = 8,
};

struct SmtpOptions {
  std::string localHost;  // the name given with EHLO/HELO; empty: "localhost"
  std::string userName;   // empty: no login
  std::string password;
};

struct SmtpStep {
  enum class Kind : std::uint8_t { None, Send, StartTls, Accepted, Refused };
  Kind kind = Kind::None;
  std::string text;  // Send: the line without CR LF; Refused: the reply line or the reason
  int state = 0;     // Accepted: the state the reply was accepted in
};

// The texts of refusals the engine finds itself.
inline constexpr const char* kSmtpNoStartTls =
    "Erreur SMTP: le serveur ne propose pas STARTTLS, identifiant non envoyé";
inline constexpr const char* kSmtpNoAuth =
    "Erreur SMTP: le serveur ne propose ni AUTH PLAIN ni AUTH LOGIN";
inline constexpr const char* kSmtpBadAddress = "Erreur SMTP: adresse invalide";
inline constexpr const char* kSmtpReplyTooLong = "Erreur SMTP: réponse trop longue";

class SmtpEngine {
 public:
  // How long a reply may take, restarted by every byte received; the reply
  // to the whole message may take longer (the server stores it first).
  static constexpr std::chrono::milliseconds kReplyTimeout{120'000};
  static constexpr std::chrono::milliseconds kMessageTimeout{600'000};

  explicit SmtpEngine(SmtpOptions options = {}) : options_(std::move(options)) {}
  void setOptions(SmtpOptions options) { options_ = std::move(options); }

  // The stream is up: state 1, the greeting is awaited.
  void connected();
  // The stream is gone: state 0.
  void closed();
  SmtpStep receive(std::string_view bytes);
  // The STARTTLS handshake succeeded: EHLO again.
  SmtpStep tlsReady();

  // The owner's commands: each sets its state and gives the line to send
  // (or a refusal for an address that would break the command line).
  SmtpStep helo();
  SmtpStep mailFrom(std::string_view address);
  SmtpStep rcptTo(std::string_view address);
  SmtpStep data();
  SmtpStep quit();
  // The message went out after 354: its reply is awaited.
  void messageSent();

  SmtpState state() const { return state_; }
  // A reply (or the handshake) is awaited: the time-out runs.
  bool waiting() const { return waiting_; }
  std::chrono::milliseconds timeout() const;
  bool tlsActive() const { return tls_; }
  bool handshaking() const { return phase_ == Phase::Handshake; }

 private:
  // Where the introduction of state 3 stands.
  enum class Phase : std::uint8_t {
    None,
    Ehlo,
    Helo,
    StartTls,
    Handshake,
    EhloTls,
    AuthPlain,
    AuthLogin,
    AuthLoginUser,
    AuthLoginPassword,
  };

  SmtpStep judge(const SmtpReply& reply);
  SmtpStep introduce(const SmtpReply& reply);
  SmtpStep afterEhlo(const SmtpReply& reply);
  SmtpStep command(SmtpState state, std::string line);
  SmtpStep addressCommand(SmtpState state, std::string_view verb, std::string_view address);
  SmtpStep send(Phase phase, std::string line);
  SmtpStep accept(int state);
  SmtpStep refuse(std::string text);
  // The name given with EHLO/HELO.
  std::string localName() const;

  SmtpOptions options_;
  SmtpReplyReader reader_;
  SmtpState state_ = SmtpState::Idle;
  Phase phase_ = Phase::None;
  bool waiting_ = false;
  bool message_ = false;  // the reply awaited is the message's
  bool tls_ = false;
};

}  // namespace orvel
