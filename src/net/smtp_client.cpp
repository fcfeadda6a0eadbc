#include "net/smtp_client.h"

#include <stdexcept>

#include "core/text.h"
#include "net/host_port.h"

namespace orvel {

SmtpClient::SmtpClient(NetPlatform& platform, Clock& clock)
    : TLineSock(platform), timer_(clock.createTimer([this] { replyTimeout(); })) {}

SmtpClient::~SmtpClient() {
  listener_ = nullptr;
  Close();
}

void SmtpClient::Connect(const std::string& host, const SmtpOptions& options,
                         const std::string& caFile) {
  Close();
  hostText_ = trim(host);
  engine_.setOptions(options);
  const auto server = SplitHostPort(hostText_, kDefaultPort);
  if (!server) {
    fail(hostText_.empty() ? std::string("Erreur SMTP: aucun serveur indiqué")
                           : "Erreur SMTP: serveur invalide: " + hostText_);
    return;
  }
  TlsOptions tls;
  tls.peerName = server->host;
  tls.caFile = caFile;
  tls.mayStartTls = true;  // the relay's STARTTLS is taken whenever offered
  timer_->start(SmtpEngine::kReplyTimeout, TimerMode::SingleShot);
  StartConnect(server->host, server->port, tls);
}

void SmtpClient::Close() {
  timer_->stop();
  engine_.closed();
  Deactivate();
}

// ---------------------------------------------------------------- commands

bool SmtpClient::connectedOrFail() {
  if (IsConnected()) return true;
  timer_->stop();
  engine_.closed();
  fail(kSmtpNotConnected);
  return false;
}

void SmtpClient::Helo() {
  if (connectedOrFail()) run(engine_.helo());
}

void SmtpClient::MailFrom(const std::string& address) {
  if (connectedOrFail()) run(engine_.mailFrom(address));
}

void SmtpClient::RcptTo(const std::string& address) {
  if (connectedOrFail()) run(engine_.rcptTo(address));
}

void SmtpClient::Data() {
  if (connectedOrFail()) run(engine_.data());
}

void SmtpClient::Quit() {
  if (IsConnected()) run(engine_.quit());
}

void SmtpClient::SendMessageBlock(std::string_view block) {
  if (!connectedOrFail()) return;
  if (engine_.state() != SmtpState::MessageSent) {
    throw std::logic_error("SmtpClient::SendMessageBlock before the server's 354");
  }
  if (block != ".\r\n" && !block.ends_with("\r\n.\r\n")) {
    throw std::logic_error("SmtpClient::SendMessageBlock: the block does not end with \".\\r\\n\"");
  }
  SendBytes(block);
  engine_.messageSent();
  syncTimer();
}

// ---------------------------------------------------------------- events

void SmtpClient::SocketConnected() {
  engine_.connected();
  syncTimer();
}

void SmtpClient::SocketRead(std::string_view bytes) {
  SmtpStep step = engine_.receive(bytes);
  syncTimer();
  run(std::move(step));
}

void SmtpClient::SocketTlsReady() {
  SmtpStep step = engine_.tlsReady();
  syncTimer();
  run(std::move(step));
}

void SmtpClient::SocketDisconnected() {
  timer_->stop();
  engine_.closed();
  TLineSock::SocketDisconnected();
}

void SmtpClient::SocketError(int code, const std::string& text) {
  timer_->stop();
  engine_.closed();
  TLineSock::SocketError(code, text);
}

bool SmtpClient::RaiseError(int, const std::string& text) {
  if (!listener_) return false;
  listener_->onSmtpError(*this, text);
  return true;
}

bool SmtpClient::RaiseDisconnected() {
  if (!listener_) return false;
  listener_->onSmtpClosed(*this);
  return true;
}

void SmtpClient::run(SmtpStep step) {
  switch (step.kind) {
    case SmtpStep::Kind::None:
      return;
    case SmtpStep::Kind::Send:
      SendLine(step.text);
      syncTimer();
      return;
    case SmtpStep::Kind::StartTls:
      StartTls();
      syncTimer();
      return;
    case SmtpStep::Kind::Accepted:
      timer_->stop();
      if (listener_) listener_->onSmtpReply(*this, step.state);
      return;
    case SmtpStep::Kind::Refused:
      timer_->stop();
      fail(step.text);
      return;
  }
}

void SmtpClient::fail(const std::string& text) {
  if (!RaiseError(0, text) && IsConnected()) Close();
}

// ---------------------------------------------------------------- timer

void SmtpClient::syncTimer() {
  if (engine_.waiting()) {
    timer_->start(engine_.timeout(), TimerMode::SingleShot);
  } else {
    timer_->stop();
  }
}

void SmtpClient::replyTimeout() {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(engine_.timeout()).count();
  // A reply coming late must not be taken for the next one.
  Close();
  fail(format("Erreur SMTP: pas de réponse de %s depuis %lld s", hostText_.c_str(),
              static_cast<long long>(seconds)));
}

}  // namespace orvel
