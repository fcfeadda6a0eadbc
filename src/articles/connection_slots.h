#pragma once
// The two connection slots of a group view. Everything the view asks of a
// server (headers, articles, heads, batch retrieval, searches, cancels, the
// resumption of a broken download) is one request: a purpose, an argument
// (usually an article record) and a routine that sends the command. A
// request borrows a pool connection into a free slot, connects and logs in
// when needed, selects the view's group first when the purpose or the
// connection needs it, then runs its routine. The data of the reply comes
// back to the view's owner, by purpose; the issuing side ends the request
// with ReleaseSocket once it has seen the end of its data.
//
// Failures: a connection failure (code 10000 or more, or a text saying
// "time...out") moves articles to the next alternative server (the list
// wraps), or ends the request with close and a chance to resume; a server
// refusal moves article requests to the next alternative (no wrap) and
// marks the article Missing after the last one, and is only reported for
// the other purposes. Resumption: released requests that may resume join
// the pending set and a one-second timer counts up from -AutoResumeDelay
// (from 0 after a time-out or for a retry on another server); at 0 the
// pending requests are issued again.
//
// The slots belong to one view, run on the event-loop thread and tolerate
// being re-entered from any connection event (a routine may release its
// slot, a handler may issue a new request).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "config/alt_servers.h"
#include "core/clock.h"
#include "core/perlre.h"
#include "core/prompter.h"
#include "net/connection_pool.h"

namespace orvel {

class GroupViewObserver;
class TArticle;
struct MainState;

// Request kinds of a group view (1 and 7 are the group list's).
enum class Purpose : std::uint8_t {
  None = 0,
  GroupList = 1,
  Headers = 2,
  Article = 3,
  ArticleById = 4,
  ResumeHeaders = 5,
  Search = 6,
  Batch = 8,
  Cancel = 9,
  Head = 10,
};

// The purposes that ask for an article or its head.
inline bool IsArticlePurpose(Purpose p) {
  return p == Purpose::Article || p == Purpose::ArticleById || p == Purpose::Head;
}
inline bool IsHeaderPurpose(Purpose p) {
  return p == Purpose::Headers || p == Purpose::ResumeHeaders;
}
inline std::uint16_t PurposeBit(Purpose p) {
  return static_cast<std::uint16_t>(1u << static_cast<unsigned>(p));
}

// Sends the request's command on a connection that is logged in (and in the
// view's group when the purpose needs it). Called exactly once per attempt.
using RequestRoutine = std::function<void(TNNTP&)>;

struct SlotRequest {
  Purpose purpose = Purpose::None;
  TArticle* article = nullptr;  // the request argument
  RequestRoutine routine;
};

// How ReleaseSocket ends a request.
struct ReleaseOptions {
  bool close = false;             // close the connection
  bool resetProgress = false;     // clear the progress bar (else set it to 0)
  bool tryResume = false;         // the request may resume...
  bool resumeOnAnyError = false;  // ...after any failure, not only connection failures
  bool retryNow = false;          // issue it again at the next tick (another server)
};

struct SlotSettings {
  bool autoResume = true;       // AutoResume
  int autoResumeDelaySec = 20;  // AutoResumeDelay, 1..1800 (0 counts as 1)
  // How many times the slots retry after connection failures, resumptions
  // and other servers together; negative: no limit (the window, whose
  // person can stop the countdown).
  int maxRetries = -1;
};

// What the slots need from the view that owns them. The data hooks receive
// the request whose connection raised the event. The owner may issue,
// release and reissue requests inside any hook; it destroys the slots only
// outside them.
class SlotOwner {
 public:
  virtual ~SlotOwner() = default;

  virtual void RequestDataBegin(TNNTP& connection, const SlotRequest& request) = 0;
  virtual void RequestData(TNNTP& connection, const SlotRequest& request) = 0;
  virtual void RequestBeginPost(TNNTP& connection, const SlotRequest& request) = 0;
  virtual void RequestEndPost(TNNTP& connection, const SlotRequest& request) = 0;
  // The request left its slot (the download state ends, the fetching flags
  // of an article request are cleared).
  virtual void RequestReleased(const SlotRequest& request) = 0;
  // An article request (3, 4, 10) was refused: no free slot.
  virtual void RequestRefused(Purpose purpose) = 0;

  // A batch runs; its operation retrieves articles (alternative servers
  // apply to it then).
  virtual bool BatchRunning() const = 0;
  virtual bool BatchRetrieving() const = 0;
  // A local folder view reports the errors of purposes 2, 5 and 6 in the
  // progress line and goes on with its search list.
  virtual bool QuietMode(Purpose purpose) const = 0;
  virtual void QuietFailureNext() = 0;
  // Whether a broken header download may resume (not in the search-list and
  // stop modes), and as which purpose (2 from the start, 5 to continue).
  virtual bool HeaderResumeAllowed() const = 0;
  virtual Purpose HeaderResumePurpose() const = 0;

  // The article of a request was refused by the last server (430, 423, or
  // any refusal in a batch): it gets Missing and a batch goes on.
  virtual void ArticleMissing(const SlotRequest& request) = 0;
  // A reply error of a resumption: go on with its next step.
  virtual void ResumptionNextStep(TNNTP& connection) = 0;
  // The batch drops the connection it was fed from (before a retry), or is
  // stopped for a restart by the resumption.
  virtual void BatchForgetConnection() = 0;
  virtual void BatchStopForRestart() = 0;
  // Purpose 1 failed: the view closes.
  virtual void CloseOnError() = 0;

  // The resumption timer reached 0: issue the pending requests again.
  virtual void ReissueArticle(Purpose purpose, TArticle* article) = 0;
  virtual void ReissueHeaders(Purpose purpose) = 0;
  virtual void ReissueBatch() = 0;

  // The stop command's batch questions were answered Yes.
  virtual void BatchStopAfterFile() = 0;
  virtual void BatchPauseAfterPart() = 0;
};

// Keys held with the stop command.
struct StopKeys {
  bool ctrl = false;
  bool shift = false;
};

class ConnectionSlots {
 public:
  static constexpr int kSlotCount = 2;

  ConnectionSlots(ConnectionPool& pool, Clock& clock, Prompter& prompter, SlotOwner& owner,
                  GroupViewObserver& observer, SlotSettings settings = {});
  ~ConnectionSlots();
  ConnectionSlots(const ConnectionSlots&) = delete;
  ConnectionSlots& operator=(const ConnectionSlots&) = delete;

  // The view's own server and group; main gives the alternative servers
  // (none without it).
  void SetView(std::shared_ptr<TProfile> profile, std::string group, MainState* main);
  // A chosen server for the requests of a local folder view (null: none).
  void SetExplicitProfile(std::shared_ptr<TProfile> profile) { explicit_ = std::move(profile); }
  void SetSettings(const SlotSettings& settings) { settings_ = settings; }
  void SetObserver(GroupViewObserver& observer) { observer_ = &observer; }

  // Starts a request; true when its routine ran at once (the connection was
  // ready, in the right group when needed).
  bool GetFreeSocket(Purpose purpose, TArticle* argument, RequestRoutine routine);
  // Ends the request of connection's slot.
  void ReleaseSocket(TNNTP& connection, ReleaseOptions options);
  // Closing the view: both slots are released with their connections closed,
  // and nothing resumes.
  void ReleaseAll();

  // What the issuing side shows in the progress bar for its request.
  void SetAction(TNNTP& connection, std::string action);
  void SetProgress(TNNTP& connection, std::int64_t position, std::int64_t maximum);

  // The stop command (Escape): cancels a resumption countdown, then asks
  // about a posting, the batch or each taken slot.
  void Stop(StopKeys keys = {});
  void CancelResumption();
  // A purpose no longer waits for the resumption (it was issued otherwise).
  void DropPending(Purpose purpose) {
    pending_ = static_cast<std::uint16_t>(pending_ & ~PurposeBit(purpose));
  }

  // State, for menus, tests and the issuing side.
  bool Taken(int slot) const { return slots_[static_cast<std::size_t>(slot)].connection != nullptr; }
  bool AnyTaken() const { return Taken(0) || Taken(1); }
  bool Serving(Purpose purpose) const;
  TNNTP* Connection(int slot) const { return slots_[static_cast<std::size_t>(slot)].connection; }
  const SlotRequest* RequestOf(const TNNTP& connection) const;
  // 1-based slot number of a connection, 0 when it holds none.
  int SlotNumber(const TNNTP& connection) const;
  std::uint16_t PendingSet() const { return pending_; }
  bool Pending(Purpose purpose) const;
  TArticle* PendingArticle() const { return pendingArticle_; }
  bool ResumptionRunning() const { return resumeTimer_->isActive(); }
  // Retries made after connection failures; whether one was refused because
  // maxRetries were made.
  int Retries() const { return retries_; }
  bool RetriesExhausted() const { return retriesExhausted_; }
  // A server answered GROUP for the view's group (or a pooled connection
  // was already in it).
  bool GroupAccepted() const { return groupAccepted_; }
  int ResumeCounter() const { return resumeCounter_; }
  TAltServs* AltServers() { return alt_.get(); }
  bool AlternativesInUse() const { return alt_ && alt_->inUse(); }
  const std::shared_ptr<TProfile>& OwnProfile() const { return profile_; }

  // Whether a purpose may use the alternative servers now.
  bool MayUseAlternatives(Purpose purpose) const;

 private:
  struct Slot {
    TNNTP* connection = nullptr;
    SlotRequest request;
    std::string wantedGroup;
    bool ownServer = true;
    std::string action;
    std::int64_t position = 0;
    std::int64_t maximum = 0;
    int lastError = 0;
  };

  Slot* slotOf(const TNNTP& connection);
  const Slot* slotOf(const TNNTP& connection) const;
  int indexOf(const Slot& slot) const;
  void install(TNNTP& connection);
  void selectGroup(Slot& slot);
  void runRoutine(Slot& slot);
  void showProgress(const Slot& slot);
  void SwitchOffAlternatives();
  void refreshStopButton();

  // Connection events.
  void onConnected(TNNTP& connection);
  void onBanner(TNNTP& connection);
  void onGroup(TNNTP& connection);
  void onDataBegin(TNNTP& connection);
  void onData(TNNTP& connection);
  void onBeginPost(TNNTP& connection);
  void onEndPost(TNNTP& connection);
  void onDisconnected(TNNTP& connection);
  // slot_errors.cpp
  void onError(TNNTP& connection, int code, const std::string& text);
  bool isConnectionFailure(int code, std::string_view text);
  void connectionFailure(Slot& slot, const std::string& text, bool quiet);
  void replyError(Slot& slot, int code, const std::string& text, bool quiet);
  void reportError(const std::string& text, bool progressLine);

  // slot_resumption.cpp
  void scheduleResumption(const SlotRequest& request, bool immediate, bool retryNow);
  // Counts a retry after a connection failure; false when none is left.
  bool takeRetry();
  void resumptionTick();
  void reissuePending();
  void killSlot(int index);

  ConnectionPool& pool_;
  Clock& clock_;
  Prompter& prompter_;
  SlotOwner& owner_;
  GroupViewObserver* observer_;
  SlotSettings settings_;
  std::shared_ptr<TProfile> profile_;
  std::shared_ptr<TProfile> explicit_;
  std::string group_;
  MainState* main_ = nullptr;
  std::unique_ptr<TAltServs> alt_;
  std::array<Slot, kSlotCount> slots_;
  TPerlre timeoutPattern_{true, TPerlre::kCaseless};
  bool greetingShown_ = false;
  bool groupAccepted_ = false;
  int retries_ = 0;
  bool retriesExhausted_ = false;

  std::uint16_t pending_ = 0;
  TArticle* pendingArticle_ = nullptr;
  int resumeCounter_ = 0;
  std::unique_ptr<Timer> resumeTimer_;
};

}  // namespace orvel
