#include "content/group_reader.h"

#include <algorithm>
#include <utility>

#include "articles/marking.h"

#include "core/text.h"
#include "net/nntp_data.h"
#include "net/tnntp.h"

namespace orvel {

void SendArticleCommand(TNNTP& connection, std::string_view command) {
  const std::size_t space = command.find(' ');
  const std::string_view verb = command.substr(0, space);
  const std::string argument(space == std::string_view::npos ? std::string_view{}
                                                             : command.substr(space + 1));
  const bool head = verb == "HEAD";
  if (!argument.empty() && argument[0] == '<') {
    head ? connection.Head(argument) : connection.Article(argument);
    return;
  }
  const std::int64_t number = parseDecimal(argument).value_or(0);
  head ? connection.Head(number) : connection.Article(number);
}

ArticleToFetch ArticleOfRecord(const TArticle& article, std::string_view group) {
  ArticleToFetch a;
  a.record = const_cast<TArticle*>(&article);
  a.number = article.Number;
  a.messageId = std::string(article.MessageID.view());
  a.group = std::string(group);
  a.subject = std::string(article.Subject.view());
  a.lines = article.Lines;
  return a;
}

GroupReader::GroupReader(TGroupView& view, ArticleView& viewer, Prompter& prompter)
    : view_(view), fetch_(viewer, *this, prompter) {
  view_.SetRequestHandler(Purpose::Article, this);
}

GroupReader::~GroupReader() {
  if (!view_.Closed()) view_.SetRequestHandler(Purpose::Article, nullptr);
}

bool GroupReader::ShowArticle(TArticle* article) {
  if (!article || fetch_.busy()) return false;
  current_ = article;
  view_.SetCurrentArticle(article);
  return fetch_.GetArticle(toFetch(*article));
}

bool GroupReader::ShowHeader(TArticle* article) {
  if (!article || fetch_.busy()) return false;
  return fetch_.GetHeader(toFetch(*article));
}

ArticleToFetch GroupReader::toFetch(const TArticle& article) const {
  if (!view_.IsFolder()) return ArticleOfRecord(article, view_.Record().name);
  ArticleToFetch a = ArticleOfRecord(article, {});
  a.number = 0;
  return a;
}

ArticleViewKind GroupReader::viewKind() const {
  if (!view_.IsFolder()) return ArticleViewKind::ServerGroup;
  const TArticle* record = fetch_.article().record;
  return record && view_.OriginProfile(*record) ? ArticleViewKind::ServerFolder
                                                : ArticleViewKind::LocalFolder;
}

bool GroupReader::ShowByMessageId(std::string id) {
  id = std::string(trim(id));
  if (id.empty() || fetch_.busy()) return false;
  if (id.front() != '<') id = "<" + id + ">";
  referenceNumber_ = 0;
  return fetch_.GetArtByMsgID(std::move(id));
}

void GroupReader::ForgetArticles(const std::vector<TArticle*>& sorted) {
  if (current_ && std::binary_search(sorted.begin(), sorted.end(), current_)) current_ = nullptr;
}

// ---------------------------------------------------------------- requests

bool GroupReader::requestConnection(ArticlePurpose purpose) {
  const auto p = static_cast<Purpose>(purpose);
  TArticle* record = p == Purpose::ArticleById ? nullptr : fetch_.article().record;
  if (view_.IsFolder()) {
    // A folder view has no server of its own: only the record's origin.
    std::shared_ptr<TProfile> origin = record ? view_.OriginProfile(*record) : nullptr;
    if (!origin) return false;
    view_.Slots().SetExplicitProfile(std::move(origin));
  }
  view_.Request(p, record, [this](TNNTP& connection) { sendRequest(connection); });
  // The view's fetching flag stays up while a slot holds the request.
  return view_.FetchingArticle();
}

void GroupReader::sendRequest(TNNTP& connection) {
  const ArticleFetch::Request request = fetch_.BeginRequest(connection.currentGroup());
  progressMaximum_ = request.progressMaximum;
  view_.Slots().SetAction(connection, request.actionText);
  view_.Slots().SetProgress(connection, 0, progressMaximum_);
  SendArticleCommand(connection, request.command);
}

void GroupReader::Data(TNNTP& connection, const SlotRequest&) {
  if (!fetch_.busy()) {
    // A reply nobody waits for any more: let it pass.
    if (connection.dataEnded()) view_.Release(connection);
    return;
  }
  releaseWanted_ = false;
  bool ended = false;
  fetch_.OnData(connection.data(), ended);
  if (!connection.dataEnded()) {
    view_.Slots().SetProgress(connection, fetch_.progressPosition(), progressMaximum_);
    return;
  }
  if (std::exchange(releaseWanted_, false)) view_.Release(connection);
}

void GroupReader::Released(const SlotRequest&) {
  fetch_.RequestFailed();
  if (idle_) idle_();
}

void GroupReader::Reissue(Purpose, TArticle*) { fetch_.Reissue(); }

// ---------------------------------------------------------------- fetch host

bool GroupReader::readStoredArticle(const ArticleToFetch& article, std::string& text) {
  TMailbox* store = view_.Mailbox();
  return store && article.record && store->ReadBody(*article.record, text);
}

void GroupReader::redraw(TArticle* article) {
  if (article) view_.Observer().rowChanged(*article);
}

void GroupReader::setFetching(const ArticleToFetch& article, bool fetching) {
  if (!article.record) return;
  article.record->Set(NodeFlag::Fetching, fetching);
  redraw(article.record);
}

void GroupReader::updateRecord(const ArticleToFetch& article, const RecordUpdate& update) {
  TArticle* a = article.record;
  if (!a) return;
  StringPool& pool = view_.View().arena.Strings();
  if (update.subject) a->Subject = pool.Store(*update.subject);
  if (update.fromName) a->SetFrom(pool, *update.fromName, update.fromAddress.value_or(""));
  if (update.references) a->SetReferences(pool, *update.references);
  if (update.lines) a->Lines = *update.lines;
  redraw(a);
}

void GroupReader::articleShown(const ArticleToFetch& article) {
  TArticle* a = article.record;
  if (!a) return;
  a->Set(NodeFlag::Missing, false);
  if (shown_) shown_(a);
  if (!MarkRead(view_, *a, true, true)) redraw(a);
}

void GroupReader::headShown(const ArticleToFetch& article) {
  if (!article.record) return;
  article.record->Set(NodeFlag::Missing, false);
  redraw(article.record);
}

void GroupReader::referenceShown(const ArticleHeaders& headers) {
  // Xref: "group:number ..." (the server name is gone already).
  const std::string prefix = view_.Record().name + ":";
  for (const std::string& entry : splitChar(headers.xref, ' ')) {
    if (!entry.starts_with(prefix)) continue;
    const auto number = parseDecimal(std::string_view(entry).substr(prefix.size()));
    if (number && *number > 0 && *number <= INT32_MAX) {
      referenceNumber_ = static_cast<std::int32_t>(*number);
    }
  }
}

void GroupReader::storeArticle(const ArticleToFetch& article, std::string_view text) {
  TMailbox* store = view_.Mailbox();
  if (!store || !store->BodiesStored || !article.record) return;
  if (store->StoreBody(*article.record, text)) redraw(article.record);
}

}  // namespace orvel
