#pragma once
// The header download of a group view: which article numbers to ask for, in
// which ranges, and the chain of XHDR and XOVER commands that fetches them.
//
// A download starts on the GROUP reply (XOverBegin): the group numbers are
// taken (a lower low mark shifts the four bit sets so every bit keeps its
// article; the high mark only grows), the first download of the view loads
// the store, the mode and the dialog decide the start, the end limit, the
// per-download limit and the action, and AdvanceXover cuts the first range.
// Each range is one XHDR per extra header name, then one XOVER; the reply
// lines go to ParseXHDR and ParseXOVER, which drop lines outside the range.
// At the end of a range every number of it that came neither as a header nor
// was excluded becomes excluded (the server does not have it), and the next
// range is cut, until the limit, the end limit or the high mark is reached.
//
// Commands go out pipelined up to the connection's depth: the XHDRs and the
// XOVER of a range, and the next ranges cut ahead while earlier replies
// stream in. A per-download limit counts what arrived, so ranges are cut
// ahead only while the numbers they ask for stay within it.
// Pipelined by OVER (and HDR, with extra headers), a range spans at most
// pipelinedRange numbers, so the server works on the next piece while the
// last one streams in. A piece of a sparse group may hold no article: OVER
// and HDR refuse it with 423, which reads as an empty list, where the
// refusal of XOVER or XHDR is an error.
// Replies come in order; each is parsed against its own command's numbers.
// When the connection leaves mid-download, the state goes back to the
// oldest command whose reply did not end, so a resumption starts there.
//
// AdvanceXover bridges small gaps: a run of at most DefragGapSize numbers to
// skip, drawn from a budget of ten times that per range, stays inside the
// range (those numbers are excluded, so their replies are discarded).
//
// The engine owns no connection and no list: the group view gives it the
// connection of its slot, the XoverView with the sets and lists, and the
// host below for what lies outside (store, dialog, threading, release).

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "articles/xover.h"

namespace orvel {

class TNNTP;

// Download modes (the "download mode" of the view).
enum class DownloadMode : std::int32_t {
  Normal = 0,
  AfterDialog = 2,
  DialogAsked = 3,
  DialogThreshold = 4,
  ReloadAll = 5,
  SearchList = 6,
  Stop = 7,
};

// The dialog's "Action" choices.
enum class XoverAction : std::int32_t {
  CleanAndLoad = 0,   // "Nettoyer les lus, charger les en-têtes"
  ReloadUnread = 1,   // "Recharger sauf les articles lus"
  LoadWithRead = 2,   // "Charger y compris les articles lus"
  CleanOnly = 3,      // "Nettoyer seulement les articles lus"
};

struct DownloadSettings {
  std::int32_t defragGapSize = 20;     // DefragGapSize
  std::int64_t gapBudget = 200;        // ten times DefragGapSize (Settings::defragGapBudget)
  std::int32_t promptThreshold = 50000;  // PromptThreshold; 0 or less: never ask
  // The most numbers one range spans when commands are pipelined: INN reads
  // a whole range before it answers the first line.
  std::int32_t pipelinedRange = 10000;
};

// How a download ended.
enum class DownloadEnd {
  Stopped,    // before any range: cancelled dialog, action 3, stop mode, empty search list
  Unchanged,  // nothing to ask for: "Groupe inchangé."
  Finished,   // its ranges ran: "Pret!"
};

// What the dialog (TfmXOVER) stores on OK.
struct XoverChoice {
  std::int32_t limit = 0;        // per-download limit, 0: none
  std::int32_t startNumber = 0;
  std::int32_t endLimit = -1;    // -1: up to the high mark
  XoverAction action = XoverAction::ReloadUnread;
};

class HeaderDownloadHost {
 public:
  virtual ~HeaderDownloadHost() = default;
  // The first download since the view opened: read state into the sets,
  // then the store (threaded at once when it held headers).
  virtual void FirstDownload() = 0;
  // Shows TfmXOVER for mode 3 or 4; on OK the choice is given back through
  // HeaderDownload::ApplyChoice. False when cancelled.
  virtual bool ShowDownloadDialog(DownloadMode mode) = 0;
  // Action 0 or 3 changed read marks of loaded articles.
  virtual void ReadMarksChanged() = 0;
  // A GROUP reply moved the low mark down or the high mark up: the sets
  // now cover numbers outside oldLow..oldHigh, whose marks are clear.
  virtual void NumbersWidened(std::int32_t oldLow, std::int32_t oldHigh) = 0;
  // A command was sent for the range: progress text and maximum.
  virtual void CommandSent(TNNTP& connection, const std::string& action) = 0;
  // A block of reply lines was parsed.
  virtual void LinesParsed(TNNTP& connection) = 0;
  // The download ended; the connection is still the slot's (the host
  // releases it).
  virtual void DownloadEnded(TNNTP& connection, DownloadEnd end) = 0;
};

class HeaderDownload {
 public:
  HeaderDownload(XoverView& view, HeaderDownloadHost& host, DownloadSettings settings = {});

  void SetSettings(const DownloadSettings& settings) { settings_ = settings; }

  // ---- The group numbers, from each GROUP reply.
  // Takes low, high and count (step 1 of XOverBegin); the sets are sized.
  void TakeGroupNumbers(std::int64_t first, std::int64_t last, std::int64_t count);
  // Whether the sets have a low mark yet (a GROUP reply or the store).
  bool NumbersKnown() const { return numbersKnown_; }
  // The store was loaded and the read state taken without a download (a view
  // opened on stored headers only): the first download must not do it again.
  void SetFirstDownloadDone() { firstDone_ = true; }
  void SetNumbersKnown() { numbersKnown_ = true; }
  std::int32_t Low() const { return view_.lowMark; }
  std::int32_t High() const { return high_; }
  std::int32_t ServerLow() const { return serverLow_; }
  std::int32_t Count() const { return count_; }
  std::int32_t Unread() const { return unread_; }
  void SetHigh(std::int32_t high) { high_ = high; }

  // ---- A download on a connection in the view's group.
  // XOverBegin: the GROUP reply of purpose 2.
  void XOverBegin(TNNTP& connection);
  // The GROUP reply of purpose 5: goes on with the broken range.
  void ResumeBegin(TNNTP& connection);
  // A reply error during a resumption: the failed command's step is skipped.
  void SkipStep(TNNTP& connection);
  // OnData of the download's connection.
  void Data(TNNTP& connection);
  // The connection left its slot: the download state ends.
  void Released();

  // ---- The mode and the dialog's choice.
  DownloadMode Mode() const { return mode_; }
  void SetMode(DownloadMode mode) { mode_ = mode; }
  void ApplyChoice(const XoverChoice& choice);
  std::int32_t Limit() const { return limit_; }
  std::int32_t EndLimit() const { return endLimit_; }
  std::int32_t StartNumber() const { return startNumber_; }
  XoverAction Action() const { return action_; }
  void SetLimits(std::int32_t limit, std::int32_t endLimit) {
    limit_ = limit;
    endLimit_ = endLimit;
  }
  // The sorted numbers of a server search (mode 6).
  void SetSearchList(std::vector<std::int32_t> numbers);

  // ---- Ranges.
  // Cuts the next range from rangeStart: rangeEnd is -1 when nothing is left.
  void AdvanceXover();
  // Whether AdvanceXover passes over a number.
  bool Skip(std::int32_t number) const;
  std::int32_t RangeStart() const { return rangeStart_; }
  std::int32_t RangeEnd() const { return rangeEnd_; }
  void SetRange(std::int32_t start, std::int32_t end) {
    rangeStart_ = start;
    rangeEnd_ = end;
  }
  // The last range a download asked for (-1 before any).
  std::int32_t LastRangeEnd() const { return lastRangeEnd_; }
  // End-of-range bookkeeping: every number of the range neither present nor
  // excluded becomes excluded.
  void ExcludeMissing();
  // Numbers in from..to (clipped to the sets) that are not present.
  std::int64_t NotPresent(std::int32_t from, std::int32_t to) const;
  // Numbers in from..to that would be asked for now.
  std::int64_t Wanted(std::int32_t from, std::int32_t to) const;

  // A range is being fetched (a broken download resumes as purpose 5).
  bool Interrupted() const { return interrupted_; }
  bool Active() const { return active_; }
  // The widest number span the sets take; a wider GROUP reply keeps its top.
  static constexpr std::int64_t kLargestRange = std::int64_t{1} << 28;

 private:
  // A command whose reply has not ended: an XHDR of one extra header
  // (extra is its index in extraNames) or the XOVER of a range (extra -1).
  struct SentCommand {
    std::int32_t first = 0;  // the numbers asked for
    std::int32_t last = 0;
    std::int32_t rangeStart = 0;  // the range it belongs to
    std::int32_t rangeEnd = 0;
    std::int32_t extra = -1;
    std::size_t searchFirst = 0;  // where its range began in the search list
    std::int64_t rangeWanted = 0;  // numbers of the range asked for
  };

  // Steps 3 to 9 of XOverBegin: false when the download ends before a range.
  bool plan(DownloadEnd& end);
  bool nextSearchRange();
  void markFromStart();
  // Takes the connection's depth and whether ranges are cut into pieces.
  void useConnection(const TNNTP& connection);
  // Numbers asked for by the XOVERs in flight.
  std::int64_t wantedAhead() const;
  // Sends the commands of the current range from extra on.
  void startRange(TNNTP& connection, std::int32_t extra, std::int32_t xhdrFirst);
  // Sends commands up to the depth, cutting ranges as they are used up;
  // ends the download when nothing is left to send or to receive.
  void fill(TNNTP& connection);
  bool cutNextRange();
  void sendNext(TNNTP& connection, std::int32_t xhdrFirst);
  void announce(TNNTP& connection, const SentCommand& command);
  void commandDone(TNNTP& connection, const SentCommand& command);
  void excludeMissing(std::int32_t from, std::int32_t to);
  // Back to the oldest command whose reply did not end.
  void rewind();
  void finish(TNNTP& connection, DownloadEnd end);
  void clearFrom(BitSet& set, std::int32_t fromBit);

  XoverView& view_;
  HeaderDownloadHost& host_;
  DownloadSettings settings_;
  XoverSource source_;

  bool numbersKnown_ = false;
  bool firstDone_ = false;
  bool lowDropped_ = false;  // the next download starts at the new low mark
  std::int32_t serverLow_ = 0;
  std::int32_t high_ = -1;
  std::int32_t count_ = 0;
  std::int32_t unread_ = 0;

  DownloadMode mode_ = DownloadMode::Normal;
  XoverAction action_ = XoverAction::ReloadUnread;
  std::int32_t startNumber_ = 0;
  std::int32_t endLimit_ = -1;
  std::int32_t limit_ = 0;
  std::vector<std::int32_t> searchList_;
  std::size_t searchPosition_ = 0;
  std::size_t searchRangeFirst_ = 0;  // where the current range began in the list

  std::int32_t rangeStart_ = -1;
  std::int32_t rangeEnd_ = -1;
  std::int32_t lastRangeEnd_ = -1;
  std::int64_t rangeWanted_ = 0;  // numbers of the current range asked for
  std::deque<SentCommand> sent_;
  std::size_t depth_ = 1;
  bool pieces_ = false;  // ranges are cut at pipelinedRange
  // The next command of the current range: an XHDR index, or the XOVER at
  // extraNames.size(); past it the range is all sent.
  std::int32_t nextExtra_ = 0;
  bool rangesLeft_ = false;  // a range may follow the current one
  bool inXhdr_ = false;      // the command to resume is an XHDR
  bool active_ = false;
  bool interrupted_ = false;
};

// Texts of the download.
inline constexpr const char* kGroupUnchangedText = "Groupe inchangé.";
inline constexpr const char* kReadyText = "Pret!";
inline constexpr const char* kLoadingText = "Chargement........";

}  // namespace orvel
