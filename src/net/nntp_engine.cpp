#include "net/nntp_engine.h"

#include "net/deflate_stream.h"

namespace orvel {

namespace {

NntpEngineEvent eventOf(NntpEngineEvent::Kind kind) {
  NntpEngineEvent event;
  event.kind = kind;
  return event;
}

}  // namespace

NntpEngine::NntpEngine() = default;
NntpEngine::~NntpEngine() = default;

void NntpEngine::connected(const NntpLoginSettings& settings) {
  settings_ = settings;
  framer_.reset();
  step_ = NntpLoginStep::Greeting;
  round_ = CapabilitiesRound::First;
  capabilities_ = {};
  capabilitiesKnown_ = false;
  overviewFormat_ = {};
  tlsDone_ = false;
  postingAllowed_ = false;
  greeting_.clear();
  output_.clear();
  compressor_.reset();
  decompressor_.reset();
  wireBytes_ = plainBytes_ = 0;
}

void NntpEngine::receive(std::string_view bytes) {
  wireBytes_ += static_cast<std::int64_t>(bytes.size());
  if (decompressor_) bytes = decompressor_->feed(bytes);
  plainBytes_ += static_cast<std::int64_t>(bytes.size());
  framer_.receive(bytes);
}

NntpEvent NntpEngine::nextFramed() {
  NntpEvent event = framer_.next();
  // The inflater gives a bounded amount at a time: take the rest as the
  // framed bytes are used up, so one packet never fills memory.
  while (event.kind == NntpEvent::Kind::NeedMore && decompressor_ && decompressor_->more()) {
    const std::string_view more = decompressor_->feed({});
    plainBytes_ += static_cast<std::int64_t>(more.size());
    framer_.receive(more);
    event = framer_.next();
  }
  return event;
}

NntpEngineEvent NntpEngine::next() {
  while (true) {
    if (decompressor_ && decompressor_->failed()) {
      NntpEngineEvent broken = eventOf(NntpEngineEvent::Kind::Broken);
      broken.line = decompressor_->error();
      return broken;
    }
    const NntpEvent event = nextFramed();
    NntpEngineEvent out;
    switch (event.kind) {
      case NntpEvent::Kind::NeedMore: return out;
      case NntpEvent::Kind::LineTooLong:
        out.kind = NntpEngineEvent::Kind::Broken;
        out.dataLine = event.multiLine;
        return out;
      case NntpEvent::Kind::Status:
        if (step_ == NntpLoginStep::Done || step_ == NntpLoginStep::Refused) {
          out.kind = NntpEngineEvent::Kind::Reply;
          out.code = event.code;
          out.line = event.line;
          out.multiLine = event.multiLine;
          return out;
        }
        out = loginReply(event);
        break;
      case NntpEvent::Kind::Data:
        if (step_ == NntpLoginStep::Capabilities) {
          out = capabilitiesData(event);
          break;
        }
        if (step_ == NntpLoginStep::OverviewFormat) {
          out = overviewFormatData(event);
          break;
        }
        out.kind = NntpEngineEvent::Kind::Data;
        out.data = event.text;
        out.last = event.last;
        return out;
    }
    if (out.kind != NntpEngineEvent::Kind::None) return out;
  }
}

NntpEngineEvent NntpEngine::loginReply(const NntpEvent& reply) {
  const int code = reply.code;
  switch (step_) {
    case NntpLoginStep::Greeting:
      if (code / 100 != 2) return refuse(code, reply.line);
      greeting_ = reply.line;
      postingAllowed_ = code == 200;
      // STARTTLS is asked for only once CAPABILITIES offered it, extensions or not.
      if (settings_.extensions || settings_.startTls) return askCapabilities(CapabilitiesRound::First);
      return modeReaderOrLogin();
    case NntpLoginStep::Capabilities:
      if (reply.multiLine) return {};  // its lines follow
      // A server without CAPABILITIES has none of the extensions.
      capabilitiesKnown_ = false;
      capabilities_ = {};
      return afterCapabilities();
    case NntpLoginStep::StartTls:
      if (code != 382) return refuse(code, reply.line);
      step_ = NntpLoginStep::TlsHandshake;
      return eventOf(NntpEngineEvent::Kind::StartTls);
    case NntpLoginStep::ModeReader:
      // Any reply will do: some servers refuse MODE READER and still serve.
      if (capabilitiesKnown_ && capabilities_.offers(NntpCapability::ModeReader)) {
        return askCapabilities(CapabilitiesRound::AfterModeReader);
      }
      return startLogin();
    case NntpLoginStep::User:
      if (code == 281) return afterLogin(true);
      if (code != 381) return refuse(code, reply.line);
      step_ = NntpLoginStep::PasswordWanted;
      return eventOf(NntpEngineEvent::Kind::PasswordWanted);
    case NntpLoginStep::Password:
      if (code != 281) return refuse(code, reply.line);
      return afterLogin(true);
    case NntpLoginStep::OverviewFormat:
      if (reply.multiLine) {
        listedFormat_.clear();
        return {};  // its lines follow
      }
      return compressOrDone();  // refused: the default order stays
    case NntpLoginStep::Compress:
      if (code == 206) startCompression();
      return compressOrDone();
    case NntpLoginStep::TlsHandshake:
    case NntpLoginStep::PasswordWanted:
    case NntpLoginStep::Done:
    case NntpLoginStep::Refused:
      break;
  }
  // A reply nothing asked for while the owner is busy with the login.
  return {};
}

NntpEngineEvent NntpEngine::capabilitiesData(const NntpEvent& data) {
  ForEachNntpLine(data.text, [this](std::string_view line) {
    capabilities_.add(line);
    return true;
  });
  if (!data.last) return {};
  capabilitiesKnown_ = true;
  return afterCapabilities();
}

NntpEngineEvent NntpEngine::askCapabilities(CapabilitiesRound round) {
  round_ = round;
  capabilities_ = {};
  send("CAPABILITIES", NntpLoginStep::Capabilities);
  return {};
}

NntpEngineEvent NntpEngine::afterCapabilities() {
  switch (round_) {
    case CapabilitiesRound::First:
    case CapabilitiesRound::AfterTls:
      if (settings_.startTls && !tlsDone_) {
        if (!capabilitiesKnown_ || !capabilities_.startTls()) {
          refusal_ = "STARTTLS refusé: le serveur ne le propose pas";
          return refuse(0, refusal_);
        }
        send("STARTTLS", NntpLoginStep::StartTls);
        return {};
      }
      return modeReaderOrLogin();
    case CapabilitiesRound::AfterModeReader: return startLogin();
    case CapabilitiesRound::AfterLogin: return overviewFormatOrCompress();
  }
  return {};
}

NntpEngineEvent NntpEngine::modeReaderOrLogin() {
  // A server that lists READER without MODE-READER reads already.
  if (capabilitiesKnown_ && capabilities_.offers(NntpCapability::Reader) &&
      !capabilities_.offers(NntpCapability::ModeReader)) {
    return startLogin();
  }
  send("MODE READER", NntpLoginStep::ModeReader);
  return {};
}

NntpEngineEvent NntpEngine::startLogin() {
  if (settings_.userName.empty()) return afterLogin(false);
  send("AUTHINFO USER " + settings_.userName, NntpLoginStep::User);
  return {};
}

void NntpEngine::password(std::string_view password) {
  if (step_ != NntpLoginStep::PasswordWanted) return;
  send("AUTHINFO PASS " + std::string(password), NntpLoginStep::Password);
}

void NntpEngine::tlsStarted() {
  if (step_ != NntpLoginStep::TlsHandshake) return;
  tlsDone_ = true;
  // What the server said before the handshake may have been forged.
  askCapabilities(CapabilitiesRound::AfterTls);
}

NntpEngineEvent NntpEngine::afterLogin(bool loggedInNow) {
  // The capabilities change with a login (RFC 4643).
  if (loggedInNow && capabilitiesKnown_) return askCapabilities(CapabilitiesRound::AfterLogin);
  return overviewFormatOrCompress();
}

NntpEngineEvent NntpEngine::overviewFormatOrCompress() {
  if (capabilitiesKnown_ && (capabilities_.offers(NntpCapability::Over) ||
                             capabilities_.offersList("OVERVIEW.FMT"))) {
    send("LIST OVERVIEW.FMT", NntpLoginStep::OverviewFormat);
    return {};
  }
  return compressOrDone();
}

NntpEngineEvent NntpEngine::overviewFormatData(const NntpEvent& data) {
  ForEachNntpLine(data.text, [this](std::string_view line) {
    listedFormat_.add(line);
    return true;
  });
  if (!data.last) return {};
  // A list naming none of the fields tells nothing: the default order stays.
  if (listedFormat_.lastColumn() > 0) overviewFormat_ = listedFormat_;
  return compressOrDone();
}

NntpEngineEvent NntpEngine::compressOrDone() {
  if (step_ != NntpLoginStep::Compress && settings_.compress && capabilitiesKnown_ &&
      capabilities_.compressDeflate()) {
    send("COMPRESS DEFLATE", NntpLoginStep::Compress);
    return {};
  }
  step_ = NntpLoginStep::Done;
  return eventOf(NntpEngineEvent::Kind::LoggedIn);
}

void NntpEngine::startCompression() {
  compressor_ = std::make_unique<Compressor>();
  decompressor_ = std::make_unique<Decompressor>();
  // Bytes that came with the 206 were compressed already.
  const std::string rest = framer_.takeUnframed();
  const std::string_view inflated = decompressor_->feed(rest);
  plainBytes_ += static_cast<std::int64_t>(inflated.size()) - static_cast<std::int64_t>(rest.size());
  framer_.receive(inflated);
}

NntpEngineEvent NntpEngine::refuse(int code, std::string_view line) {
  step_ = NntpLoginStep::Refused;
  NntpEngineEvent event = eventOf(NntpEngineEvent::Kind::LoginRefused);
  event.code = code;
  event.line = line;
  return event;
}

void NntpEngine::send(std::string_view line, NntpLoginStep step) {
  step_ = step;
  command(line);
}

void NntpEngine::command(std::string_view line) {
  framer_.expect(ClassifyNntpCommand(line));
  output_.append(line);
  output_.append("\r\n");
}

void NntpEngine::sendRaw(std::string_view bytes) { output_.append(bytes); }

std::string NntpEngine::takeOutput() {
  std::string out;
  out.swap(output_);
  if (compressor_ && !out.empty()) out = std::string(compressor_->compress(out));
  return out;
}

}  // namespace orvel
