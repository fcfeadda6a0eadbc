#include "content/article_fetch.h"

#include <gtest/gtest.h>

#include "content/content_test_support.h"
#include "content/viewer_test_support.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

using test::Article;

// Records every call as one line of text.
class FakeHost : public ArticleFetchHost {
 public:
  ArticleViewKind kind = ArticleViewKind::ServerGroup;
  std::map<std::string, std::string> stored;  // Message-ID -> text
  bool grantConnection = true;
  std::vector<std::string> calls;
  std::string storedText;
  RecordUpdate lastUpdate;

  ArticleViewKind viewKind() const override { return kind; }
  bool readStoredArticle(const ArticleToFetch& a, std::string& text) override {
    const auto it = stored.find(a.messageId);
    if (it == stored.end()) return false;
    text = it->second;
    return true;
  }
  bool requestConnection(ArticlePurpose purpose) override {
    calls.push_back("connection " + std::to_string(static_cast<int>(purpose)));
    return grantConnection;
  }
  void releaseConnection() override { calls.push_back("release"); }
  void setFetching(const ArticleToFetch& a, bool on) override {
    calls.push_back(std::string(on ? "fetching " : "fetched ") + a.messageId);
  }
  void updateRecord(const ArticleToFetch& a, const RecordUpdate& update) override {
    calls.push_back("update " + a.messageId);
    lastUpdate = update;
  }
  void articleShown(const ArticleToFetch& a) override { calls.push_back("shown " + a.messageId); }
  void headShown(const ArticleToFetch& a) override { calls.push_back("head " + a.messageId); }
  void referenceShown(const ArticleHeaders& h) override {
    calls.push_back("reference " + h.messageId);
  }
  void storeArticle(const ArticleToFetch& a, std::string_view text) override {
    calls.push_back("store " + a.messageId);
    storedText = std::string(text);
  }
  void setTitle(std::string_view title) override { calls.push_back("title " + std::string(title)); }
};

struct Fixture {
  test::ScriptedPrompter prompter;
  test::RecordingLauncher launcher;
  ArticleView view{ViewerSettings(), ViewerServices{prompter, launcher, {}}};
  FakeHost host;
  ArticleFetch fetch{view, host, prompter};
};

ArticleToFetch Art42() {
  ArticleToFetch a;
  a.number = 42;
  a.messageId = "<42@x.fr>";
  a.group = "fr.test";
  a.subject = "Quarante-deux";
  a.lines = 3;
  return a;
}

const std::string kText = Article({"Subject: Quarante-deux", "From: Jean <j@x.fr>",
                                   "Message-ID: <42@x.fr>", "Newsgroups: fr.test",
                                   "References: <41@x.fr>", "Lines: 3", "", "un", ".deux", "trois"});
const std::string kReply = Article({"Subject: Quarante-deux", "From: Jean <j@x.fr>",
                                    "Message-ID: <42@x.fr>", "Newsgroups: fr.test",
                                    "References: <41@x.fr>", "Lines: 3", "", "un", "..deux",
                                    "trois", "."});

TEST(ArticleFetch, StoredArticleShownAtOnce) {
  Fixture f;
  f.host.stored["<42@x.fr>"] = kText;
  EXPECT_TRUE(f.fetch.GetArticle(Art42()));
  EXPECT_FALSE(f.fetch.busy());
  EXPECT_EQ(f.host.calls, (std::vector<std::string>{"update <42@x.fr>", "shown <42@x.fr>"}));
  EXPECT_EQ(f.view.lines().back().text, "trois");
  EXPECT_EQ(f.view.rawCopy(), kText);
  EXPECT_EQ(f.host.lastUpdate.subject, "Quarante-deux");
  EXPECT_EQ(f.host.lastUpdate.lines, 3);
}

TEST(ArticleFetch, FromTheServerInBlocksThenStored) {
  Fixture f;
  ASSERT_TRUE(f.fetch.GetArticle(Art42()));
  EXPECT_TRUE(f.fetch.busy());
  EXPECT_EQ(f.host.calls, (std::vector<std::string>{"fetching <42@x.fr>", "connection 3"}));
  EXPECT_FALSE(f.fetch.GetArticle(Art42()));  // busy: refused

  const ArticleFetch::Request request = f.fetch.BeginRequest("fr.test");
  EXPECT_EQ(request.command, "ARTICLE 42");
  EXPECT_EQ(request.actionText, "Article en cours..");
  EXPECT_EQ(request.progressMaximum, 3);

  std::string buffer;
  bool ended = false;
  for (std::size_t i = 0; i < kReply.size() && !ended; i += 5) {
    buffer += kReply.substr(i, 5);
    buffer.erase(0, f.fetch.OnData(buffer, ended));
  }
  ASSERT_TRUE(ended);
  EXPECT_TRUE(buffer.empty());
  EXPECT_FALSE(f.fetch.busy());
  EXPECT_EQ(f.host.calls,
            (std::vector<std::string>{"fetching <42@x.fr>", "connection 3", "title Quarante-deux",
                                      "update <42@x.fr>", "shown <42@x.fr>", "fetched <42@x.fr>",
                                      "store <42@x.fr>", "release"}));
  EXPECT_EQ(f.host.storedText, kText);  // dot-stuffing undone, no zero byte
  EXPECT_EQ(f.fetch.progressPosition(), 5);
  EXPECT_TRUE(f.view.mime().headersEnded());
}

TEST(ArticleFetch, ByMessageIdOutsideTheArticlesGroup) {
  EXPECT_EQ(ArticleRequestCommand("ARTICLE", Art42(), "fr.autre"), "ARTICLE <42@x.fr>");
  EXPECT_EQ(ArticleRequestCommand("HEAD", Art42(), "fr.test"), "HEAD 42");
  ArticleToFetch folderArticle = Art42();
  folderArticle.number = 0;
  EXPECT_EQ(ArticleRequestCommand("ARTICLE", folderArticle, "fr.test"), "ARTICLE <42@x.fr>");
  ArticleToFetch noId = Art42();
  noId.messageId.clear();
  EXPECT_EQ(ArticleRequestCommand("ARTICLE", noId, "fr.autre"), "ARTICLE 42");
}

TEST(ArticleFetch, LocalFolderWithoutTheArticle) {
  Fixture f;
  f.host.kind = ArticleViewKind::LocalFolder;
  EXPECT_FALSE(f.fetch.GetArticle(Art42()));
  EXPECT_FALSE(f.fetch.busy());
  EXPECT_EQ(f.prompter.lastStatus(), "Article absent   ");
  EXPECT_TRUE(f.host.calls.empty());
  EXPECT_FALSE(f.fetch.GetHeader(Art42()));
}

TEST(ArticleFetch, RefusedConnectionClearsBusyAndFetching) {
  Fixture f;
  f.host.grantConnection = false;
  EXPECT_FALSE(f.fetch.GetArticle(Art42()));
  EXPECT_FALSE(f.fetch.busy());
  EXPECT_EQ(f.host.calls, (std::vector<std::string>{"fetching <42@x.fr>", "connection 3",
                                                    "fetched <42@x.fr>"}));
}

TEST(ArticleFetch, FailedRequestThenReissue) {
  Fixture f;
  ASSERT_TRUE(f.fetch.GetArticle(Art42()));
  f.fetch.BeginRequest("fr.test");
  bool ended = false;
  f.fetch.OnData(kReply.substr(0, 40), ended);
  f.fetch.RequestFailed();
  EXPECT_FALSE(f.fetch.busy());
  EXPECT_TRUE(f.fetch.Reissue());
  EXPECT_EQ(f.fetch.BeginRequest("fr.test").command, "ARTICLE 42");
  EXPECT_TRUE(f.view.lines().empty());  // started again
  f.fetch.OnData(kReply, ended);
  EXPECT_TRUE(ended);
  EXPECT_EQ(f.view.lines().back().text, "trois");
}

TEST(ArticleFetch, HeadShowsAllHeaders) {
  Fixture f;
  ASSERT_TRUE(f.fetch.GetHeader(Art42()));
  const auto request = f.fetch.BeginRequest("fr.autre");
  EXPECT_EQ(request.command, "HEAD <42@x.fr>");
  EXPECT_EQ(request.actionText, "EnT\xC3\xAAte en cours..");
  EXPECT_EQ(request.progressMaximum, 0);
  bool ended = false;
  f.fetch.OnData("Subject: S\r\nPath: p\r\nX-Y: z\r\n.\r\n", ended);
  ASSERT_TRUE(ended);
  EXPECT_EQ(test::LineCodes(f.view),
            (std::vector<std::string>{"H|Subject: S", "H|Path: p", "H|X-Y: z", "B|"}));
  EXPECT_EQ(f.host.calls.back(), "release");
  EXPECT_EQ(f.host.calls[f.host.calls.size() - 2], "head <42@x.fr>");
}

TEST(ArticleFetch, ReferenceTitlesAndList) {
  Fixture f;
  ASSERT_TRUE(f.fetch.GetArtByMsgID("<41@x.fr>"));
  const auto request = f.fetch.BeginRequest("fr.test");
  EXPECT_EQ(request.command, "ARTICLE <41@x.fr>");
  EXPECT_EQ(request.actionText, "Reference en cours..");
  bool ended = false;
  f.fetch.OnData(Article({"Subject: Le parent", "Message-ID: <41@x.fr>", "Newsgroups: fr.test", "",
                          "x", "."}),
                 ended);
  ASSERT_TRUE(ended);
  EXPECT_EQ(f.host.calls,
            (std::vector<std::string>{"connection 4", "title [Ref] <41@x.fr>", "update <41@x.fr>",
                                      "title [Ref] Le parent", "reference <41@x.fr>", "release"}));
}

TEST(ArticleFetch, ReferencesOnlyOnline) {
  Fixture f;
  f.host.kind = ArticleViewKind::ServerFolder;
  EXPECT_FALSE(f.fetch.GetArtByMsgID("<41@x.fr>"));
  EXPECT_FALSE(f.fetch.busy());
}

TEST(RecordUpdate, OnlyWhatTheArticleHas) {
  ArticleHeaders headers;
  RecordUpdate none = RecordUpdateFrom(headers);
  EXPECT_FALSE(none.subject || none.fromName || none.fromAddress || none.references || none.lines);
  headers.subject = "S";
  headers.fromAddress = "a@b";
  headers.lines = -1;
  const RecordUpdate some = RecordUpdateFrom(headers);
  EXPECT_EQ(some.subject, "S");
  EXPECT_EQ(some.fromAddress, "a@b");
  EXPECT_EQ(some.fromName, "");
  EXPECT_FALSE(some.references.has_value());
  EXPECT_FALSE(some.lines.has_value());
}

}  // namespace
}  // namespace orvel
