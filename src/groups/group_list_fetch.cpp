// The group list's requests: the full or new-groups list and the count runs,
// over one borrowed pool connection at a time.
//
// A request borrows a connection (doConnect), installs the handlers below and
// either connects ("Se connecte..") or, on a connection that is ready, goes
// straight to NNTPBanner, which sends the command the purpose names. A list
// streams through NNTPData into a ListMerge until the terminating line; a
// count run sends "GROUP" for one group, gives the connection back when the
// reply came, and borrows again for the next group. Errors end the request
// with the reply in the status line, except "411" (no such group) in a count
// run, which moves on to the next group.

#include <algorithm>
#include <limits>

#include "config/servers_file.h"
#include "core/text.h"
#include "groups/group_list.h"
#include "groups/last_updated.h"
#include "net/nntp_data.h"
#include "net/socket_errors.h"

namespace orvel {

namespace {

constexpr int kNoSuchGroup = 411;

std::int32_t clampNumber(std::int64_t n) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(n, -1, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

bool TGroupList::requestAllowed() const {
  return opened_ && !connection_ && !closing_ && !host_.mainWindowClosing;
}

bool TGroupList::doConnect(TGrpInfo* group, std::uint8_t purpose, bool force) {
  if (!requestAllowed()) return false;
  TNNTP& c = pool_.AcquireConnection(profile_, group ? std::string_view(group->name) : "");
  if (!c.IsConnected() && !force) {
    pool_.ReleaseConnection(c);
    return false;
  }
  connection_ = &c;
  c.purpose = purpose;
  c.OnBanner = [this](TNNTP& n) { NNTPBanner(n); };
  c.OnGroup = [this](TNNTP& n) { NNTPGroup(n); };
  c.OnData = [this](TNNTP& n) { NNTPData(n); };
  c.OnError = [this](TNNTP& n, int code, const std::string& text) { NNTPError(n, code, text); };
  c.OnDisconnected = [this](TNNTP& n) { NNTPDisconnected(n); };
  if (!c.IsConnected()) {
    prompter_.status("Se connecte..");
    c.Connect();
  } else {
    NNTPBanner(c);
  }
  return true;
}

void TGroupList::releaseConnection() {
  if (!connection_) return;
  TNNTP& c = *connection_;
  connection_ = nullptr;
  pool_.ReleaseConnection(c);
}

void TGroupList::endRequest(bool completed, int code, const std::string& text) {
  lastOutcome_ = {request_, completed, code, text};
  request_ = GroupRequest::None;
  merge_.reset();
  countQueue_.clear();
  countPosition_ = 0;
  rebuildShown();
  if (observer_) observer_->requestEnded(lastOutcome_);
}

// ---------------------------------------------------------------- lists

void TGroupList::ListGroups(bool full, bool confirmed) {
  if (full && !confirmed &&
      prompter_.ask("R\xC3\xA9" "cup\xC3\xA9rer la liste de tous les groupes disponibles?\r\n"
                    "( cel\xC3\xA0 peut \xC3\xAAtre long )",
                    kYesNoCancel) != Button::Yes) {
    return;
  }
  prompter_.status("Liste des groupes....");
  if (!requestAllowed()) return;
  lists_.RebuildIndex(static_cast<std::int32_t>(lists_.all().size() / 2));
  request_ = full ? GroupRequest::FullList : GroupRequest::NewGroups;
  if (!doConnect(nullptr, kPurposeList, true)) request_ = GroupRequest::None;
}

void TGroupList::NNTPBanner(TNNTP& c) {
  if (c.purpose == kPurposeCount) {
    TGrpInfo* group = countQueue_[countPosition_];
    if (!group) {  // deleted while the connection was made
      releaseConnection();
      ++countPosition_;
      requestNextCount();
      return;
    }
    prompter_.status("Nombre d'articles........ " + group->name);
    c.Group(group->name);
    return;
  }
  const bool full = request_ == GroupRequest::FullList;
  const std::string since =
      full ? std::string() : ReadLastUpdated(options_.serversIniPath, profile_->alias);
  const bool wasFiltered = display_.filterActive();
  display_.clearFilter();
  display_.setTab(GroupTab::All);
  rebuildShown();
  setFilterState(wasFiltered);
  merge_ = std::make_unique<ListMerge>(lists_, full);
  // Taken when the command goes out, so a group created during a long
  // transfer is still new for the next request.
  listStamp_ = LastUpdatedStamp(clock_.now(), options_.tz);
  prompter_.status("Liste les groupes.." + since);
  c.List(since);
}

void TGroupList::NNTPData(TNNTP& c) {
  if (!merge_) return;
  const bool ended = ReadDataLines(c, [this](std::string_view line) {
    merge_->AddLine(line);
  });
  // One status per arrival: lines of one arrival are never seen apart.
  prompter_.status(format("%d groups found (%d new)", merge_->found(), merge_->added()));
  if (ended) endList();
}

void TGroupList::endList() {
  prompter_.status(format("Termin\xC3\xA9: %d groupes, %d nouveaux  ", merge_->found(),
                          merge_->added()));
  lastListSkipped_ = merge_->skipped();
  merge_->Finish([this](const TGrpInfo& g) { return IsOpenInView(g); });
  releaseConnection();
  std::string error;
  if (!WriteLastUpdated(options_.serversIniPath, profile_->alias, listStamp_, &error)) {
    prompter_.message(error, MessageKind::Error);
  }
  endRequest(true);
}

// ---------------------------------------------------------------- counts

void TGroupList::GetAllCounts(bool force) { startCounts(lists_.subscribed(), force); }

void TGroupList::GetCounts(const std::vector<TGrpInfo*>& groups, bool force) {
  std::vector<TGrpInfo*> owned;
  for (TGrpInfo* g : groups) {
    if (lists_.Owns(g)) owned.push_back(g);
  }
  startCounts(std::move(owned), force);
}

void TGroupList::startCounts(std::vector<TGrpInfo*> groups, bool force) {
  if (groups.empty() || !requestAllowed()) return;
  if (display_.tab() == GroupTab::All) ShowTab(GroupTab::Subscribed);
  request_ = GroupRequest::Counts;
  countQueue_ = std::move(groups);
  countPosition_ = 0;
  countForce_ = force;
  requestNextCount();
}

void TGroupList::requestNextCount() {
  while (countPosition_ < countQueue_.size() && !countQueue_[countPosition_]) ++countPosition_;
  if (countPosition_ >= countQueue_.size()) {
    prompter_.status(IdleStatusText());
    endRequest(true);
    return;
  }
  if (!doConnect(countQueue_[countPosition_], kPurposeCount, countForce_)) endRequest(false);
}

void TGroupList::NNTPGroup(TNNTP& c) {
  if (TGrpInfo* g = countQueue_[countPosition_]) {
    g->first = clampNumber(c.first());
    g->last = clampNumber(c.last());
    g->total = clampNumber(c.count());
    g->unread = std::min(CountUnread(g->read.text, g->first, g->last), g->total);
    if (g->read.needsNormalising) {
      // Normalised over a copy of the numbers: the row keeps the server's,
      // and read marks above the server's last article are kept.
      std::int32_t first = g->first;
      std::int32_t last = g->last;
      NormaliseRanges(g->read, first, last, true);
      lists_.newsrcChanged = true;
    }
    changedGroup(*g);
  }
  releaseConnection();
  ++countPosition_;
  requestNextCount();
}

void TGroupList::forgetQueued(const TGrpInfo& group) {
  for (TGrpInfo*& g : countQueue_) {
    if (g == &group) g = nullptr;
  }
}

// ---------------------------------------------------------------- failures

void TGroupList::NNTPError(TNNTP&, int code, const std::string& text) {
  if (!connection_) return;
  prompter_.status(text);
  releaseConnection();
  if (request_ == GroupRequest::Counts && code == kNoSuchGroup) {
    ++countPosition_;
    requestNextCount();
    return;
  }
  endRequest(false, code, text);
}

void TGroupList::NNTPDisconnected(TNNTP&) {
  if (!connection_) return;
  const std::string text = SocketErrorText(neterr::kConnectionReset);
  prompter_.status(text);
  releaseConnection();
  endRequest(false, neterr::kConnectionReset, text);
}

}  // namespace orvel
