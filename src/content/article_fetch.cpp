#include "content/article_fetch.h"

namespace orvel {

RecordUpdate RecordUpdateFrom(const ArticleHeaders& headers) {
  RecordUpdate update;
  if (!headers.subject.empty()) update.subject = headers.subject;
  if (!headers.fromName.empty() || !headers.fromAddress.empty()) {
    update.fromName = headers.fromName;
    update.fromAddress = headers.fromAddress;
  }
  if (!headers.references.empty()) update.references = headers.references;
  if (headers.lines > 0) update.lines = headers.lines;
  return update;
}

std::string ArticleRequestCommand(std::string_view verb, const ArticleToFetch& article,
                                  std::string_view connectionGroup) {
  const bool byNumber = article.number > 0 && !article.group.empty() &&
                        article.group == connectionGroup;
  if (byNumber || article.messageId.empty()) {
    return std::string(verb) + " " + std::to_string(article.number);
  }
  return std::string(verb) + " " + article.messageId;
}

ArticleFetch::ArticleFetch(ArticleView& view, ArticleFetchHost& host, Prompter& prompter)
    : view_(view), host_(host), prompter_(prompter) {}

bool ArticleFetch::serverArticles() const { return host_.viewKind() != ArticleViewKind::LocalFolder; }

bool ArticleFetch::GetArticle(ArticleToFetch article) {
  if (busy_) return false;
  busy_ = true;
  article_ = std::move(article);
  purpose_ = ArticlePurpose::Article;
  std::string text;
  if (host_.readStoredArticle(article_, text)) {
    view_.ShowStoredArticle(std::move(text), true);
    headersReported_ = false;
    reportHeaders();
    view_.mime().setHeadersEnded();
    host_.articleShown(article_);
    busy_ = false;
    return true;
  }
  if (!serverArticles()) {
    prompter_.status(kArticleAbsentText);
    busy_ = false;
    return false;
  }
  host_.setFetching(article_, true);
  return startRequest(ArticlePurpose::Article);
}

bool ArticleFetch::GetHeader(ArticleToFetch article) {
  if (busy_ || !serverArticles()) return false;
  busy_ = true;
  article_ = std::move(article);
  return startRequest(ArticlePurpose::Head);
}

bool ArticleFetch::GetArtByMsgID(std::string messageId) {
  if (busy_ || host_.viewKind() != ArticleViewKind::ServerGroup || messageId.empty()) return false;
  busy_ = true;
  article_ = ArticleToFetch();
  article_.messageId = std::move(messageId);
  return startRequest(ArticlePurpose::ByMessageId);
}

bool ArticleFetch::Reissue() {
  if (busy_) return false;
  busy_ = true;
  if (purpose_ == ArticlePurpose::Article) host_.setFetching(article_, true);
  return startRequest(purpose_);
}

bool ArticleFetch::startRequest(ArticlePurpose purpose) {
  purpose_ = purpose;
  if (host_.requestConnection(purpose)) return true;
  RequestFailed();
  return false;
}

ArticleFetch::Request ArticleFetch::BeginRequest(std::string_view connectionGroup) {
  busy_ = true;
  headersReported_ = false;
  view_.StartArticle(true, true);
  switch (purpose_) {
    case ArticlePurpose::Article:
      host_.setTitle(article_.subject);
      return {ArticleRequestCommand("ARTICLE", article_, connectionGroup),
              std::string(kArticleProgressText), article_.lines};
    case ArticlePurpose::Head:
      return {ArticleRequestCommand("HEAD", article_, connectionGroup),
              std::string(kHeadProgressText), 0};
    case ArticlePurpose::ByMessageId:
      host_.setTitle(std::string(kReferenceTitle) + article_.messageId);
      return {"ARTICLE " + article_.messageId, std::string(kReferenceProgressText), 0};
  }
  return {};
}

std::size_t ArticleFetch::OnData(std::string_view data, bool& ended) {
  ended = false;
  if (!busy_) return 0;
  const ArticleRequestKind kind = static_cast<ArticleRequestKind>(purpose_);
  bool last = false;
  const std::size_t used = view_.ParseArticle(kind, data, 0, last);
  reportHeaders();
  if (last) {
    finishRequest();
    ended = true;
  }
  return used;
}

void ArticleFetch::reportHeaders() {
  if (headersReported_ || !view_.headersEnded()) return;
  headersReported_ = true;
  if (serverArticles()) host_.updateRecord(article_, RecordUpdateFrom(view_.headers()));
}

void ArticleFetch::finishRequest() {
  view_.mime().setHeadersEnded();
  busy_ = false;
  switch (purpose_) {
    case ArticlePurpose::Article: {
      host_.articleShown(article_);
      host_.setFetching(article_, false);
      std::string_view text = view_.rawCopy();
      if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
      host_.storeArticle(article_, text);
      break;
    }
    case ArticlePurpose::Head:
      host_.headShown(article_);
      break;
    case ArticlePurpose::ByMessageId:
      host_.setTitle(std::string(kReferenceTitle) + view_.headers().subject);
      if (host_.viewKind() == ArticleViewKind::ServerGroup) host_.referenceShown(view_.headers());
      break;
  }
  host_.releaseConnection();
}

void ArticleFetch::RequestFailed() {
  if (!busy_) return;
  busy_ = false;
  if (purpose_ == ArticlePurpose::Article) host_.setFetching(article_, false);
}

}  // namespace orvel
