#include "net/tnntp.h"

#include <algorithm>
#include <utility>

#include "core/text.h"
#include "net/connection_pool.h"
#include "net/socket_errors.h"

namespace orvel {

namespace {

bool isLoginState(NNTPState s) {
  switch (s) {
    case NNTPState::AwaitingGreeting:
    case NNTPState::AwaitingCapabilities:
    case NNTPState::AwaitingStartTls:
    case NNTPState::AwaitingModeReader:
    case NNTPState::AwaitingUser:
    case NNTPState::AwaitingPassword:
    case NNTPState::AwaitingCompress:
    case NNTPState::AwaitingOverviewFormat:
      return true;
    default:
      return false;
  }
}

// States in which the connection waits for the server.
bool isWaitingState(NNTPState s) {
  return s != NNTPState::Idle && s != NNTPState::Ready && s != NNTPState::LoginFailed &&
         s != NNTPState::Connecting;
}

NNTPState loginState(NntpLoginStep step) {
  switch (step) {
    case NntpLoginStep::Greeting: return NNTPState::AwaitingGreeting;
    case NntpLoginStep::Capabilities: return NNTPState::AwaitingCapabilities;
    case NntpLoginStep::StartTls:
    case NntpLoginStep::TlsHandshake: return NNTPState::AwaitingStartTls;
    case NntpLoginStep::ModeReader: return NNTPState::AwaitingModeReader;
    case NntpLoginStep::User: return NNTPState::AwaitingUser;
    case NntpLoginStep::PasswordWanted:
    case NntpLoginStep::Password: return NNTPState::AwaitingPassword;
    case NntpLoginStep::OverviewFormat: return NNTPState::AwaitingOverviewFormat;
    case NntpLoginStep::Compress: return NNTPState::AwaitingCompress;
    case NntpLoginStep::Done: return NNTPState::Ready;
    case NntpLoginStep::Refused: return NNTPState::LoginFailed;
  }
  return NNTPState::Idle;
}

// Words of a status line, split at blanks and tabs.
std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

std::optional<std::int64_t> wordNumber(const std::vector<std::string_view>& w, std::size_t i) {
  if (i >= w.size()) return std::nullopt;
  return parseDecimal(w[i]);
}

bool offered(const NntpEngine& engine, NntpCapability capability) {
  return engine.capabilitiesKnown() && engine.capabilities().offers(capability);
}

// "first" or "first-last".
std::string rangeText(std::int64_t first, std::int64_t last) {
  return first == last ? format("%lld", static_cast<long long>(first))
                       : format("%lld-%lld", static_cast<long long>(first), static_cast<long long>(last));
}

}  // namespace

const char* StateName(NNTPState state) {
  switch (state) {
    case NNTPState::Idle: return "idle";
    case NNTPState::Connecting: return "connecting";
    case NNTPState::AwaitingGreeting: return "awaiting greeting";
    case NNTPState::Ready: return "ready";
    case NNTPState::AwaitingGroup: return "awaiting group";
    case NNTPState::AwaitingUser: return "awaiting user reply";
    case NNTPState::AwaitingPassword: return "awaiting password reply";
    case NNTPState::AwaitingModeReader: return "awaiting mode reader";
    case NNTPState::AwaitingOverview: return "awaiting overview";
    case NNTPState::AwaitingPattern: return "awaiting pattern";
    case NNTPState::AwaitingHeaders: return "awaiting headers";
    case NNTPState::InData: return "in data";
    case NNTPState::AwaitingArticle: return "awaiting article";
    case NNTPState::AwaitingHead: return "awaiting head";
    case NNTPState::AwaitingList: return "awaiting list";
    case NNTPState::AwaitingPostGoAhead: return "awaiting post go-ahead";
    case NNTPState::AwaitingPostResult: return "awaiting post result";
    case NNTPState::LoginFailed: return "login failed";
    case NNTPState::AwaitingQuit: return "awaiting quit";
    case NNTPState::AwaitingStat: return "awaiting stat";
    case NNTPState::AwaitingCapabilities: return "awaiting capabilities";
    case NNTPState::AwaitingStartTls: return "awaiting starttls";
    case NNTPState::AwaitingCompress: return "awaiting compress";
    case NNTPState::AwaitingOverviewFormat: return "awaiting overview format";
  }
  return "?";
}

TNNTP::TNNTP(NetPlatform& platform, Clock& clock, ConnectionPool* pool, NNTPOptions options)
    : TLineSock(platform),
      clock_(clock),
      pool_(pool),
      options_(options),
      timer_(clock.createTimer([this] { transferTimeout(); })) {}

TNNTP::~TNNTP() {
  RemoveEvents();
  Close();
}

void TNNTP::RemoveEvents() {
  OnConnected = OnBanner = OnGroup = OnDataBegin = OnData = OnBeginPost = OnEndPost = OnQuit = OnStat =
      OnDisconnected = nullptr;
  OnError = nullptr;
}

bool TNNTP::raise(const Event& event) {
  if (!event) return true;
  const auto session = session_;
  const Event handler = event;  // the owner may replace its handlers meanwhile
  handler(*this);
  return session_ == session;
}

bool TNNTP::RaiseError(int code, const std::string& text) {
  if (!OnError) return false;
  const ErrorEvent handler = OnError;
  handler(*this, code, text);
  return true;
}

bool TNNTP::RaiseDisconnected() {
  if (!OnDisconnected) return false;
  const Event handler = OnDisconnected;
  handler(*this);
  return true;
}

// ---------------------------------------------------------------- timer

void TNNTP::prepareTimer(bool enable, std::int64_t intervalMs) {
  timerIntervalMs_ = intervalMs;
  receivedBytes_ = 0;
  startTick_ = clock_.tickMs();
  // A zero interval is never enabled: XferTimeOut 0 means no time-out.
  if (enable && intervalMs > 0) {
    timer_->start(std::chrono::milliseconds(intervalMs), TimerMode::SingleShot);
  } else {
    timer_->stop();
  }
}

void TNNTP::stopTimer() { timer_->stop(); }

void TNNTP::transferTimeout() {
  stopTimer();
  SetLastErrorCode(neterr::kTransferTimeout);
  if (!RaiseError(neterr::kTransferTimeout, "Transfer timeout")) Close();
}

// ---------------------------------------------------------------- connection

void TNNTP::Connect() {
  if (!profile_) throw ENNTPError("TNNTP::Connect without a profile");
  lastReply_.clear();
  currentGroup_.clear();
  SetLastErrorCode(0);
  stopTimer();
  passwordAsked_ = false;
  ++session_;

  const int maximum = options_.maxConnPerServer;
  const int inUse = (pool_ ? pool_->countInUse(*profile_, this) : 0) + 1;
  if (inUse > maximum) {
    SetLastErrorCode(neterr::kTooManyConnections);
    const std::string text = format("Trop de connections simultanées;   Maximum=%d", maximum);
    if (!RaiseError(neterr::kTooManyConnections, text)) throw ENNTPError(text);
    return;
  }

  state_ = NNTPState::Connecting;
  prepareTimer(true, kConnectTimeoutMs);
  TlsOptions tls;
  tls.enabled = profile_->tls;
  tls.peerName = trim(profile_->host);
  tls.caFile = profile_->caFile;
  tls.mayStartTls = profile_->startTls && !profile_->tls;
  StartConnect(profile_->host, profile_->effectivePort(), tls);
}

void TNNTP::Close() {
  stopTimer();
  passwordAsked_ = false;
  lastReply_.clear();
  currentGroup_.clear();
  state_ = NNTPState::Idle;
  awaiting_.clear();
  inData_ = dataWanted_ = false;
  ++session_;
  Deactivate();
}

void TNNTP::SocketConnected() {
  NntpLoginSettings login;
  login.userName = profile_->userName;
  login.extensions = profile_->extensions;
  // STARTTLS on a stream that is TLS already would be refused by the server.
  login.startTls = profile_->startTls && !profile_->tls;
  login.compress = profile_->compress && profile_->extensions;
  engine_.connected(login);
  awaiting_.clear();
  inData_ = dataWanted_ = false;
  state_ = NNTPState::AwaitingGreeting;
  raise(OnConnected);
}

void TNNTP::SocketTlsReady() {
  engine_.tlsStarted();
  flush();
  pump();
}

void TNNTP::SocketDisconnected() {
  // The stream is gone: a pending time-out would only report it twice.
  stopTimer();
  TLineSock::SocketDisconnected();
}

void TNNTP::SocketError(int code, const std::string& text) {
  stopTimer();
  TLineSock::SocketError(code, text);
}

// ---------------------------------------------------------------- commands

bool TNNTP::command(NNTPState state, TimerUse timer, const std::string& line) {
  if (!IsConnected()) {
    state_ = NNTPState::Idle;
    SetLastErrorCode(neterr::kNotConnected);
    RaiseError(neterr::kNotConnected, "10002 Not connected");
    return false;
  }
  if (!inData_) state_ = state;
  awaiting_.push_back(state);
  const std::int64_t interval = std::int64_t{options_.xferTimeOutSec} * 1000;
  switch (timer) {
    case TimerUse::Start: prepareTimer(true, interval); break;
    case TimerUse::Prepare: prepareTimer(false, interval); break;
    case TimerUse::Stop: stopTimer(); break;
  }
  engine_.command(line);
  flush();
  return true;
}

void TNNTP::Group(const std::string& name) {
  requestedGroup_ = name;
  command(NNTPState::AwaitingGroup, TimerUse::Start, "GROUP " + name);
}

int TNNTP::pipelineDepth() const {
  // Servers of RFC 3977 (those answering CAPABILITIES) must take pipelined
  // commands; older ones get one command at a time.
  if (!engine_.capabilitiesKnown() || !profile_) return 1;
  return std::clamp(profile_->pipelining, 1, TProfile::kMaxPipelining);
}

bool TNNTP::offers(NntpCapability capability) const { return offered(engine_, capability); }

const char* TNNTP::overviewVerb() const { return offers(NntpCapability::Over) ? "OVER" : "XOVER"; }

const char* TNNTP::headerVerb() const { return offers(NntpCapability::Hdr) ? "HDR" : "XHDR"; }

void TNNTP::Xover(std::int64_t first, std::int64_t last, bool timed) {
  command(NNTPState::AwaitingOverview, timed ? TimerUse::Start : TimerUse::Prepare,
          std::string(overviewVerb()) + " " + rangeText(first, last));
}

void TNNTP::Xhdr(const std::string& header, std::int64_t first, std::int64_t last, bool timed) {
  command(NNTPState::AwaitingHeaders, timed ? TimerUse::Start : TimerUse::Prepare,
          std::string(headerVerb()) + " " + header + " " + rangeText(first, last));
}

void TNNTP::Xpat(const std::string& arguments) {
  command(NNTPState::AwaitingPattern, TimerUse::Prepare, "XPAT " + arguments);
}

void TNNTP::List(const std::string& since) {
  command(NNTPState::AwaitingList, TimerUse::Start,
          since.empty() ? std::string("LIST") : "NEWGROUPS " + since + " GMT");
}

void TNNTP::Head(std::int64_t number) { Head(std::to_string(number)); }

void TNNTP::Head(const std::string& messageId) {
  command(NNTPState::AwaitingHead, TimerUse::Start, "HEAD " + messageId);
}

void TNNTP::Article(std::int64_t number) { Article(std::to_string(number)); }

void TNNTP::Article(const std::string& messageId) {
  // Nothing calls back when the command is sent, so this is still alive.
  if (command(NNTPState::AwaitingArticle, TimerUse::Start, "ARTICLE " + messageId)) {
    articleNumber_ = -1;
  }
}

void TNNTP::Post() { command(NNTPState::AwaitingPostGoAhead, TimerUse::Stop, "POST"); }

void TNNTP::Stat(const std::string& messageId) {
  command(NNTPState::AwaitingStat, TimerUse::Stop, "STAT " + messageId);
}

void TNNTP::SendArticle(std::string_view text) {
  std::string block;
  block.reserve(text.size() + text.size() / 32 + 8);
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line.front() == '.') block += '.';
    block.append(line);
    block.append("\r\n");
    pos = end + 1;
  }
  block += ".\r\n";
  SendPreparedArticle(block);
}

void TNNTP::SendPreparedArticle(std::string_view block) {
  if (!IsConnected()) return;
  engine_.sendRaw(block);
  if (block.size() < 2 || block.substr(block.size() - 2) != "\r\n") engine_.sendRaw("\r\n");
  flush();
}

void TNNTP::Quit() {
  if (!IsConnected()) return;
  if (state_ != NNTPState::Ready && state_ != NNTPState::LoginFailed) return;
  command(NNTPState::AwaitingQuit, TimerUse::Stop, "QUIT");
}

void TNNTP::flush() {
  const std::string out = engine_.takeOutput();
  if (!out.empty()) SendBytes(out);
}

// ---------------------------------------------------------------- reading

void TNNTP::SocketRead(std::string_view bytes) {
  if (timer_->isActive()) {
    if (isWaitingState(state_)) {
      timer_->start(std::chrono::milliseconds(timerIntervalMs_), TimerMode::SingleShot);
    } else {
      stopTimer();
    }
  }
  engine_.receive(bytes);
  pump();
}

bool TNNTP::pump() {
  const auto session = session_;
  while (true) {
    const NntpEngineEvent event = engine_.next();
    flush();  // the login's own commands
    if (event.kind == NntpEngineEvent::Kind::None) break;
    const bool goOn = handle(event);
    if (session_ != session) return false;
    flush();
    if (!goOn) return false;
  }
  followLogin();
  if (!isWaitingState(state_)) stopTimer();
  return true;
}

bool TNNTP::handle(const NntpEngineEvent& event) {
  switch (event.kind) {
    case NntpEngineEvent::Kind::None: return true;
    case NntpEngineEvent::Kind::LoggedIn:
      state_ = NNTPState::Ready;
      return raise(OnBanner);
    case NntpEngineEvent::Kind::PasswordWanted:
      followLogin();
      return passwordWanted();
    case NntpEngineEvent::Kind::StartTls:
      followLogin();
      StartTls();
      return true;
    case NntpEngineEvent::Kind::LoginRefused:
      if (state_ == NNTPState::AwaitingPassword) profile_->promptedPassword.clear();
      lastReply_ = event.line;
      fail(event.code, event.line);
      return false;
    case NntpEngineEvent::Kind::Broken:
      if (event.line.empty()) {
        protocolFailure(format("%s trop longue (plus de %zu octets) de %s",
                               event.dataLine ? "Ligne de données" : "Ligne de statut",
                               event.dataLine ? kMaxPendingData : kMaxStatusLine, host().c_str()));
      } else {
        protocolFailure(format("Flux compressé illisible de %s: %s", host().c_str(),
                               std::string(event.line).c_str()));
      }
      return false;
    case NntpEngineEvent::Kind::Reply: {
      lastReply_ = event.line;
      NNTPState waiting = NNTPState::Ready;
      if (!awaiting_.empty()) {
        waiting = awaiting_.front();
        awaiting_.pop_front();
      }
      return dispatch(waiting, event);
    }
    case NntpEngineEvent::Kind::Data: return data(event);
  }
  return true;
}

void TNNTP::followLogin() {
  if (isLoginState(state_) || state_ == NNTPState::Connecting) state_ = loginState(engine_.step());
}

bool TNNTP::dispatch(NNTPState waiting, const NntpEngineEvent& reply) {
  const std::string_view line = reply.line;
  const int code = reply.code;
  const bool positive = code / 100 == 2;
  if (reply.multiLine) {
    inData_ = true;
    // Each reply to a command reaches the owner in order; one nobody asked
    // for is read to its end and dropped.
    dataWanted_ = waiting != NNTPState::Ready;
    if (!dataWanted_) return true;
    if (waiting == NNTPState::AwaitingArticle) {
      articleNumber_ = wordNumber(words(line), 1).value_or(0);
    }
    state_ = NNTPState::InData;
    return raise(OnDataBegin);
  }
  switch (waiting) {
    case NNTPState::AwaitingOverview:
    case NNTPState::AwaitingHeaders:
      // OVER and HDR of a range without articles are refused with 423 where
      // XOVER and XHDR give an empty list: both are an empty list to the owner.
      // The verb sent is the one the capabilities chose.
      if (code == 423 && offered(engine_, waiting == NNTPState::AwaitingOverview
                                              ? NntpCapability::Over
                                              : NntpCapability::Hdr)) {
        return emptyReply();
      }
      break;
    case NNTPState::AwaitingGroup:
      if (!positive) break;
      groupReply(line);
      replyDone();
      return raise(OnGroup);
    case NNTPState::AwaitingPostGoAhead:
      if (code / 100 != 3) break;
      state_ = NNTPState::AwaitingPostResult;
      awaiting_.push_front(NNTPState::AwaitingPostResult);
      return raise(OnBeginPost);
    case NNTPState::AwaitingPostResult:
      if (!positive) break;
      replyDone();
      return raise(OnEndPost);
    case NNTPState::AwaitingStat:
      if (!positive && code != 430) break;
      statFound_ = positive;
      replyDone();
      return raise(OnStat);
    case NNTPState::AwaitingQuit: {
      // The server closes after QUIT: drop the connection now so that no
      // owner picks it up as a live one.
      const std::string said(line);
      Close();
      lastReply_ = said;
      raise(OnQuit);
      return false;
    }
    case NNTPState::Ready:
      // A reply before any command.
      return true;
    default:
      break;
  }
  fail(code, line);
  // Replies to commands sent behind the refused one may have arrived with
  // it: they are read now, unless the owner dropped the connection.
  return IsConnected();
}

bool TNNTP::data(const NntpEngineEvent& event) {
  if (event.last) {
    inData_ = false;
    if (dataWanted_) replyDone();
  }
  if (!dataWanted_) return true;
  if (event.last) dataWanted_ = false;
  receivedBytes_ += static_cast<std::int64_t>(event.data.size());
  data_ = event.data;
  dataEnded_ = event.last;
  return raiseData();
}

bool TNNTP::raiseData() {
  const bool goOn = raise(OnData);
  data_ = {};  // the view ends with the event
  return goOn;
}

bool TNNTP::emptyReply() {
  state_ = NNTPState::InData;
  if (!raise(OnDataBegin)) return false;
  replyDone();
  data_ = ".\r\n";
  dataEnded_ = true;
  return raiseData();
}

void TNNTP::replyDone() {
  state_ = awaiting_.empty() ? NNTPState::Ready : awaiting_.back();
  if (state_ == NNTPState::Ready) stopTimer();
}

bool TNNTP::passwordWanted() {
  const std::string& known =
      !profile_->password.empty() ? profile_->password : profile_->promptedPassword;
  if (!known.empty() || !OnPasswordWanted) {
    engine_.password(known);
    return true;
  }
  // The person may take longer than the time-out to answer.
  stopTimer();
  passwordAsked_ = true;
  return raise(OnPasswordWanted);
}

void TNNTP::AnswerPassword(std::string_view password) {
  if (!std::exchange(passwordAsked_, false)) return;
  if (state_ != NNTPState::AwaitingPassword || !IsConnected()) return;
  prepareTimer(true, kConnectTimeoutMs);
  engine_.password(password);
  flush();
  pump();
}

void TNNTP::groupReply(std::string_view line) {
  const auto w = words(line);
  count_ = wordNumber(w, 1).value_or(0);
  first_ = wordNumber(w, 2).value_or(1);
  last_ = wordNumber(w, 3).value_or(first_ + count_);
  if (first_ < 1) first_ = 1;
  if (last_ < first_) std::swap(first_, last_);
  // A reply without the name still selected the group asked for.
  currentGroup_ = w.size() > 4 ? std::string(w[4]) : requestedGroup_;
}

void TNNTP::fail(int code, std::string_view line) {
  if (IsConnected()) {
    if (isLoginState(state_)) {
      state_ = NNTPState::LoginFailed;
    } else {
      replyDone();
    }
  }
  const int value = code >= 0 && code <= 999999 ? code : 0;
  SetLastErrorCode(value);
  stopTimer();
  RaiseError(value, std::string(line));
}

void TNNTP::protocolFailure(const std::string& text) {
  // The stream cannot be followed any more: drop it, then tell the owner.
  Close();
  SetLastErrorCode(neterr::kProtocolError);
  RaiseError(neterr::kProtocolError, text);
}

}  // namespace orvel
