#include "net/smtp_engine.h"

#include <utility>
#include <vector>

#include "core/encoded_words.h"
#include "core/text.h"

namespace orvel {

namespace {

struct Extensions {
  bool startTls = false;
  bool authPlain = false;
  bool authLogin = false;
};

// The extensions an EHLO reply lists, one a line after the first ("250-"
// then a keyword and its parameters); old servers write "AUTH=LOGIN".
Extensions parseExtensions(const SmtpReply& reply) {
  Extensions out;
  for (std::size_t i = 1; i < reply.lines.size(); ++i) {
    const std::string_view line = reply.lines[i];
    if (line.size() < 4) continue;
    std::string words = upperAscii(line.substr(4));
    for (char& c : words) {
      if (c == '=' || c == '\t') c = ' ';
    }
    const std::vector<std::string> parts = splitChar(words, ' ');
    if (parts.empty()) continue;
    if (parts[0] == "STARTTLS") out.startTls = true;
    if (parts[0] != "AUTH") continue;
    for (std::size_t k = 1; k < parts.size(); ++k) {
      if (parts[k] == "PLAIN") out.authPlain = true;
      if (parts[k] == "LOGIN") out.authLogin = true;
    }
  }
  return out;
}

// A text that can stand inside a command line: no control characters.
bool fitsCommand(std::string_view text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

bool knowsNoEhlo(std::string_view line) {
  if (line.size() > 3 && line[3] != ' ') return false;
  const std::string_view code = line.substr(0, 3);
  return code == "500" || code == "501" || code == "502" || code == "504";
}

bool startsWith(const std::string& line, char digit) { return !line.empty() && line[0] == digit; }

}  // namespace

void SmtpEngine::connected() {
  reader_.clear();
  state_ = SmtpState::Greeting;
  phase_ = Phase::None;
  waiting_ = true;
  message_ = false;
  tls_ = false;
}

void SmtpEngine::closed() {
  reader_.clear();
  state_ = SmtpState::Idle;
  phase_ = Phase::None;
  waiting_ = false;
  message_ = false;
}

std::chrono::milliseconds SmtpEngine::timeout() const {
  return message_ ? kMessageTimeout : kReplyTimeout;
}

SmtpStep SmtpEngine::receive(std::string_view bytes) {
  // What arrives during the handshake is not SMTP; the transport reports
  // the handshake's own failures.
  if (phase_ == Phase::Handshake) return {};
  reader_.append(bytes);
  SmtpReply reply;
  while (true) {
    switch (reader_.next(reply)) {
      case SmtpReplyReader::Result::NeedMore:
        return {};
      case SmtpReplyReader::Result::TooLong:
        if (state_ == SmtpState::Idle || state_ == SmtpState::Failed) return {};
        return refuse(kSmtpReplyTooLong);
      case SmtpReplyReader::Result::Reply:
        break;
    }
    if (state_ == SmtpState::Idle || state_ == SmtpState::Failed) continue;
    // Nothing the server sent beyond this reply is read: after STARTTLS it
    // would be text injected before the handshake.
    reader_.clear();
    return judge(reply);
  }
}

SmtpStep SmtpEngine::judge(const SmtpReply& reply) {
  const std::string& line = reply.finalLine();
  if (state_ == SmtpState::Helo && phase_ != Phase::None) return introduce(reply);
  if (state_ == SmtpState::Data) {
    if (line.rfind("354", 0) != 0) return refuse(line);
    state_ = SmtpState::MessageSent;
    return accept(static_cast<int>(SmtpState::Data));
  }
  if (!startsWith(line, '2')) return refuse(line);
  return accept(static_cast<int>(state_));
}

SmtpStep SmtpEngine::introduce(const SmtpReply& reply) {
  const std::string& line = reply.finalLine();
  const bool positive = startsWith(line, '2');
  switch (phase_) {
    case Phase::Ehlo:
      if (positive) return afterEhlo(reply);
      // A server of the old kind does not know EHLO (500, 501, 502, 504)
      // and takes HELO; it has no STARTTLS either. Other refusals stand.
      if (!knowsNoEhlo(line)) return refuse(line);
      if (!options_.userName.empty()) return refuse(kSmtpNoStartTls);
      return send(Phase::Helo, "HELO " + localName());
    case Phase::EhloTls:
      if (!positive) return refuse(line);
      return afterEhlo(reply);
    case Phase::StartTls:
      if (!positive) return refuse(line);
      phase_ = Phase::Handshake;
      return {SmtpStep::Kind::StartTls, {}, 0};
    case Phase::AuthLogin:
      if (!startsWith(line, '3')) return refuse(line);
      return send(Phase::AuthLoginUser, EncodeBase64Text(options_.userName));
    case Phase::AuthLoginUser:
      if (!startsWith(line, '3')) return refuse(line);
      return send(Phase::AuthLoginPassword, EncodeBase64Text(options_.password));
    case Phase::Helo:
    case Phase::AuthPlain:
    case Phase::AuthLoginPassword:
      if (!positive) return refuse(line);
      return accept(static_cast<int>(SmtpState::Helo));
    case Phase::None:
    case Phase::Handshake:
      break;
  }
  return {};
}

SmtpStep SmtpEngine::afterEhlo(const SmtpReply& reply) {
  const Extensions offered = parseExtensions(reply);
  if (!tls_ && offered.startTls) return send(Phase::StartTls, "STARTTLS");
  if (options_.userName.empty()) return accept(static_cast<int>(SmtpState::Helo));
  if (!tls_) return refuse(kSmtpNoStartTls);
  if (offered.authPlain) {
    std::string credentials;
    credentials += '\0';
    credentials += options_.userName;
    credentials += '\0';
    credentials += options_.password;
    return send(Phase::AuthPlain, "AUTH PLAIN " + EncodeBase64Text(credentials));
  }
  if (offered.authLogin) return send(Phase::AuthLogin, "AUTH LOGIN");
  return refuse(kSmtpNoAuth);
}

SmtpStep SmtpEngine::tlsReady() {
  if (phase_ != Phase::Handshake) return {};
  tls_ = true;
  return send(Phase::EhloTls, "EHLO " + localName());
}

std::string SmtpEngine::localName() const {
  const std::string name = trim(options_.localHost);
  return name.empty() || !fitsCommand(name) ? std::string("localhost") : name;
}

SmtpStep SmtpEngine::helo() {
  SmtpStep step = command(SmtpState::Helo, "EHLO " + localName());
  phase_ = Phase::Ehlo;
  return step;
}

SmtpStep SmtpEngine::mailFrom(std::string_view address) {
  return addressCommand(SmtpState::MailFrom, "MAIL FROM:<", address);
}

SmtpStep SmtpEngine::rcptTo(std::string_view address) {
  return addressCommand(SmtpState::RcptTo, "RCPT TO:<", address);
}

SmtpStep SmtpEngine::data() { return command(SmtpState::Data, "DATA"); }

SmtpStep SmtpEngine::quit() { return command(SmtpState::Quit, "QUIT"); }

void SmtpEngine::messageSent() {
  waiting_ = true;
  message_ = true;
}

SmtpStep SmtpEngine::addressCommand(SmtpState state, std::string_view verb,
                                    std::string_view address) {
  if (!fitsCommand(address)) {
    state_ = state;
    return refuse(kSmtpBadAddress);
  }
  std::string line(verb);
  line.append(address);
  line += '>';
  return command(state, std::move(line));
}

SmtpStep SmtpEngine::command(SmtpState state, std::string line) {
  state_ = state;
  phase_ = Phase::None;
  message_ = false;
  waiting_ = true;
  return {SmtpStep::Kind::Send, std::move(line), 0};
}

SmtpStep SmtpEngine::send(Phase phase, std::string line) {
  phase_ = phase;
  waiting_ = true;
  return {SmtpStep::Kind::Send, std::move(line), 0};
}

SmtpStep SmtpEngine::accept(int state) {
  phase_ = Phase::None;
  waiting_ = false;
  message_ = false;
  return {SmtpStep::Kind::Accepted, {}, state};
}

SmtpStep SmtpEngine::refuse(std::string text) {
  if (state_ != SmtpState::Idle) state_ = SmtpState::Failed;
  phase_ = Phase::None;
  waiting_ = false;
  message_ = false;
  return {SmtpStep::Kind::Refused, std::move(text), 0};
}

}  // namespace orvel
