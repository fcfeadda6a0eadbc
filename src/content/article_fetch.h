#pragma once
// ArticleFetch: getting the article the person opens, from the body store or
// from the server, into the group view's ArticleView; the viewer's busy flag.
//
// GetArticle asks the store first and shows a stored text at once; otherwise
// it marks the row Fetching and asks the group view for a connection slot
// (ArticleFetchHost::requestConnection with purpose 3). GetHeader (purpose 10)
// and GetArtByMsgID (purpose 4) always go to the server. When the slot has
// a ready connection, its request routine calls BeginRequest, sends the
// command it returns and passes every block of the reply to OnData, which
// renders it and, at the terminating ".", finishes the article: history and
// read mark, the raw copy handed to the body store, the connection released.
// While a request runs the fetch is busy and refuses new ones; RequestFailed
// (the slot gave up) clears the flag, Reissue runs the last request again
// (automatic resumption).
//
// What the group view implements is ArticleFetchHost; the article it hands in
// is ArticleToFetch, whose record pointer comes back untouched in every call.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "content/article_view.h"
#include "core/prompter.h"

namespace orvel {

class TArticle;

// The request purposes of a group view's connection slots.
enum class ArticlePurpose : std::uint8_t {
  Article = 3,      // "ARTICLE " + number, or + Message-ID outside the article's group
  ByMessageId = 4,  // "ARTICLE " + Message-ID (a reference)
  Head = 10,        // "HEAD " + number or Message-ID
};

enum class ArticleViewKind : std::uint8_t {
  ServerGroup,   // an online group view
  ServerFolder,  // a folder whose articles belong to a server (fetched when not stored)
  LocalFolder,   // a folder with nothing to fetch from
};

struct ArticleToFetch {
  TArticle* record = nullptr;  // the group view's own record
  std::int64_t number = 0;
  std::string messageId;  // with its angle brackets
  std::string group;      // the group the number belongs to
  std::string subject;    // for the title
  std::int32_t lines = 0;  // the progress total
};

// What an article's own headers give its record: only values the article
// has (non-empty texts, Lines above 0).
struct RecordUpdate {
  std::optional<std::string> subject;
  std::optional<std::string> fromName;
  std::optional<std::string> fromAddress;
  std::optional<std::string> references;
  std::optional<std::int32_t> lines;
};
RecordUpdate RecordUpdateFrom(const ArticleHeaders& headers);

// The command for an article or head request on a connection whose selected
// group is connectionGroup: by number inside the article's group, else by
// Message-ID.
std::string ArticleRequestCommand(std::string_view verb, const ArticleToFetch& article,
                                  std::string_view connectionGroup);

inline constexpr std::string_view kArticleAbsentText = "Article absent   ";
inline constexpr std::string_view kArticleProgressText = "Article en cours..";
inline constexpr std::string_view kHeadProgressText = "EnTête en cours..";
inline constexpr std::string_view kReferenceProgressText = "Reference en cours..";
inline constexpr std::string_view kReferenceTitle = "[Ref] ";

class ArticleFetchHost {
 public:
  virtual ~ArticleFetchHost() = default;
  virtual ArticleViewKind viewKind() const = 0;
  // The article's text from the body store (or the folder), as stored.
  virtual bool readStoredArticle(const ArticleToFetch& article, std::string& text) = 0;
  // GetFreeSocket(purpose): true when a slot took the request (its routine
  // then calls BeginRequest, its data handler OnData); false when refused
  // (the host has told the person why).
  virtual bool requestConnection(ArticlePurpose purpose) = 0;
  // ReleaseSocket without closing, once the end of the data was seen.
  virtual void releaseConnection() = 0;
  // Sets or clears the row's Fetching flag and redraws it.
  virtual void setFetching(const ArticleToFetch& article, bool fetching) = 0;
  // At the end of the headers, in views of a server's articles.
  virtual void updateRecord(const ArticleToFetch& article, const RecordUpdate& update) = 0;
  // Shown whole (stored, or fetched to its end): clears Missing, joins the
  // view's history, is marked read and redrawn.
  virtual void articleShown(const ArticleToFetch& article) = 0;
  // A HEAD reply ended: clears Missing.
  virtual void headShown(const ArticleToFetch& article) = 0;
  // A reference ended (online views): added to the list when it belongs to
  // the open group.
  virtual void referenceShown(const ArticleHeaders& headers) = 0;
  // Appends the article's text to the body store unless it is stored already.
  virtual void storeArticle(const ArticleToFetch& article, std::string_view text) = 0;
  virtual void setTitle(std::string_view title) = 0;
};

class ArticleFetch {
 public:
  ArticleFetch(ArticleView& view, ArticleFetchHost& host, Prompter& prompter);

  bool busy() const { return busy_; }
  // Each returns false when nothing was started (busy, not possible in this
  // view, or refused); GetArticle returns true for a stored article shown.
  bool GetArticle(ArticleToFetch article);
  bool GetHeader(ArticleToFetch article);
  bool GetArtByMsgID(std::string messageId);
  // Runs the last request again (the slot's automatic resumption).
  bool Reissue();

  struct Request {
    std::string command;                // the line to send
    std::string actionText;             // the progress text
    std::int64_t progressMaximum = 0;   // 0: no total
  };
  // The slot's request routine: starts the article in the viewer and says
  // what to send on a connection whose selected group is connectionGroup.
  Request BeginRequest(std::string_view connectionGroup);
  // One block of the reply; returns the bytes used (an incomplete last line
  // stays for the next block). ended is set at the terminating line, after
  // which the connection has been released.
  std::size_t OnData(std::string_view data, bool& ended);
  // The slot gave the request up (error, stop, no connection).
  void RequestFailed();

  ArticlePurpose purpose() const { return purpose_; }
  const ArticleToFetch& article() const { return article_; }
  std::int64_t progressPosition() const { return view_.progressLines(); }

 private:
  bool startRequest(ArticlePurpose purpose);
  void reportHeaders();
  void finishRequest();
  bool serverArticles() const;

  ArticleView& view_;
  ArticleFetchHost& host_;
  Prompter& prompter_;
  bool busy_ = false;
  bool headersReported_ = false;
  ArticlePurpose purpose_ = ArticlePurpose::Article;
  ArticleToFetch article_;  // the article, or the reference record
};

}  // namespace orvel
