#include "articles/connection_slots.h"

#include "articles/group_view_observer.h"
#include "articles/progress_texts.h"
#include "config/main_state.h"
#include "net/socket_errors.h"
#include "core/text.h"

namespace orvel {

ConnectionSlots::ConnectionSlots(ConnectionPool& pool, Clock& clock, Prompter& prompter,
                                 SlotOwner& owner, GroupViewObserver& observer,
                                 SlotSettings settings)
    : pool_(pool),
      clock_(clock),
      prompter_(prompter),
      owner_(owner),
      observer_(&observer),
      settings_(settings),
      resumeTimer_(clock.createTimer([this] { resumptionTick(); })) {
  timeoutPattern_.Compile("time.*out");
}

ConnectionSlots::~ConnectionSlots() {
  resumeTimer_->stop();
  for (Slot& slot : slots_) {
    if (!slot.connection) continue;
    TNNTP* c = std::exchange(slot.connection, nullptr);
    pool_.ReleaseConnection(*c);
    c->Close();
  }
}

void ConnectionSlots::SetView(std::shared_ptr<TProfile> profile, std::string group,
                              MainState* main) {
  profile_ = std::move(profile);
  group_ = std::move(group);
  main_ = main;
  SwitchOffAlternatives();
}

void ConnectionSlots::SwitchOffAlternatives() {
  const bool wasInUse = AlternativesInUse();
  alt_ = main_ ? std::make_unique<TAltServs>(*main_, profile_, group_) : nullptr;
  if (wasInUse) observer_->subjectCaptionChanged("Sujet   ");
}

ConnectionSlots::Slot* ConnectionSlots::slotOf(const TNNTP& connection) {
  for (Slot& slot : slots_) {
    if (slot.connection == &connection) return &slot;
  }
  return nullptr;
}

const ConnectionSlots::Slot* ConnectionSlots::slotOf(const TNNTP& connection) const {
  for (const Slot& slot : slots_) {
    if (slot.connection == &connection) return &slot;
  }
  return nullptr;
}

int ConnectionSlots::indexOf(const Slot& slot) const {
  return static_cast<int>(&slot - slots_.data());
}

const SlotRequest* ConnectionSlots::RequestOf(const TNNTP& connection) const {
  const Slot* slot = slotOf(connection);
  return slot ? &slot->request : nullptr;
}

int ConnectionSlots::SlotNumber(const TNNTP& connection) const {
  const Slot* slot = slotOf(connection);
  return slot ? indexOf(*slot) + 1 : 0;
}

bool ConnectionSlots::Serving(Purpose purpose) const {
  for (const Slot& slot : slots_) {
    if (slot.connection && slot.request.purpose == purpose) return true;
  }
  return false;
}

bool ConnectionSlots::Pending(Purpose purpose) const { return (pending_ & PurposeBit(purpose)) != 0; }

bool ConnectionSlots::MayUseAlternatives(Purpose purpose) const {
  if (IsArticlePurpose(purpose)) return true;
  return purpose == Purpose::Batch && owner_.BatchRetrieving();
}

bool ConnectionSlots::GetFreeSocket(Purpose purpose, TArticle* argument, RequestRoutine routine) {
  pending_ = static_cast<std::uint16_t>(pending_ & ~PurposeBit(purpose));
  if ((Taken(0) && Taken(1)) || Serving(purpose)) {
    prompter_.message(kNoFreeConnection, MessageKind::Warning);
    if (IsArticlePurpose(purpose)) owner_.RequestRefused(purpose);
    return false;
  }
  Slot& slot = slots_[Taken(0) ? 1 : 0];

  std::shared_ptr<TProfile> profile;
  bool ownServer = true;
  if (AlternativesInUse() && MayUseAlternatives(purpose)) {
    profile = alt_->CurrentServer();
    ownServer = profile == profile_ || (profile && profile_ && SameServer(*profile, *profile_));
  } else {
    if (AlternativesInUse()) SwitchOffAlternatives();
    profile = explicit_ ? explicit_ : profile_;
    ownServer = !explicit_;
  }
  if (!profile) throw std::logic_error("GetFreeSocket without a profile");

  TNNTP& connection = pool_.AcquireConnection(profile, group_);
  slot.connection = &connection;
  slot.request = SlotRequest{purpose, argument, std::move(routine)};
  slot.wantedGroup = group_;
  slot.ownServer = ownServer;
  slot.action.clear();
  slot.position = slot.maximum = 0;
  slot.lastError = 0;
  connection.purpose = static_cast<std::uint8_t>(purpose);
  install(connection);
  observer_->menusChanged();

  if (connection.IsConnected() && connection.state() == NNTPState::Ready) {
    observer_->stopEnabled(true);
    const bool groupFirst =
        IsHeaderPurpose(purpose) ||
        ((ownServer || purpose == Purpose::Search) &&
         !equalsNoCase(connection.currentGroup(), slot.wantedGroup));
    if (groupFirst) {
      selectGroup(slot);
      return false;
    }
    groupAccepted_ = groupAccepted_ || equalsNoCase(connection.currentGroup(), group_);
    runRoutine(slot);
    return true;
  }
  slot.action = ConnectingText(profile->alias, profile->host);
  observer_->progressText(slot.action);
  connection.Connect();
  return false;
}

void ConnectionSlots::install(TNNTP& connection) {
  connection.OnConnected = [this](TNNTP& c) { onConnected(c); };
  connection.OnBanner = [this](TNNTP& c) { onBanner(c); };
  connection.OnGroup = [this](TNNTP& c) { onGroup(c); };
  connection.OnDataBegin = [this](TNNTP& c) { onDataBegin(c); };
  connection.OnData = [this](TNNTP& c) { onData(c); };
  connection.OnBeginPost = [this](TNNTP& c) { onBeginPost(c); };
  connection.OnEndPost = [this](TNNTP& c) { onEndPost(c); };
  connection.OnDisconnected = [this](TNNTP& c) { onDisconnected(c); };
  connection.OnError = [this](TNNTP& c, int code, const std::string& text) {
    onError(c, code, text);
  };
}

void ConnectionSlots::selectGroup(Slot& slot) {
  slot.action = "GROUP " + slot.wantedGroup;
  showProgress(slot);
  slot.connection->Group(slot.wantedGroup);
}

void ConnectionSlots::runRoutine(Slot& slot) {
  // The routine may release the slot; it runs from a copy.
  const RequestRoutine routine = slot.request.routine;
  if (routine) routine(*slot.connection);
}

void ConnectionSlots::showProgress(const Slot& slot) {
  const auto& profile = slot.connection->profile();
  observer_->progressText(
      SlotBarText(indexOf(slot) + 1, profile ? std::string_view(profile->alias) : "", slot.action));
  observer_->progressPosition(slot.position, slot.maximum);
}

void ConnectionSlots::SetAction(TNNTP& connection, std::string action) {
  Slot* slot = slotOf(connection);
  if (!slot) return;
  slot->action = std::move(action);
  showProgress(*slot);
}

void ConnectionSlots::SetProgress(TNNTP& connection, std::int64_t position, std::int64_t maximum) {
  Slot* slot = slotOf(connection);
  if (!slot) return;
  slot->position = position;
  slot->maximum = maximum;
  observer_->progressPosition(position, maximum);
}

void ConnectionSlots::refreshStopButton() {
  observer_->stopEnabled(AnyTaken() || ResumptionRunning());
}

// ---------------------------------------------------------------- events

void ConnectionSlots::onConnected(TNNTP&) { observer_->stopEnabled(true); }

void ConnectionSlots::onBanner(TNNTP& connection) {
  Slot* slot = slotOf(connection);
  if (!slot) return;
  if (!greetingShown_) {
    greetingShown_ = true;
    observer_->serverInfo(connection.greeting());
  }
  const Purpose p = slot->request.purpose;
  if (slot->ownServer || IsHeaderPurpose(p) || p == Purpose::Search) {
    selectGroup(*slot);
  } else {
    runRoutine(*slot);
  }
}

void ConnectionSlots::onGroup(TNNTP& connection) {
  Slot* slot = slotOf(connection);
  if (!slot) return;
  groupAccepted_ = groupAccepted_ || equalsNoCase(connection.currentGroup(), group_);
  runRoutine(*slot);
}

void ConnectionSlots::onDataBegin(TNNTP& connection) {
  Slot* slot = slotOf(connection);
  if (!slot) return;
  if (AlternativesInUse() && connection.profile() == alt_->CurrentServer()) {
    observer_->subjectCaptionChanged(alt_->SubjectCaption());
  }
  owner_.RequestDataBegin(connection, slot->request);
}

void ConnectionSlots::onData(TNNTP& connection) {
  Slot* slot = slotOf(connection);
  if (!slot) return;
  const std::int64_t elapsed = clock_.tickMs() - connection.startTick();
  if (elapsed > 0) observer_->transferText(TransferRateText(connection.receivedBytes(), elapsed));
  // The request is copied: the owner may release the slot while reading.
  const SlotRequest request = slot->request;
  owner_.RequestData(connection, request);
}

void ConnectionSlots::onBeginPost(TNNTP& connection) {
  if (Slot* slot = slotOf(connection)) owner_.RequestBeginPost(connection, SlotRequest(slot->request));
}

void ConnectionSlots::onEndPost(TNNTP& connection) {
  if (Slot* slot = slotOf(connection)) owner_.RequestEndPost(connection, SlotRequest(slot->request));
}

void ConnectionSlots::onDisconnected(TNNTP& connection) {
  if (!slotOf(connection)) return;
  observer_->connectionFailed(neterr::kConnectionReset, SocketErrorText(neterr::kConnectionReset));
  ReleaseSocket(connection, {.close = true, .tryResume = true, .resumeOnAnyError = true});
}

// ---------------------------------------------------------------- release

void ConnectionSlots::ReleaseSocket(TNNTP& connection, ReleaseOptions options) {
  Slot* slot = slotOf(connection);
  if (!slot) return;
  const SlotRequest request = slot->request;
  const int lastError = slot->lastError != 0 ? slot->lastError : connection.LastErrorCode();
  // The slot is emptied first: the owner's hooks below may issue requests.
  slot->connection = nullptr;
  slot->request = SlotRequest{};
  pool_.ReleaseConnection(connection);
  owner_.RequestReleased(request);

  if (options.close || options.retryNow) {
    const bool resume = options.tryResume && settings_.autoResume &&
                        (options.resumeOnAnyError || lastError >= 10000);
    const bool immediate = resume && lastError == neterr::kTransferTimeout;
    if (resume || options.retryNow) scheduleResumption(request, immediate, options.retryNow);
  }
  if (options.close) connection.Close();
  refreshStopButton();
  observer_->menusChanged();
  observer_->progressPosition(0, options.resetProgress ? 0 : 1);
}

void ConnectionSlots::ReleaseAll() {
  CancelResumption();
  for (int i = 0; i < kSlotCount; ++i) {
    if (TNNTP* c = Connection(i)) ReleaseSocket(*c, {.close = true, .resetProgress = true});
  }
  pending_ = 0;
  pendingArticle_ = nullptr;
  resumeTimer_->stop();
}

}  // namespace orvel
