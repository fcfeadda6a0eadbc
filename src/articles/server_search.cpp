#include "articles/server_search.h"

#include <algorithm>

#include "net/nntp_data.h"
#include "net/tnntp.h"

namespace orvel {

namespace {

// The article number a reply line starts with; 0 when it starts otherwise.
std::int32_t leadingNumber(std::string_view line) {
  std::int64_t n = 0;
  std::size_t i = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
    n = n * 10 + (line[i] - '0');
    if (n > INT32_MAX) return 0;
  }
  return static_cast<std::int32_t>(n);
}

}  // namespace

ServerSearch::ServerSearch(TGroupView& view, Prompter& prompter)
    : view_(view), prompter_(prompter) {
  view_.SetRequestHandler(Purpose::Search, this);
}

ServerSearch::~ServerSearch() { view_.SetRequestHandler(Purpose::Search, nullptr); }

void ServerSearch::Queue(std::string command) { queue_.push_back(std::move(command)); }

bool ServerSearch::Start(bool reconstruction) {
  ConnectionSlots& slots = view_.Slots();
  const bool busy = Running() || view_.Closed() || slots.Serving(Purpose::Headers) ||
                    slots.Serving(Purpose::ResumeHeaders);
  if (busy || queue_.empty()) {
    if (!Running()) queue_.clear();
    return false;
  }
  found_.clear();
  failed_ = false;
  reconstruction_ = reconstruction;
  phase_ = Phase::Searching;
  if (reconstruction) prompter_.status(kSearchingText);
  view_.Request(Purpose::Search, nullptr, [this](TNNTP& c) { sendNext(c); });
  if (phase_ == Phase::Searching && !slots.Serving(Purpose::Search)) {
    // No free slot (the slots told the person).
    phase_ = Phase::Idle;
    queue_.clear();
    return false;
  }
  return true;
}

void ServerSearch::sendNext(TNNTP& connection) {
  const std::string command = std::move(queue_.front());
  queue_.pop_front();
  view_.Slots().SetAction(connection, "XPAT " + command);
  connection.Xpat(command);
}

void ServerSearch::Data(TNNTP& connection, const SlotRequest&) {
  const bool ended = ReadDataLines(connection, [this](std::string_view line) {
    if (const std::int32_t n = leadingNumber(line); n > 0) {
      found_.push_back(n);
      if (hit_) hit_(n);
    }
  });
  if (!ended) return;
  if (!queue_.empty()) {
    sendNext(connection);
    return;
  }
  phase_ = Phase::Fetching;
  view_.Release(connection);
  fetch();
}

void ServerSearch::Released(const SlotRequest&) {
  if (phase_ != Phase::Searching) return;
  failed_ = true;
  queue_.clear();
  found_.clear();
  finish();
}

void ServerSearch::fetch() {
  std::sort(found_.begin(), found_.end());
  found_.erase(std::unique(found_.begin(), found_.end()), found_.end());
  if (found_.empty() || view_.Closed()) {
    finish();
    return;
  }
  view_.SetSearchList(found_);
  view_.View().reconstructionAnchor = reconstruction_;
  // The view answers with SearchFetched, at once when it cannot fetch.
  view_.Refresh(RefreshKind::ServerSearch);
}

void ServerSearch::SearchFetched() {
  if (phase_ == Phase::Fetching) finish();
}

void ServerSearch::finish() {
  phase_ = Phase::Idle;
  if (reconstruction_ && found_.empty() && !failed_) prompter_.message(kNoArticleFoundText);
  if (finished_) finished_(found_.size());
}

}  // namespace orvel
