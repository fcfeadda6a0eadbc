#pragma once
// GroupReader: the article viewer of a group view. It joins an ArticleFetch
// (store first, else the server) and its ArticleView to a TGroupView: it is
// the fetch's host over the view's records and body store, and the view's
// request handler for articles (3), references by Message-ID (4) and heads
// (10).
//
// A request: ShowArticle asks the store; a stored text is shown at once,
// else the view lends a slot whose routine sends "ARTICLE"/"HEAD" (by number
// when the connection is in the group, else by Message-ID). Each block of the
// reply goes through Data to the fetch, which renders it; at the end the
// record is marked read and updated, the text goes to the body store (when
// the group keeps bodies) and the slot is released. Failures, alternative
// servers and the resumption are the slots' business; they come back as
// Released (the fetch is no longer busy) and Reissue (ask again).
//
// Rows are redrawn through the view's GroupViewObserver; the viewer's lines
// reach the window through the ArticleView's ViewerObserver. The reader
// registers itself with the view for the three purposes and must not outlive
// it. On a folder view the store is the folder's, and an article it does not
// hold is asked of the record's origin server by Message-ID.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/group_view.h"
#include "content/article_fetch.h"
#include "content/article_view.h"

namespace orvel {

// Sends an "ARTICLE ..." or "HEAD ..." command line (by number or by
// Message-ID) through the connection's matching operation.
void SendArticleCommand(TNNTP& connection, std::string_view command);

// The fetch's view of a record of the group.
ArticleToFetch ArticleOfRecord(const TArticle& article, std::string_view group);

class GroupReader final : public RequestHandler, private ArticleFetchHost {
 public:
  GroupReader(TGroupView& view, ArticleView& viewer, Prompter& prompter);
  ~GroupReader() override;
  GroupReader(const GroupReader&) = delete;
  GroupReader& operator=(const GroupReader&) = delete;

  // Shows a record of the view: from the store, else from the server. False
  // when nothing started (busy, no record, or no free connection).
  bool ShowArticle(TArticle* article);
  // Fetches the headers of a record (all of them are shown).
  bool ShowHeader(TArticle* article);
  // Fetches an article that is not in the list (a reference): "<id>".
  bool ShowByMessageId(std::string id);
  bool Busy() const { return fetch_.busy(); }

  TArticle* Current() const { return current_; }
  // The viewer's title: the subject, or "[Ref] " and the Message-ID.
  const std::string& Title() const { return title_; }
  // Told of each record shown whole (for the history).
  void SetShownListener(std::function<void(TArticle*)> listener) { shown_ = std::move(listener); }
  // Told when a request to the server left its slot: the reader takes
  // another one.
  void SetIdleListener(std::function<void()> listener) { idle_ = std::move(listener); }
  // Records about to be freed (sorted by address) stop being its current
  // article.
  void ForgetArticles(const std::vector<TArticle*>& sorted);
  // A reference that ended and belongs to the open group: its number there,
  // or 0.
  std::int32_t LastReferenceNumber() const { return referenceNumber_; }

  // RequestHandler
  void Data(TNNTP& connection, const SlotRequest& request) override;
  void Released(const SlotRequest& request) override;
  void Reissue(Purpose purpose, TArticle* article) override;

 private:
  // ArticleFetchHost
  // A folder's article comes from its origin server when the profiles know
  // it; a newsgroup's from the view's server.
  ArticleViewKind viewKind() const override;
  bool readStoredArticle(const ArticleToFetch& article, std::string& text) override;
  bool requestConnection(ArticlePurpose purpose) override;
  void releaseConnection() override { releaseWanted_ = true; }
  void setFetching(const ArticleToFetch& article, bool fetching) override;
  void updateRecord(const ArticleToFetch& article, const RecordUpdate& update) override;
  void articleShown(const ArticleToFetch& article) override;
  void headShown(const ArticleToFetch& article) override;
  void referenceShown(const ArticleHeaders& headers) override;
  void storeArticle(const ArticleToFetch& article, std::string_view text) override;
  void setTitle(std::string_view title) override { title_.assign(title); }

  void sendRequest(TNNTP& connection);
  // The record as the fetch knows it: a folder's by Message-ID only.
  ArticleToFetch toFetch(const TArticle& article) const;
  void redraw(TArticle* article);

  TGroupView& view_;
  ArticleFetch fetch_;
  TArticle* current_ = nullptr;
  std::function<void(TArticle*)> shown_;
  std::function<void()> idle_;
  std::string title_;
  std::int32_t referenceNumber_ = 0;
  std::int64_t progressMaximum_ = 0;
  bool releaseWanted_ = false;
};

}  // namespace orvel
