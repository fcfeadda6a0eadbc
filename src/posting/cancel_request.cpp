#include "posting/cancel_request.h"

#include "articles/header_utils.h"
#include "articles/marking.h"
#include "posting/cancel_lock.h"

namespace orvel {

CancelTarget CancelTargetOf(const TGroupView& view, const TArticle& article) {
  return {view.View().groupName, std::string(article.MessageID.view()),
          FormatAddress(article.FromName(), article.FromAddress()),
          std::string(article.Subject.view())};
}

CancelRequest::CancelRequest(TGroupView& view, std::string secret)
    : view_(view), secret_(std::move(secret)) {
  view_.SetRequestHandler(Purpose::Cancel, this);
}

CancelRequest::~CancelRequest() { view_.SetRequestHandler(Purpose::Cancel, nullptr); }

bool CancelRequest::Start(std::vector<TArticle*> articles) {
  if (Running() || articles.empty()) return false;
  articles_ = std::move(articles);
  index_ = 0;
  cancelled_ = 0;
  next();
  return true;
}

void CancelRequest::next() {
  accepted_ = false;
  view_.Observer().progressText(std::string(kCancellingText) + view_.View().groupName);
  view_.Request(Purpose::Cancel, nullptr, [](TNNTP& c) { c.Post(); });
}

void CancelRequest::Data(TNNTP& connection, const SlotRequest&) { view_.Release(connection); }

void CancelRequest::BeginPost(TNNTP& connection, const SlotRequest&) {
  const TArticle& article = *articles_[index_];
  const CancelTarget target = CancelTargetOf(view_, article);
  const std::string key = secret_.empty() ? std::string() : CancelKeyValue(secret_, target.messageId);
  connection.SendArticle(CancelMessage(target, key));
}

void CancelRequest::EndPost(TNNTP& connection, const SlotRequest&) {
  accepted_ = true;
  ++cancelled_;
  if (articles_.size() > 1) MarkDelete(view_, *articles_[index_], true, true);
  view_.Release(connection);
}

void CancelRequest::Released(const SlotRequest&) {
  if (!Running()) return;
  if (!accepted_) return finish();  // refused or cut: the slot said why
  if (++index_ < articles_.size()) return next();
  if (articles_.size() == 1) view_.UserPrompter().status(kCancelSentText);
  finish();
}

void CancelRequest::finish() {
  index_ = articles_.size();
  if (onFinished) onFinished(cancelled_);
}

}  // namespace orvel
