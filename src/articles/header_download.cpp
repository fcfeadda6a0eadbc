#include "articles/header_download.h"

#include <algorithm>

#include "core/text.h"
#include "net/tnntp.h"

namespace orvel {

namespace {

std::int32_t clampNumber(std::int64_t n) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 0, INT32_MAX));
}

std::string rangeText(const char* command, std::int32_t a, std::int32_t b) {
  return a == b ? format("%s %d", command, a) : format("%s %d-%d", command, a, b);
}

}  // namespace

HeaderDownload::HeaderDownload(XoverView& view, HeaderDownloadHost& host, DownloadSettings settings)
    : view_(view), host_(host), settings_(settings) {}

// ---------------------------------------------------------------- numbers

void HeaderDownload::TakeGroupNumbers(std::int64_t first, std::int64_t last, std::int64_t count) {
  // An empty group's "211 0 1 0" reads as first 0, last 1 once the marks are
  // put in order: its low mark is the last number, and nothing is asked.
  const bool empty = count <= 0 && last - first <= 1;
  std::int32_t low = clampNumber(empty ? last : first);
  const std::int32_t high = empty ? std::max(high_, low - 1) : clampNumber(last);
  // A reply spanning more numbers than the sets may hold keeps its top part.
  if (static_cast<std::int64_t>(high) - low + 1 > kLargestRange) {
    low = static_cast<std::int32_t>(high - kLargestRange + 1);
  }
  serverLow_ = low;
  count_ = clampNumber(count);
  const bool known = numbersKnown_;
  const std::int32_t oldLow = view_.lowMark;
  const std::int32_t oldHigh = high_;
  if (!numbersKnown_) {
    view_.lowMark = low;
    numbersKnown_ = true;
  } else if (low < view_.lowMark &&
             static_cast<std::int64_t>(std::max(high_, high)) - low + 1 <= kLargestRange) {
    // Every bit keeps its article: the sets grow at the front.
    const std::int32_t shift = view_.lowMark - low;
    for (BitSet* set : {&view_.presentSet, &view_.readSet, &view_.keptSet, &view_.excludedSet}) {
      set->prependClear(shift);
    }
    view_.lowMark = low;
    lowDropped_ = true;
  }
  high_ = std::max(high_, high);
  view_.SizeSets(view_.lowMark, high_);
  if (known && (view_.lowMark < oldLow || high_ > oldHigh)) {
    host_.NumbersWidened(oldLow, oldHigh);
  }
  const std::int64_t span = static_cast<std::int64_t>(high_) - view_.lowMark + 1;
  const std::int64_t read = span > 0 ? view_.readSet.count() : 0;
  unread_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(span - read, 0, count_));
}

std::int64_t HeaderDownload::NotPresent(std::int32_t from, std::int32_t to) const {
  from = std::max(from, view_.lowMark);
  to = std::min(to, high_);
  if (to < from) return 0;
  std::int64_t present = 0;
  const std::int32_t last = to - view_.lowMark;
  for (std::int32_t i = view_.presentSet.findSet(from - view_.lowMark); i >= 0 && i <= last;
       i = view_.presentSet.findSet(i + 1)) {
    ++present;
  }
  return static_cast<std::int64_t>(to) - from + 1 - present;
}

std::int64_t HeaderDownload::Wanted(std::int32_t from, std::int32_t to) const {
  from = std::max(from, view_.lowMark);
  to = std::min(to, high_);
  std::int64_t n = 0;
  for (std::int64_t k = from; k <= to; ++k) n += Skip(static_cast<std::int32_t>(k)) ? 0 : 1;
  return n;
}

// ---------------------------------------------------------------- ranges

bool HeaderDownload::Skip(std::int32_t number) const {
  const std::int32_t bit = number - view_.lowMark;
  if (view_.presentSet.test(bit)) return true;
  if (mode_ == DownloadMode::SearchList) return false;
  if (view_.excludedSet.test(bit)) return true;
  return action_ != XoverAction::LoadWithRead && view_.readSet.test(bit);
}

void HeaderDownload::AdvanceXover() {
  rangeStart_ = std::max(rangeStart_, view_.lowMark);
  while (Skip(rangeStart_) && rangeStart_ < high_) ++rangeStart_;
  if (Skip(rangeStart_) || rangeStart_ > high_) {
    rangeEnd_ = -1;
    return;
  }
  const std::int64_t added = view_.added + wantedAhead();
  std::int64_t wanted = 1;
  std::int32_t gapStart = -1;  // first number of the gap run the range is in
  std::int32_t gapRun = 0;
  std::int64_t budget = settings_.gapBudget;
  rangeEnd_ = rangeStart_;
  while (rangeEnd_ < high_) {
    if (endLimit_ >= 0 && rangeEnd_ >= endLimit_) break;
    if (limit_ > 0 && added + wanted >= limit_) break;
    if (pieces_ && rangeEnd_ - rangeStart_ + 1 >= settings_.pipelinedRange) break;
    const std::int32_t next = rangeEnd_ + 1;
    if (!Skip(next)) {
      rangeEnd_ = next;
      ++wanted;
      gapStart = -1;
      gapRun = 0;
      continue;
    }
    if (gapRun >= settings_.defragGapSize || budget <= 0) break;
    if (gapRun == 0) gapStart = next;
    ++gapRun;
    --budget;
    rangeEnd_ = next;
  }
  // A range never ends on numbers it skips.
  if (gapStart >= 0) rangeEnd_ = gapStart - 1;
  rangeWanted_ = wanted;
  // The bridged numbers are excluded so that their replies are dropped.
  for (std::int64_t n = rangeStart_; n <= rangeEnd_; ++n) {
    const auto bit = static_cast<std::int32_t>(n - view_.lowMark);
    if (Skip(static_cast<std::int32_t>(n)) && !view_.presentSet.test(bit)) {
      view_.excludedSet.set(bit);
    }
  }
}

void HeaderDownload::SetSearchList(std::vector<std::int32_t> numbers) {
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  searchList_ = std::move(numbers);
  searchPosition_ = 0;
}

bool HeaderDownload::nextSearchRange() {
  while (searchPosition_ < searchList_.size() &&
         (searchList_[searchPosition_] < view_.lowMark ||
          searchList_[searchPosition_] > high_ || Skip(searchList_[searchPosition_]))) {
    ++searchPosition_;
  }
  if (searchPosition_ >= searchList_.size()) {
    rangeEnd_ = -1;
    return false;
  }
  searchRangeFirst_ = searchPosition_;
  rangeStart_ = rangeEnd_ = searchList_[searchPosition_++];
  while (searchPosition_ < searchList_.size() && searchList_[searchPosition_] == rangeEnd_ + 1 &&
         !Skip(searchList_[searchPosition_])) {
    rangeEnd_ = searchList_[searchPosition_++];
  }
  rangeWanted_ = static_cast<std::int64_t>(rangeEnd_) - rangeStart_ + 1;
  return true;
}

// ---------------------------------------------------------------- XOverBegin

void HeaderDownload::ApplyChoice(const XoverChoice& choice) {
  limit_ = std::max(choice.limit, 0);
  startNumber_ = choice.startNumber;
  endLimit_ = choice.endLimit;
  action_ = choice.action;
  mode_ = DownloadMode::AfterDialog;
}

void HeaderDownload::clearFrom(BitSet& set, std::int32_t fromBit) {
  for (std::int32_t i = set.findSet(std::max(fromBit, 0)); i >= 0; i = set.findSet(i + 1)) {
    set.reset(i);
  }
}

void HeaderDownload::markFromStart() {
  const std::int32_t startBit = startNumber_ - view_.lowMark;
  if (startBit > 0) view_.readSet.setRange(0, startBit - 1);
  clearFrom(view_.readSet, startBit);
  clearFrom(view_.excludedSet, startBit);
  std::int64_t unread = 0;
  for (TArticle* a : view_.lists.masterList) {
    if (!a) continue;
    const bool read = a->Number < startNumber_;
    a->SetRead(read);
    unread += read ? 0 : 1;
  }
  view_.unread = unread;
  host_.ReadMarksChanged();
}

bool HeaderDownload::plan(DownloadEnd& end) {
  end = DownloadEnd::Stopped;
  if (mode_ == DownloadMode::Stop) return false;
  if (mode_ == DownloadMode::SearchList) {
    searchPosition_ = 0;
    rangeEnd_ = -1;
    if (!nextSearchRange()) return false;
    view_.linesParsed = 0;
    view_.linesExpected = static_cast<std::int64_t>(searchList_.size());
    return true;
  }
  for (;;) {
    rangeStart_ = -1;
    if (mode_ == DownloadMode::ReloadAll) {
      mode_ = DownloadMode::AfterDialog;
      action_ = XoverAction::LoadWithRead;
      startNumber_ = view_.lowMark;
    }
    if (mode_ == DownloadMode::DialogAsked || mode_ == DownloadMode::DialogThreshold) {
      if (!host_.ShowDownloadDialog(mode_)) return false;
      mode_ = DownloadMode::AfterDialog;
    }
    if (mode_ == DownloadMode::AfterDialog) {
      startNumber_ = std::clamp(startNumber_, view_.lowMark, std::max(view_.lowMark, high_));
      if (action_ != XoverAction::CleanOnly) rangeStart_ = startNumber_;
      if (action_ == XoverAction::CleanAndLoad || action_ == XoverAction::CleanOnly) {
        markFromStart();
        unread_ = static_cast<std::int32_t>(
            NotPresent(startNumber_, endLimit_ >= 0 ? std::min(endLimit_, high_) : high_));
      }
      if (action_ == XoverAction::CleanOnly) return false;
    } else {
      mode_ = DownloadMode::Normal;
    }
    // Numbers below the old low mark are wanted too when it dropped.
    if (rangeStart_ < 0) {
      rangeStart_ = view_.highestSeen < 0 || lowDropped_ ? view_.lowMark : view_.highestSeen;
    }
    lowDropped_ = false;
    if (rangeStart_ > high_) {
      rangeEnd_ = -1;
    } else {
      AdvanceXover();
    }
    if (rangeEnd_ < 0) {
      end = DownloadEnd::Unchanged;
      return false;
    }
    unread_ = std::min(unread_, count_);
    view_.linesParsed = 0;
    const std::int64_t expected = limit_ > 0 ? limit_ : NotPresent(rangeStart_, high_);
    view_.linesExpected = std::min<std::int64_t>(expected, std::max(count_, 0));
    if (mode_ == DownloadMode::Normal && settings_.promptThreshold > 0 &&
        view_.linesExpected > settings_.promptThreshold) {
      mode_ = DownloadMode::DialogThreshold;
      continue;
    }
    return true;
  }
}

void HeaderDownload::XOverBegin(TNNTP& connection) {
  TakeGroupNumbers(connection.first(), connection.last(), connection.count());
  source_.groupName = connection.currentGroup();
  source_.serverName = connection.profile() ? connection.profile()->alias : std::string();
  useConnection(connection);
  active_ = true;
  interrupted_ = false;
  lastRangeEnd_ = -1;
  sent_.clear();
  if (!firstDone_) {
    firstDone_ = true;
    host_.FirstDownload();
  }
  DownloadEnd end;
  if (!plan(end)) {
    finish(connection, end);
    return;
  }
  const std::size_t want =
      view_.lists.masterList.size() + static_cast<std::size_t>(std::max<std::int64_t>(view_.linesExpected, 0));
  view_.lists.masterList.reserve(want);
  view_.lists.rootList.reserve(want);
  view_.lists.rowList.reserve(want);
  startRange(connection, 0, -1);
}

void HeaderDownload::ResumeBegin(TNNTP& connection) {
  TakeGroupNumbers(connection.first(), connection.last(), connection.count());
  useConnection(connection);
  active_ = true;
  rewind();
  if (rangeStart_ < 0 || rangeEnd_ < 0) {
    XOverBegin(connection);
    return;
  }
  if (inXhdr_) {
    // The XHDR of the current name starts again where its reply broke off.
    startRange(connection, static_cast<std::int32_t>(view_.extraIndex), view_.xhdrHighest);
    return;
  }
  if (mode_ == DownloadMode::SearchList) {
    searchPosition_ = searchRangeFirst_;
    if (!nextSearchRange()) {
      finish(connection, DownloadEnd::Finished);
      return;
    }
  } else {
    AdvanceXover();
    if (rangeEnd_ < 0) {
      finish(connection, DownloadEnd::Finished);
      return;
    }
  }
  startRange(connection, 0, -1);
}

void HeaderDownload::SkipStep(TNNTP& connection) {
  if (!active_ || rangeEnd_ < 0) {
    finish(connection, DownloadEnd::Finished);
    return;
  }
  if (sent_.empty()) {
    // Refused before the step's command went out again: the step is skipped.
    const auto extras = static_cast<std::int32_t>(view_.extraNames.size());
    const std::int32_t extra = inXhdr_ ? static_cast<std::int32_t>(view_.extraIndex) : -1;
    const SentCommand skipped{rangeStart_, rangeEnd_, rangeStart_, rangeEnd_, extra,
                              searchRangeFirst_, rangeWanted_};
    nextExtra_ = inXhdr_ ? extra + 1 : extras + 1;
    inXhdr_ = false;
    rangesLeft_ = true;
    commandDone(connection, skipped);
    return;
  }
  const SentCommand refused = sent_.front();
  sent_.pop_front();
  commandDone(connection, refused);
}

// ---------------------------------------------------------------- commands

void HeaderDownload::useConnection(const TNNTP& connection) {
  depth_ = static_cast<std::size_t>(connection.pipelineDepth());
  pieces_ = depth_ > 1 && connection.offers(NntpCapability::Over) &&
            (view_.extraNames.empty() || connection.offers(NntpCapability::Hdr));
}

std::int64_t HeaderDownload::wantedAhead() const {
  std::int64_t n = 0;
  for (const SentCommand& c : sent_) n += c.extra < 0 ? c.rangeWanted : 0;
  return n;
}

void HeaderDownload::startRange(TNNTP& connection, std::int32_t extra, std::int32_t xhdrFirst) {
  interrupted_ = true;
  inXhdr_ = false;
  nextExtra_ = extra;
  rangesLeft_ = true;
  if (xhdrFirst < 0) view_.xhdrHighest = -1;
  sendNext(connection, xhdrFirst);
  fill(connection);
}

bool HeaderDownload::cutNextRange() {
  const bool limitReached = limit_ > 0 && view_.added >= limit_;
  const bool endReached = (endLimit_ >= 0 && rangeEnd_ >= endLimit_) || rangeEnd_ >= high_;
  if (limitReached || endReached) return false;
  if (mode_ == DownloadMode::SearchList) return nextSearchRange();
  rangeStart_ = rangeEnd_ + 1;
  AdvanceXover();
  return rangeEnd_ >= 0;
}

void HeaderDownload::fill(TNNTP& connection) {
  const auto extras = static_cast<std::int32_t>(view_.extraNames.size());
  while (sent_.size() < depth_) {
    if (nextExtra_ > extras) {
      if (!rangesLeft_ || (limit_ > 0 && view_.added + wantedAhead() >= limit_)) break;
      rangesLeft_ = cutNextRange();
      if (!rangesLeft_) break;
      nextExtra_ = 0;
    }
    sendNext(connection, -1);
  }
  if (sent_.empty()) finish(connection, DownloadEnd::Finished);
}

void HeaderDownload::sendNext(TNNTP& connection, std::int32_t xhdrFirst) {
  const bool xhdr = nextExtra_ < static_cast<std::int32_t>(view_.extraNames.size());
  SentCommand command{rangeStart_, rangeEnd_, rangeStart_, rangeEnd_, xhdr ? nextExtra_ : -1,
                      searchRangeFirst_, rangeWanted_};
  ++nextExtra_;
  if (xhdr) {
    command.first = std::min(std::max(rangeStart_, xhdrFirst), rangeEnd_);
    view_.expectedArticles = view_.linesExpected;
    connection.Xhdr(view_.extraNames[static_cast<std::size_t>(command.extra)], command.first,
                    command.last);
  } else {
    connection.Xover(command.first, command.last);
  }
  sent_.push_back(command);
  if (sent_.size() == 1) announce(connection, command);
}

void HeaderDownload::announce(TNNTP& connection, const SentCommand& command) {
  const std::string verb =
      command.extra >= 0 ? "XHDR " + view_.extraNames[static_cast<std::size_t>(command.extra)]
                         : std::string("XOVER");
  host_.CommandSent(connection, rangeText(verb.c_str(), command.first, command.last));
}

void HeaderDownload::Data(TNNTP& connection) {
  if (sent_.empty()) return;
  const SentCommand& command = sent_.front();
  view_.acceptLow = command.first;
  view_.acceptHigh = command.last;
  bool done = false;
  if (command.extra >= 0) {
    view_.extraIndex = static_cast<std::size_t>(command.extra);
    ParseXHDR(view_, &source_, connection.data(), done);
  } else {
    ParseXOVER(view_, &source_, connection.data(), done);
  }
  host_.LinesParsed(connection);
  if (!connection.dataEnded()) return;
  const SentCommand ended = command;
  sent_.pop_front();
  commandDone(connection, ended);
}

void HeaderDownload::commandDone(TNNTP& connection, const SentCommand& command) {
  view_.xhdrHighest = -1;
  if (command.extra < 0) {
    excludeMissing(command.rangeStart, command.rangeEnd);
    lastRangeEnd_ = command.rangeEnd;
  }
  if (!sent_.empty()) announce(connection, sent_.front());
  fill(connection);
}

void HeaderDownload::ExcludeMissing() { excludeMissing(rangeStart_, rangeEnd_); }

void HeaderDownload::excludeMissing(std::int32_t from, std::int32_t to) {
  if (from < 0 || to < from) return;
  for (std::int64_t n = from; n <= to; ++n) {
    const auto bit = static_cast<std::int32_t>(n - view_.lowMark);
    if (!view_.presentSet.test(bit)) view_.excludedSet.set(bit);
  }
}

void HeaderDownload::rewind() {
  if (sent_.empty()) return;
  const SentCommand& oldest = sent_.front();
  rangeStart_ = oldest.rangeStart;
  rangeEnd_ = oldest.rangeEnd;
  searchRangeFirst_ = oldest.searchFirst;
  rangeWanted_ = oldest.rangeWanted;
  inXhdr_ = oldest.extra >= 0;
  if (inXhdr_) view_.extraIndex = static_cast<std::size_t>(oldest.extra);
  sent_.clear();
}

void HeaderDownload::finish(TNNTP& connection, DownloadEnd end) {
  view_.acceptLow = INT32_MIN;
  view_.acceptHigh = INT32_MAX;
  mode_ = DownloadMode::Normal;
  inXhdr_ = false;
  active_ = false;
  interrupted_ = false;
  rangeEnd_ = -1;
  rangesLeft_ = false;
  sent_.clear();
  host_.DownloadEnded(connection, end);
}

void HeaderDownload::Released() {
  active_ = false;
  rewind();
  view_.acceptLow = INT32_MIN;
  view_.acceptHigh = INT32_MAX;
}

}  // namespace orvel
