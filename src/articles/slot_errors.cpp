// The error events of the slots' connections: connection failures against
// server refusals, by purpose, with the alternative servers and quiet mode.

#include "articles/connection_slots.h"
#include "articles/group_view_observer.h"
#include "articles/progress_texts.h"
#include "net/socket_errors.h"

namespace orvel {

namespace {

constexpr std::size_t kMaxErrorText = 200;

// The first bytes of a text, not cutting a UTF-8 character.
std::string cutText(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

}  // namespace

bool ConnectionSlots::isConnectionFailure(int code, std::string_view text) {
  return code >= 10000 || timeoutPattern_.Match(text);
}

void ConnectionSlots::reportError(const std::string& text, bool progressLine) {
  if (progressLine) {
    observer_->progressText(text);
  } else {
    prompter_.message(text, MessageKind::Error);
  }
}

void ConnectionSlots::onError(TNNTP& connection, int code, const std::string& rawText) {
  Slot* slot = slotOf(connection);
  if (!slot) return;
  const std::string text = cutText(rawText, kMaxErrorText);
  observer_->progressPosition(0, 0);
  const bool quiet = owner_.QuietMode(slot->request.purpose);
  if (timeoutPattern_.Match(text)) code = neterr::kTransferTimeout;
  slot->lastError = code;
  if (isConnectionFailure(code, text)) {
    observer_->connectionFailed(code, text);
    connectionFailure(*slot, text, quiet);
  } else {
    replyError(*slot, code, text, quiet);
  }
}

void ConnectionSlots::connectionFailure(Slot& slot, const std::string& text, bool quiet) {
  TNNTP& connection = *slot.connection;
  const Purpose purpose = slot.request.purpose;
  if (alt_ && MayUseAlternatives(purpose) && connection.profile()) {
    const auto next = alt_->NextServer(*connection.profile(), true);
    if (next && !SameServer(*next, *connection.profile()) && takeRetry()) {
      observer_->progressText(text + std::string(kTryingText) + next->alias);
      ReleaseSocket(connection, {.retryNow = true});
      return;
    }
    SwitchOffAlternatives();
  }
  const bool progressLine =
      quiet || (purpose >= Purpose::Headers && purpose <= Purpose::Search) ||
      purpose == Purpose::Batch;
  reportError(text, progressLine);
  ReleaseSocket(connection, {.close = true, .tryResume = !quiet});
  if (quiet) owner_.QuietFailureNext();
}

void ConnectionSlots::replyError(Slot& slot, int code, const std::string& text, bool quiet) {
  TNNTP& connection = *slot.connection;
  const SlotRequest request = slot.request;
  switch (request.purpose) {
    case Purpose::GroupList:
      prompter_.message(text, MessageKind::Error);
      ReleaseSocket(connection, {.close = true});
      owner_.CloseOnError();
      return;
    case Purpose::Article:
    case Purpose::ArticleById:
    case Purpose::Batch:
    case Purpose::Head: {
      const bool batch = request.purpose == Purpose::Batch;
      if (alt_ && MayUseAlternatives(request.purpose) && connection.profile()) {
        const auto next = alt_->NextServer(*connection.profile(), false);
        if (next) {
          observer_->progressText(text + std::string(kTryingText) + next->alias);
          if (batch) owner_.BatchForgetConnection();
          ReleaseSocket(connection, {.retryNow = true});
          return;
        }
      }
      if (batch || code == 423 || code == 430) {
        // The last server does not have it: the request ends here, the
        // connection stays ready for the next one.
        observer_->progressText(text);
        ReleaseSocket(connection, {});
        owner_.ArticleMissing(request);
        return;
      }
      ReleaseSocket(connection, {.close = true, .tryResume = true});
      prompter_.message(text, MessageKind::Error);
      return;
    }
    case Purpose::ResumeHeaders:
      owner_.ResumptionNextStep(connection);
      return;
    default:
      reportError(text, quiet);
      ReleaseSocket(connection, {.tryResume = true});
      if (quiet) owner_.QuietFailureNext();
      return;
  }
}

}  // namespace orvel
