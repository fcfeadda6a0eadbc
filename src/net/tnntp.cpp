#include "net/tnntp.h"

#include <algorithm>

#include "core/text.h"
#include "net/connection_pool.h"
#include "net/socket_errors.h"

namespace orvel {

namespace {

bool isLoginState(NNTPState s) {
  return s == NNTPState::AwaitingGreeting || s == NNTPState::AwaitingModeReader ||
         s == NNTPState::AwaitingUser || s == NNTPState::AwaitingPassword;
}

// States in which the connection waits for the server.
bool isWaitingState(NNTPState s) {
  return s != NNTPState::Idle && s != NNTPState::Ready && s != NNTPState::LoginFailed &&
         s != NNTPState::Connecting;
}

bool opensData(NNTPState s) {
  return s == NNTPState::AwaitingOverview || s == NNTPState::AwaitingHeaders ||
         s == NNTPState::AwaitingPattern || s == NNTPState::AwaitingList ||
         s == NNTPState::AwaitingHead || s == NNTPState::AwaitingArticle;
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
  }
  return "?";
}

TNNTP::TNNTP(NetPlatform& platform, Clock& clock, Prompter& prompter, ConnectionPool* pool,
             NNTPOptions options)
    : TLineSock(platform),
      clock_(clock),
      prompter_(prompter),
      pool_(pool),
      options_(options),
      timer_(clock.createTimer([this] { transferTimeout(); })),
      alive_(std::make_shared<bool>(true)) {}

TNNTP::~TNNTP() {
  *alive_ = false;
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
  const auto alive = alive_;
  const auto session = session_;
  const Event handler = event;  // the owner may replace its handlers meanwhile
  handler(*this);
  return *alive && session_ == session;
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
  buffer_.clear();
  lastReply_.clear();
  currentGroup_.clear();
  SetLastErrorCode(0);
  stopTimer();
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
  StartConnect(profile_->host, profile_->effectivePort(), tls);
}

void TNNTP::Close() {
  stopTimer();
  buffer_.clear();
  lastReply_.clear();
  currentGroup_.clear();
  state_ = NNTPState::Idle;
  ++session_;
  Deactivate();
}

void TNNTP::SocketConnected() {
  buffer_.clear();
  state_ = NNTPState::AwaitingGreeting;
  raise(OnConnected);
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
  state_ = state;
  const std::int64_t interval = std::int64_t{options_.xferTimeOutSec} * 1000;
  switch (timer) {
    case TimerUse::Start: prepareTimer(true, interval); break;
    case TimerUse::Prepare: prepareTimer(false, interval); break;
    case TimerUse::Stop: stopTimer(); break;
  }
  SendLine(line);
  return true;
}

void TNNTP::Group(const std::string& name) {
  requestedGroup_ = name;
  command(NNTPState::AwaitingGroup, TimerUse::Start, "GROUP " + name);
}

void TNNTP::Xover(std::int64_t first, std::int64_t last, bool timed) {
  const std::string line = first == last ? format("XOVER %lld", static_cast<long long>(first))
                                         : format("XOVER %lld-%lld", static_cast<long long>(first),
                                                  static_cast<long long>(last));
  command(NNTPState::AwaitingOverview, timed ? TimerUse::Start : TimerUse::Prepare, line);
}

void TNNTP::Xhdr(const std::string& header, std::int64_t first, std::int64_t last, bool timed) {
  const std::string line =
      first == last ? format("XHDR %s %lld", header.c_str(), static_cast<long long>(first))
                    : format("XHDR %s %lld-%lld", header.c_str(), static_cast<long long>(first),
                             static_cast<long long>(last));
  command(NNTPState::AwaitingHeaders, timed ? TimerUse::Start : TimerUse::Prepare, line);
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
  block += '.';
  SendLine(block);
}

void TNNTP::SendPreparedArticle(std::string_view block) {
  if (block.size() >= 2 && block.substr(block.size() - 2) == "\r\n") block.remove_suffix(2);
  SendLine(block);
}

void TNNTP::Quit() {
  if (!IsConnected()) return;
  if (state_ != NNTPState::Ready && state_ != NNTPState::LoginFailed) return;
  command(NNTPState::AwaitingQuit, TimerUse::Stop, "QUIT");
}

void TNNTP::ConsumeBuffer(std::size_t count) { buffer_.erase(0, std::min(count, buffer_.size())); }

void TNNTP::SetReady() {
  state_ = NNTPState::Ready;
  stopTimer();
}

// ---------------------------------------------------------------- reading

void TNNTP::SocketRead(std::string_view bytes) {
  const auto alive = alive_;
  const auto session = session_;

  if (timer_->isActive()) {
    if (isWaitingState(state_)) {
      timer_->start(std::chrono::milliseconds(timerIntervalMs_), TimerMode::SingleShot);
    } else {
      stopTimer();
    }
  }

  const std::size_t before = buffer_.size();
  buffer_.append(bytes);
  buffer_.erase(std::remove(buffer_.begin() + static_cast<std::ptrdiff_t>(before), buffer_.end(), '\0'),
                buffer_.end());
  const std::size_t arrived = buffer_.size() - before;

  if (state_ == NNTPState::InData) {
    if (!deliverData(arrived)) return;
  } else {
    const std::size_t start = buffer_.find_first_not_of("\r\n");
    if (start == std::string::npos) {
      buffer_.clear();
      return;
    }
    // A status line ends at LF, or at a CR followed by anything but LF; a
    // CR at the very end waits for the next byte.
    std::size_t end = start;
    while (end < buffer_.size() && buffer_[end] != '\n' &&
           !(buffer_[end] == '\r' && end + 1 < buffer_.size() && buffer_[end + 1] != '\n')) {
      ++end;
    }
    if (end >= buffer_.size()) {
      if (buffer_.size() - start > kMaxStatusLine) {
        protocolFailure(format("Ligne de statut trop longue (plus de %zu octets) de %s",
                               kMaxStatusLine, host().c_str()));
      }
      return;
    }
    std::string line = buffer_.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > kMaxStatusLine) {
      protocolFailure(format("Ligne de statut trop longue (plus de %zu octets) de %s",
                             kMaxStatusLine, host().c_str()));
      return;
    }
    buffer_.erase(0, end + 1);
    const std::string code = line.substr(0, line.find_first_of(" \t"));
    lastReply_ = line;
    if (!dispatch(line, code)) return;
    if (state_ != NNTPState::InData) buffer_.clear();
  }
  if (!*alive || session_ != session) return;
  if (!isWaitingState(state_)) stopTimer();
}

bool TNNTP::dispatch(const std::string& line, const std::string& code) {
  const char first = line.empty() ? '\0' : line[0];
  switch (state_) {
    case NNTPState::AwaitingGreeting:
      if (first != '2') break;
      greeting_ = line;
      postingAllowed_ = line.rfind("200", 0) == 0;
      state_ = NNTPState::AwaitingModeReader;
      SendLine("MODE READER");
      return true;
    case NNTPState::AwaitingModeReader:
    case NNTPState::AwaitingUser:
    case NNTPState::AwaitingPassword:
      return loginStep(code);
    case NNTPState::AwaitingGroup:
      if (first != '2') break;
      groupReply(line);
      state_ = NNTPState::Ready;
      return raise(OnGroup);
    case NNTPState::AwaitingPostGoAhead:
      if (first != '3') break;
      state_ = NNTPState::AwaitingPostResult;
      return raise(OnBeginPost);
    case NNTPState::AwaitingPostResult:
      if (first != '2') break;
      state_ = NNTPState::Ready;
      return raise(OnEndPost);
    case NNTPState::AwaitingStat:
      if (first != '2' && code != "430") break;
      statFound_ = first == '2';
      state_ = NNTPState::Ready;
      return raise(OnStat);
    case NNTPState::AwaitingQuit: {
      // The server closes after QUIT: drop the connection now so that no
      // owner picks it up as a live one.
      Close();
      lastReply_ = line;
      raise(OnQuit);
      return false;
    }
    case NNTPState::Idle:
    case NNTPState::Connecting:
    case NNTPState::Ready:
    case NNTPState::LoginFailed:
    case NNTPState::InData:
      return true;
    default:
      if (!opensData(state_)) return true;
      if (first != '2' &&
          !(state_ == NNTPState::AwaitingHeaders && startsWithNoCase(line, "(none)"))) {
        break;
      }
      if (state_ == NNTPState::AwaitingArticle) {
        articleNumber_ = wordNumber(words(line), 1).value_or(0);
      }
      state_ = NNTPState::InData;
      if (!raise(OnDataBegin)) return false;
      if (state_ != NNTPState::InData) return true;
      return deliverData(buffer_.size());
  }
  fail(code, line);
  return false;
}

bool TNNTP::loginStep(const std::string& code) {
  switch (state_) {
    case NNTPState::AwaitingModeReader:
      // Any reply will do: some servers refuse MODE READER and still serve.
      if (!profile_->userName.empty()) {
        state_ = NNTPState::AwaitingUser;
        SendLine("AUTHINFO USER " + profile_->userName);
        return true;
      }
      state_ = NNTPState::Ready;
      return raise(OnBanner);
    case NNTPState::AwaitingUser: {
      if (code != "381") break;
      state_ = NNTPState::AwaitingPassword;
      const auto password = passwordForLogin();
      if (!password) return false;
      SendLine("AUTHINFO PASS " + *password);
      return true;
    }
    case NNTPState::AwaitingPassword:
      if (code != "281") {
        profile_->promptedPassword.clear();
        break;
      }
      state_ = NNTPState::Ready;
      return raise(OnBanner);
    default:
      return true;
  }
  fail(code, lastReply_);
  return false;
}

std::optional<std::string> TNNTP::passwordForLogin() {
  if (!profile_->password.empty()) return profile_->password;
  if (!profile_->promptedPassword.empty()) return profile_->promptedPassword;
  // The person may take longer than the time-out to answer, and the GUI's
  // dialog runs events meanwhile: the connection may end or go away.
  stopTimer();
  const auto alive = alive_;
  const auto session = session_;
  const auto profile = profile_;
  const std::string prompt = "Mot de passe pour: " + profile->host;
  std::optional<std::string> answer;
  do {
    answer = prompter_.inputText("Le Mot de passe ?", prompt, {}, InputMode::Masked);
  } while (answer && trimView(*answer).empty());
  if (answer) profile->promptedPassword = *answer;
  if (!*alive || session_ != session || state_ != NNTPState::AwaitingPassword) return std::nullopt;
  prepareTimer(true, kConnectTimeoutMs);
  return answer.value_or(std::string());
}

void TNNTP::groupReply(const std::string& line) {
  const auto w = words(line);
  count_ = wordNumber(w, 1).value_or(0);
  first_ = wordNumber(w, 2).value_or(1);
  last_ = wordNumber(w, 3).value_or(first_ + count_);
  if (first_ < 1) first_ = 1;
  if (last_ < first_) std::swap(first_, last_);
  // A reply without the name still selected the group asked for.
  currentGroup_ = w.size() > 4 ? std::string(w[4]) : requestedGroup_;
}

bool TNNTP::deliverData(std::size_t arrived) {
  if (buffer_.empty()) return true;
  receivedBytes_ += static_cast<std::int64_t>(arrived);
  if (!raise(OnData)) return false;
  if (state_ == NNTPState::InData && buffer_.size() > kMaxPendingData) {
    protocolFailure(format("Ligne de données trop longue (plus de %zu octets) de %s",
                           kMaxPendingData, host().c_str()));
    return false;
  }
  return true;
}

void TNNTP::fail(const std::string& code, const std::string& line) {
  if (IsConnected()) state_ = isLoginState(state_) ? NNTPState::LoginFailed : NNTPState::Ready;
  const auto number = parseDecimal(code);
  const int value = number && *number >= 0 && *number <= 999999 ? static_cast<int>(*number) : 0;
  SetLastErrorCode(value);
  buffer_.clear();
  stopTimer();
  RaiseError(value, line);
}

void TNNTP::protocolFailure(const std::string& text) {
  // The stream cannot be followed any more: drop it, then tell the owner.
  Close();
  SetLastErrorCode(neterr::kProtocolError);
  RaiseError(neterr::kProtocolError, text);
}

}  // namespace orvel
