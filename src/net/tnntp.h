#pragma once
// TNNTP: the NNTP client of one server connection. The protocol is the
// socket-free NntpEngine (net/nntp_engine.h); TNNTP is its transport
// adapter: it connects through the line socket, feeds the engine what
// arrives, sends what the engine gives, runs the TLS handshake of STARTTLS
// and the transfer timer, and turns replies into the owner's events. The
// owner calls one operation per command and never touches the socket.
//
// Connect runs: lookup, TCP (and TLS) connect, then the engine's login
// (greeting, CAPABILITIES, STARTTLS, MODE READER, AUTHINFO, LIST
// OVERVIEW.FMT, COMPRESS, as the profile and the server allow), and raises
// OnBanner in the ready state. A password the profile lacks is an event,
// OnPasswordWanted, answered later with AnswerPassword: the connection never
// asks the person itself. Each command sets a waiting state; its
// status line either completes it (GROUP, POST, QUIT) or opens the data of a
// multi-line reply: OnDataBegin, then OnData for each arrival of whole lines
// (data(), with dataEnded() on the one holding the "." line, after which the
// connection is ready again). A refused reply raises OnError with the reply
// code and line; during login it leaves the connection in LoginFailed.
//
// A transfer timer guards every wait: 45 s from Connect to the end of the
// login, then XferTimeOut seconds per command (0: none), restarted whenever
// bytes arrive. Owners may release, close or reconnect the connection from
// inside any event: the handlers check for it after each call out. The
// connection itself outlives its events: the pool destroys its connections
// only with itself.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "config/profile.h"
#include "core/clock.h"
#include "net/nntp_engine.h"
#include "net/tline_sock.h"

namespace orvel {

class ConnectionPool;

enum class NNTPState : std::uint8_t {
  Idle = 0,
  Connecting = 1,
  AwaitingGreeting = 2,
  Ready = 3,
  AwaitingGroup = 4,
  AwaitingUser = 5,
  AwaitingPassword = 6,
  AwaitingModeReader = 7,
  AwaitingOverview = 8,
  AwaitingPattern = 9,
  AwaitingHeaders = 10,
  InData = 11,
  AwaitingArticle = 12,
  AwaitingHead = 14,
  AwaitingList = 15,
  AwaitingPostGoAhead = 16,
  AwaitingPostResult = 17,
  LoginFailed = 18,
  AwaitingQuit = 19,
  AwaitingStat = 20,
  AwaitingCapabilities = 21,
  AwaitingStartTls = 22,
  AwaitingCompress = 23,
  AwaitingOverviewFormat = 24,
};

const char* StateName(NNTPState state);

// Settings the connections take from the program's settings.
struct NNTPOptions {
  int maxConnPerServer = 4;  // MaxConnPerServer, 1 to 4
  int xferTimeOutSec = 30;   // XferTimeOut, 0 to 1800; 0: no transfer time-out
};

class ENNTPError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TNNTP final : public TLineSock {
 public:
  static constexpr int kConnectTimeoutMs = 45000;
  // Longest status line accepted; longer is a broken server.
  static constexpr std::size_t kMaxStatusLine = NntpReplyFramer::kDefaultMaxStatusLine;
  // Longest data line accepted.
  static constexpr std::size_t kMaxPendingData = NntpReplyFramer::kDefaultMaxDataLine;

  // pool: the pool the connection belongs to (the connection limit counts
  // its connections), or null for a connection of its own.
  TNNTP(NetPlatform& platform, Clock& clock, ConnectionPool* pool = nullptr, NNTPOptions options = {});
  ~TNNTP() override;

  using Event = std::function<void(TNNTP&)>;
  using ErrorEvent = std::function<void(TNNTP&, int code, const std::string& text)>;
  Event OnConnected, OnBanner, OnGroup, OnDataBegin, OnData, OnBeginPost, OnEndPost, OnQuit,
      OnStat, OnDisconnected;
  ErrorEvent OnError;
  // Removes the owner's events above; OnPasswordWanted stays.
  void RemoveEvents();

  // The login needs a password that neither the profile nor an earlier
  // prompt gave: the connection waits in AwaitingPassword, without a
  // time-out, until AnswerPassword. The pool sets it for the connections it
  // makes; without it, an empty password is sent, which the server refuses.
  Event OnPasswordWanted;
  // The password for the login that is waiting; ignored when none is (the
  // connection was closed or reconnected meanwhile).
  void AnswerPassword(std::string_view password);

  void setProfile(std::shared_ptr<TProfile> profile) { profile_ = std::move(profile); }
  const std::shared_ptr<TProfile>& profile() const { return profile_; }
  void setOptions(const NNTPOptions& options) { options_ = options; }
  const NNTPOptions& options() const { return options_; }

  // Connection and commands. Each command on a connection that is not
  // connected raises OnError 10002 "10002 Not connected" and sends nothing.
  void Connect();
  void Group(const std::string& name);
  void Xover(std::int64_t first, std::int64_t last, bool timed = true);
  void Xhdr(const std::string& header, std::int64_t first, std::int64_t last, bool timed = true);
  void Xpat(const std::string& arguments);
  // since: "yymmdd hhnnss" in GMT, or empty for the whole list.
  void List(const std::string& since = {});
  void Head(std::int64_t number);
  void Head(const std::string& messageId);
  void Article(std::int64_t number);
  void Article(const std::string& messageId);
  void Post();
  // Whether the server has the article: OnStat follows with statFound()
  // (223) or not (430); other replies are errors.
  void Stat(const std::string& messageId);
  // The article after OnBeginPost: lines as given (dot-stuffed here), then ".".
  void SendArticle(std::string_view text);
  // The same for an article already dot-stuffed, with CR LF after each line
  // and ending with the "." line.
  void SendPreparedArticle(std::string_view block);
  void Quit();
  void Close() override;

  bool IsBusy() const { return IsConnected() && state_ != NNTPState::Ready; }
  NNTPState state() const { return state_; }

  // For the OnData handler: the whole lines of the reply that arrived, as
  // sent (dot-stuffed, with their line ends); the block that ends the reply
  // ends with the "." line, and dataEnded() is true. Valid during the event.
  std::string_view data() const { return data_; }
  bool dataEnded() const { return dataEnded_; }
  // The protocol state: what the server offers and what the login chose.
  const NntpEngine& engine() const { return engine_; }
  // How many commands an owner may have sent whose replies have not ended:
  // the profile's depth on a server that answered CAPABILITIES, else 1.
  int pipelineDepth() const;
  // Whether the server listed the capability (false before CAPABILITIES).
  bool offers(NntpCapability capability) const;
  // The overview command Xover sends: OVER where the server lists it.
  const char* overviewVerb() const;
  // The header command Xhdr sends: HDR where the server lists it.
  const char* headerVerb() const;
  // The field order of the server's overview lines (from LIST OVERVIEW.FMT).
  const OverviewFormat& overviewFormat() const { return engine_.overviewFormat(); }

  // What the replies said.
  const std::string& greeting() const { return engine_.greeting(); }
  bool postingAllowed() const { return engine_.postingAllowed(); }
  const std::string& currentGroup() const { return currentGroup_; }
  std::int64_t first() const { return first_; }
  std::int64_t last() const { return last_; }
  std::int64_t count() const { return count_; }
  std::int64_t articleNumber() const { return articleNumber_; }
  bool statFound() const { return statFound_; }
  const std::string& lastReply() const { return lastReply_; }
  // Bytes of multi-line data received since the transfer timer last started,
  // and the tick of that start: for transfer rates.
  std::int64_t receivedBytes() const { return receivedBytes_; }
  std::int64_t startTick() const { return startTick_; }

  // Owner's bookkeeping, set by whoever holds the connection.
  std::uint8_t purpose = 0;
  bool inUse = false;

 private:
  enum class TimerUse { Start, Prepare, Stop };

  bool command(NNTPState state, TimerUse timer, const std::string& line);
  void prepareTimer(bool enable, std::int64_t intervalMs);
  void stopTimer();
  void transferTimeout();

  void SocketConnected() override;
  void SocketRead(std::string_view bytes) override;
  void SocketTlsReady() override;
  void SocketDisconnected() override;
  void SocketError(int code, const std::string& text) override;
  bool RaiseError(int code, const std::string& text) override;
  bool RaiseDisconnected() override;

  // Handles the engine's events until it needs bytes. Returns false when
  // `this` or its session ended during an event.
  bool pump();
  bool handle(const NntpEngineEvent& event);
  void flush();
  void followLogin();
  // The status line of an owner command, in the state that sent it.
  bool dispatch(NNTPState waiting, const NntpEngineEvent& reply);
  bool data(const NntpEngineEvent& event);
  bool raiseData();
  bool emptyReply();
  void groupReply(std::string_view line);
  bool passwordWanted();
  void replyDone();
  void fail(int code, std::string_view line);
  void protocolFailure(const std::string& text);

  // Calls an owner event; false when the event ended the connection's
  // session (Close, Connect).
  bool raise(const Event& event);

  Clock& clock_;
  ConnectionPool* pool_;
  NNTPOptions options_;
  std::shared_ptr<TProfile> profile_;
  std::unique_ptr<Timer> timer_;
  std::uint64_t session_ = 0;  // bumped by Close and Connect
  bool passwordAsked_ = false;  // OnPasswordWanted raised, not answered yet

  NntpEngine engine_;
  NNTPState state_ = NNTPState::Idle;
  // The states of the commands sent whose replies have not begun; the owner
  // waits for the last one.
  std::deque<NNTPState> awaiting_;
  bool inData_ = false;       // a data block is being received
  bool dataWanted_ = false;   // ... and its owner still wants it
  std::string_view data_;
  bool dataEnded_ = false;
  std::string lastReply_;
  std::string currentGroup_;
  std::string requestedGroup_;
  bool statFound_ = false;
  std::int64_t first_ = 0, last_ = 0, count_ = 0;
  std::int64_t articleNumber_ = 0;
  std::int64_t receivedBytes_ = 0;
  std::int64_t startTick_ = 0;
  std::int64_t timerIntervalMs_ = 0;
};

}  // namespace orvel
