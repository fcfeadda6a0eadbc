#pragma once
// Overview and XHDR parsing: turns the server's XOVER reply text into article
// records of a group view, and XHDR (or HDR) replies into extra header values
// for the score file. Overview fields are read in RFC 3977's order unless the
// view's overviewFormat gives the server's own.
//
// Both parsers take one received block at a time. They consume whole lines
// and return the offset where an incomplete last line begins (the caller keeps
// those bytes and puts them in front of the next block), or npos when the
// block was used up; `done` is set on the terminating "." line.
//
// The parser sees the group view only through XoverView: its group numbers,
// bit sets, lists and counters, and four narrow hooks filled by the later
// pieces of the view: the plonk list (AuthorTest), the score file
// (ArticleScorer), the header filter and the quick filter (ArticleFilter).
// A folder view instead hands each record to a FolderSink.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article.h"
#include "articles/article_arena.h"
#include "articles/view_lists.h"
#include "core/hash.h"
#include "core/ranges.h"
#include "net/overview_format.h"

namespace orvel {

class Prompter;

class AuthorTest {
 public:
  virtual ~AuthorTest() = default;
  virtual bool IsPlonked(std::string_view name, std::string_view address) const = 0;
};

// Extra header values per article number (as text): one string per extra
// header name, in the order of the names.
using ExtraHeaderValues = THash<std::vector<std::string>>;

class ArticleScorer {
 public:
  virtual ~ArticleScorer() = default;
  virtual std::int32_t Score(const TArticle& article, const std::vector<std::string>& extraNames,
                             const ExtraHeaderValues* extraValues) = 0;
};

class ArticleFilter {
 public:
  virtual ~ArticleFilter() = default;
  virtual bool Pass(const TArticle& article) const = 0;
};

class FolderSink {
 public:
  virtual ~FolderSink() = default;
  // Appends a header-only record whose origin is "server:group".
  virtual void AddHeaderOnly(TArticle& article, std::string_view origin) = 0;
};

// Settings the parsers read (defaults as shipped). TZ is the resolved offset
// written as hours x 100 plus minutes.
struct XoverOptions {
  std::int32_t MaxXPostKill = 10;
  std::int32_t ReplyNotify = 4;
  std::int32_t TZ = 0;
  bool scoring = true;   // the main window's scoring switch
  bool hardKill = true;  // the main window's hard-kill switch (HardKill)
  ScoreOptions score;    // KeptScore and ThreadScoreOpt
};

// The connection a block came from, when there is one.
struct XoverSource {
  std::string serverName;
  std::string groupName;
  std::int64_t lineCounter = 0;
};

// The part of a group (or folder) view that the parsers read and fill.
struct XoverView {
  XoverView(ArticleArena& arena, ViewLists& lists) : arena(arena), lists(lists) {}

  ArticleArena& arena;
  ViewLists& lists;
  XoverOptions options;
  bool newsgroup = true;
  std::string groupName;
  Prompter* prompter = nullptr;  // progress texts; none in tests

  // Group numbers and the sets indexed by number minus lowMark.
  std::int32_t lowMark = 0;
  std::int32_t highestSeen = -1;
  bool searchMode = false;           // server search or thread reconstruction
  bool reconstructionAnchor = false;  // search mode for a thread reconstruction
  std::int32_t searchScore = 10000;   // given to what a server search fetches
  bool newArticlesMode = false;
  std::int32_t newArticlesHighest = -1;
  BitSet presentSet, readSet, keptSet, excludedSet;
  // The numbers asked for by the command in progress: overview and XHDR
  // lines outside them are dropped (a server answering more than it was
  // asked must not add articles or move the highest number seen).
  std::int32_t acceptLow = INT32_MIN;
  std::int32_t acceptHigh = INT32_MAX;
  // The field order of the connection's overview lines (TNNTP::overviewFormat).
  OverviewFormat overviewFormat;

  // Identities' Message-ID tokens, the current one first.
  std::vector<std::string> idTokens;
  bool replyNotice = false;  // raised when a reply to the user arrived


  // Hooks; none means the feature is off.
  const AuthorTest* plonk = nullptr;
  ArticleScorer* scorer = nullptr;
  const ArticleFilter* headerFilter = nullptr;
  const ArticleFilter* quickFilter = nullptr;
  FolderSink* folder = nullptr;
  bool* storeModified = nullptr;  // the group store's Modified flag

  // Counters.
  std::int64_t linesParsed = 0;
  std::int64_t linesExpected = 0;
  std::int64_t killed = 0;
  std::int64_t articles = 0;
  std::int64_t unread = 0;
  std::int64_t added = 0;
  std::int64_t filteredArticles = 0;
  std::int64_t filteredUnread = 0;

  // Extra headers fetched by XHDR.
  std::vector<std::string> extraNames;
  std::size_t extraIndex = 0;
  std::unique_ptr<ExtraHeaderValues> extraValues;
  std::int32_t xhdrHighest = -1;
  std::int64_t xhdrLines = 0;
  std::int64_t expectedArticles = 0;

  // Sizes the four bit sets for low..high (keeping marks already made).
  void SizeSets(std::int32_t low, std::int32_t high);
};

// Parses overview lines; see the top of this file for the block contract.
std::size_t ParseXOVER(XoverView& view, XoverSource* source, std::string_view text, bool& done);
// Parses XHDR lines for the header extraNames[extraIndex].
std::size_t ParseXHDR(XoverView& view, XoverSource* source, std::string_view text, bool& done);

// The lowest and highest article numbers of an overview text; false when it
// has none.
bool OverviewNumberRange(std::string_view text, std::int32_t& low, std::int32_t& high);

// Parses a whole saved overview text (one line per article, CRLF or LF, the
// final "." optional). When the view's sets are empty they are first sized
// to the text's numbers (at most 2^28 numbers above the lowest).
void ParseOverviewText(XoverView& view, std::string_view text);

// The Xref value to keep: without "Xref:", the server name and the entry of
// the current group (when groupName is not empty).
std::string_view TrimXref(std::string_view xref, std::string_view groupName, std::string& scratch);

// Whether References show a follow-up to one of the identities' tokens within
// replyNotify levels (any depth when negative).
bool IsReplyToMe(std::string_view references, std::string_view messageID,
                 const std::vector<std::string>& idTokens, std::int32_t replyNotify);

}  // namespace orvel
