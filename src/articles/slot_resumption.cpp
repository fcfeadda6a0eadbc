// The slots' resumption: the pending set, the one-second countdown and the
// re-issued requests; and the stop command that kills slots.

#include <algorithm>

#include "articles/connection_slots.h"
#include "articles/group_view_observer.h"
#include "articles/progress_texts.h"

namespace orvel {

bool ConnectionSlots::takeRetry() {
  if (settings_.maxRetries >= 0 && retries_ >= settings_.maxRetries) {
    retriesExhausted_ = true;
    return false;
  }
  ++retries_;
  return true;
}

void ConnectionSlots::scheduleResumption(const SlotRequest& request, bool immediate,
                                         bool retryNow) {
  const Purpose p = request.purpose;
  const bool resumable = IsArticlePurpose(p) || p == Purpose::Batch ||
                         (IsHeaderPurpose(p) && owner_.HeaderResumeAllowed());
  if (!resumable) return;
  // A retry on another server was counted when it was chosen.
  if (!retryNow && !takeRetry()) return;
  if (IsArticlePurpose(p)) {
    pending_ |= PurposeBit(p);
    pendingArticle_ = request.article;
  } else if (p == Purpose::Batch) {
    owner_.BatchStopForRestart();
    pending_ |= PurposeBit(p);
  } else {
    pending_ |= PurposeBit(owner_.HeaderResumePurpose());
  }
  const int delay = std::clamp(settings_.autoResumeDelaySec, 1, 1800);
  resumeCounter_ = immediate || retryNow ? 0 : -delay;
  if (resumeCounter_ < 0) observer_->progressText(CountdownText(-resumeCounter_));
  resumeTimer_->start(std::chrono::seconds(1), TimerMode::Repeating);
  observer_->stopEnabled(true);
}

void ConnectionSlots::resumptionTick() {
  ++resumeCounter_;
  if (resumeCounter_ < 0) {
    observer_->progressText(CountdownText(-resumeCounter_));
    return;
  }
  resumeTimer_->stop();
  observer_->progressText(kResumingText);
  reissuePending();
  refreshStopButton();
}

void ConnectionSlots::reissuePending() {
  const std::uint16_t pending = std::exchange(pending_, 0);
  TArticle* article = std::exchange(pendingArticle_, nullptr);
  auto was = [pending](Purpose p) { return (pending & PurposeBit(p)) != 0; };
  for (Purpose p : {Purpose::Article, Purpose::ArticleById, Purpose::Head}) {
    if (!was(p)) continue;
    owner_.ReissueArticle(p, article);
    break;
  }
  for (Purpose p : {Purpose::Headers, Purpose::ResumeHeaders}) {
    if (!was(p)) continue;
    owner_.ReissueHeaders(p);
    break;
  }
  if (was(Purpose::Batch)) owner_.ReissueBatch();
}

void ConnectionSlots::CancelResumption() {
  const bool running = ResumptionRunning();
  resumeTimer_->stop();
  pending_ = 0;
  pendingArticle_ = nullptr;
  if (running) {
    observer_->progressText({});
    refreshStopButton();
  }
}

void ConnectionSlots::killSlot(int index) {
  TNNTP* connection = Connection(index);
  if (!connection) return;
  SwitchOffAlternatives();
  ReleaseSocket(*connection, {.close = true, .resetProgress = true});
}

void ConnectionSlots::Stop(StopKeys keys) {
  CancelResumption();
  for (int i = 0; i < kSlotCount; ++i) {
    TNNTP* c = Connection(i);
    if (!c || slots_[static_cast<std::size_t>(i)].request.purpose != Purpose::Cancel) continue;
    if (c->state() != NNTPState::AwaitingPostGoAhead &&
        c->state() != NNTPState::AwaitingPostResult) {
      continue;
    }
    // Yes waits for the server's answer; No breaks the posting off.
    if (prompter_.ask("Finir d'envoyer l'article en cours ?", kYesNoCancel) == Button::No) {
      killSlot(i);
    }
    return;
  }
  if (owner_.BatchRunning() && (keys.ctrl || keys.shift)) {
    if (keys.ctrl) {
      if (prompter_.ask("Arrêter après ce fichier ?       ", kYesNo) == Button::Yes) {
        owner_.BatchStopAfterFile();
      }
    } else if (prompter_.ask("Pause après la partie de fichier ?", kYesNo) == Button::Yes) {
      owner_.BatchPauseAfterPart();
    }
    return;
  }
  if (Taken(1)) {
    switch (prompter_.ask("Tuer la connexion 2?", kYesNoCancelAll)) {
      case Button::Yes: killSlot(1); break;
      case Button::All:
        killSlot(1);
        killSlot(0);
        return;
      case Button::No: break;
      default: return;
    }
  }
  if (Taken(0) && prompter_.ask("Tuer la connexion 1?", kYesNo) == Button::Yes) killSlot(0);
}

}  // namespace orvel
