// The poster's news side: one POST per article on a pooled connection, the
// notices its owner hears, the journal of what went, and resuming a send
// cut short without posting an article twice.

#include <gtest/gtest.h>

#include <fstream>

#include "poster_harness.h"
#include "posting/cancel_lock.h"

namespace orvel::test {
namespace {

std::string headerOf(const std::vector<std::string>& lines, const std::string& name) {
  for (const std::string& line : lines) {
    if (line.empty()) break;
    if (line.rfind(name + ": ", 0) == 0) return line.substr(name.size() + 2);
  }
  return {};
}

TEST(Poster, PostsATextArticleWithItsIdAndLock) {
  PosterHarness h;
  ASSERT_TRUE(h.poster->Send(TextPost()));
  EXPECT_TRUE(h.log.heard("0 Se connecte à test"));
  FakeTransport& t = h.greetNews();
  EXPECT_EQ(t.takeSentLines(), (std::vector<std::string>{"MODE READER", "POST"}));
  t.receive("340 send it\r\n");
  const std::vector<std::string> article = t.takeSentLines();
  ASSERT_FALSE(article.empty());
  EXPECT_EQ(article.back(), ".");
  EXPECT_EQ(headerOf(article, "Newsgroups"), "test.a");
  const std::string id = headerOf(article, "Message-ID");
  EXPECT_EQ(id.rfind("<OvF", 0), 0u) << id;
  EXPECT_NE(id.find("@192.0.2.1>"), std::string::npos) << "the server's address by default";
  const auto secret = CancelLockSecrets(h.dir.string() + "/").Secret("<Default>");
  ASSERT_TRUE(secret);
  EXPECT_EQ(headerOf(article, "Cancel-Lock"), CancelLockValue(*secret, id));
  EXPECT_NE(std::find(article.begin(), article.end(), "..dot first"), article.end());
  EXPECT_EQ(h.log.journal, (std::vector<std::string>{"start 0 " + id}));

  t.receive("240 article posted\r\n");
  EXPECT_EQ(h.log.journal.back(), "accepted 0");
  EXPECT_EQ(h.log.notices.back(), "7");
  EXPECT_FALSE(h.poster->Running());
  EXPECT_EQ(h.poster->Flags() & kXStatusPosted, kXStatusPosted);
  EXPECT_EQ(h.pool.activeCount(), 0) << "the connection went back to the pool";
}

TEST(Poster, KeepCopyEndsWithEightAndTheNextSendReusesTheConnection) {
  PosterHarness h;
  PostSend send = TextPost();
  send.flags |= kXStatusKeepCopy;
  h.poster->Send(send);
  FakeTransport& t = h.greetNews();
  t.receive("340 go\r\n");
  t.receive("240 ok\r\n");
  EXPECT_EQ(h.log.notices.back(), "8");
  t.takeSent();
  h.poster->Send(TextPost());
  EXPECT_EQ(h.net.transports().size(), 1u);
  EXPECT_EQ(t.takeSentLines(), std::vector<std::string>{"POST"});
}

struct RefusalCase {
  const char* name;
  std::string reply;  // to POST or to the article
  bool afterArticle;
  std::string notice;
};

class PosterRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(PosterRefusal, FailsWithTheServersTextAndNothingAccepted) {
  const RefusalCase& c = GetParam();
  PosterHarness h;
  h.poster->Send(TextPost());
  FakeTransport& t = h.greetNews();
  if (c.afterArticle) t.receive("340 go\r\n");
  t.receive(c.reply);
  EXPECT_EQ(h.log.notices.back(), c.notice);
  EXPECT_EQ(std::count_if(h.log.journal.begin(), h.log.journal.end(),
                          [](const std::string& j) { return j.rfind("accepted", 0) == 0; }),
            0);
  EXPECT_FALSE(h.poster->Running());
  EXPECT_EQ(h.poster->Flags() & kXStatusPosted, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, PosterRefusal,
    ::testing::Values(
        RefusalCase{"PostingNotAllowed", "440 Posting not permitted\r\n", false,
                    "10 440 Posting not permitted"},
        RefusalCase{"ArticleRefused", "441 437 Duplicate article\r\n", true,
                    "10 441 437 Duplicate article"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Poster, ConnectionCutWhileTheArticleIsOnItsWay) {
  PosterHarness h;
  h.poster->Send(TextPost());
  FakeTransport& t = h.greetNews();
  t.receive("340 go\r\n");
  t.peerClose();
  EXPECT_EQ(h.log.notices.back(), "10 Le serveur a fermé la connexion");
  ASSERT_EQ(h.log.journal.size(), 1u) << "started, never accepted";
}

TEST(Poster, NoAnswerEndsTheSendInsteadOfWaitingForever) {
  PosterHarness h;
  h.poster->Send(TextPost());
  FakeTransport& t = h.greetNews();
  t.receive("340 go\r\n");
  h.clock.advance(120000);
  EXPECT_EQ(h.log.notices.back(), "10 Pas de réponse du serveur");
  EXPECT_FALSE(h.poster->Running());
}

TEST(Poster, AnArticleWhoseStartCannotBeRecordedDoesNotGo) {
  PosterHarness h;
  h.log.recordable = false;
  h.poster->Send(TextPost());
  FakeTransport& t = h.greetNews();
  EXPECT_EQ(t.takeSentLines(), std::vector<std::string>{"MODE READER"});
  EXPECT_EQ(h.log.notices.back().rfind("10 ", 0), 0u);
}

struct ResumeCase {
  const char* name;
  std::string statReply;
  bool posts;  // the pending article goes again
};

class PosterResume : public ::testing::TestWithParam<ResumeCase> {};

TEST_P(PosterResume, AsksTheServerForThePendingArticleFirst) {
  const ResumeCase& c = GetParam();
  PosterHarness h;
  h.poster->Send(TextPost(), PostResume{0, "<OvFpending@example>"});
  FakeTransport& t = h.greetNews();
  EXPECT_EQ(t.takeSentLines(),
            (std::vector<std::string>{"MODE READER", "STAT <OvFpending@example>"}));
  t.receive(c.statReply);
  if (!c.posts) {
    EXPECT_EQ(t.takeSentLines(), std::vector<std::string>{});
    EXPECT_EQ(h.log.journal, std::vector<std::string>{"accepted 0"});
    EXPECT_EQ(h.log.notices.back(), "7");
    return;
  }
  EXPECT_EQ(t.takeSentLines(), std::vector<std::string>{"POST"});
  t.receive("340 go\r\n");
  EXPECT_EQ(headerOf(t.takeSentLines(), "Message-ID"), "<OvFpending@example>")
      << "the same id: a copy that did arrive meanwhile is refused as a duplicate";
}

INSTANTIATE_TEST_SUITE_P(Replies, PosterResume,
                         ::testing::Values(ResumeCase{"Arrived", "223 0 <OvFpending@example>\r\n", false},
                                           ResumeCase{"Missing", "430 no such article\r\n", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Poster, AMultiPartPostResumesAtTheCutPart) {
  PosterHarness h;
  const std::string path = (h.dir / "data.bin").string();
  {
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < 3000; ++i) out.put(static_cast<char>(i * 7));
  }
  PostSend send = TextPost({});
  send.job.files.push_back({path, "data.bin", 3000});
  send.job.yEnc = true;
  send.job.cutSize = 1000;
  const auto subjects = [&](PostResume resume) {
    PosterHarness run;
    run.poster->Send(send, resume);
    FakeTransport& t = run.greetNews();
    t.takeSent();
    std::vector<std::string> seen;
    while (run.poster->Running()) {
      t.receive("340 go\r\n");
      seen.push_back(headerOf(t.takeSentLines(), "Subject"));
      t.receive("240 ok\r\n");
      t.takeSent();
    }
    EXPECT_EQ(run.log.notices.back(), "7");
    return seen;
  };
  const std::vector<std::string> whole = subjects({});
  ASSERT_EQ(whole.size(), 3u);
  EXPECT_NE(whole[0].find("(1/3)"), std::string::npos) << whole[0];
  EXPECT_EQ(subjects(PostResume{2, {}}), std::vector<std::string>{whole[2]});
}

PostSend MailAndPost() {
  PostSend send = TextPost();
  send.flags |= kXStatusMailWanted;
  send.job.toName = "Bob";
  send.job.toAddress = "bob@example.net";
  send.job.postWanted = true;
  return send;
}

TEST(Poster, MailsFirstThenPosts) {
  PosterHarness h;
  h.poster->Send(MailAndPost());
  FakeTransport& smtp = h.net.last();
  EXPECT_EQ(smtp.connects().at(0).address, "192.0.2.25");
  EXPECT_EQ(smtp.connects().at(0).port, 25);
  smtp.accept();
  const std::pair<const char*, const char*> dialogue[] = {
      {"220 mail ready\r\n", "EHLO client.example"},
      {"250 mail\r\n", "MAIL FROM:<ann@example.net>"},
      {"250 ok\r\n", "RCPT TO:<bob@example.net>"},
      {"250 ok\r\n", "DATA"},
  };
  for (const auto& [reply, command] : dialogue) {
    smtp.receive(reply);
    EXPECT_EQ(smtp.takeSentLines(), std::vector<std::string>{command}) << reply;
  }
  smtp.receive("354 go ahead\r\n");
  const std::vector<std::string> mail = smtp.takeSentLines();
  EXPECT_EQ(headerOf(mail, "Posted-and-Mailed"), "yes");
  EXPECT_EQ(headerOf(mail, "To"), "Bob <bob@example.net>");
  EXPECT_EQ(headerOf(mail, "Message-ID"), "") << "the mail server makes its own";
  EXPECT_EQ(mail.back(), ".");
  smtp.receive("250 queued\r\n");
  EXPECT_EQ(smtp.takeSentLines(), std::vector<std::string>{"QUIT"});
  smtp.receive("221 bye\r\n");
  EXPECT_TRUE(h.log.heard("3"));
  EXPECT_EQ(h.poster->Flags() & kXStatusMailSent, kXStatusMailSent);
  const std::vector<std::string> steps(h.log.notices.begin(), h.log.notices.begin() + 7);
  EXPECT_EQ(steps, (std::vector<std::string>{"1 Mailing", "1 Se connecte à SMTP host...", "1 HELO",
                                             "1 MAIL FROM <ann@example.net>",
                                             "1 RCPT TO <bob@example.net>", "1 DATA",
                                             "1 Sending mail"}));
  ASSERT_EQ(h.net.transports().size(), 2u) << "then the news server";
  FakeTransport& news = h.greetNews();
  news.receive("340 go\r\n");
  news.receive("240 ok\r\n");
  EXPECT_EQ(h.log.notices.back(), "7");
  EXPECT_EQ(h.poster->Flags() & kXStatusPosted, kXStatusPosted);
}

TEST(Poster, AMailRefusalLeavesBothTargetsAsTheyWere) {
  PosterHarness h;
  h.poster->Send(MailAndPost());
  FakeTransport& smtp = h.net.last();
  smtp.accept();
  smtp.receive("220 mail ready\r\n");
  smtp.receive("250 mail\r\n");
  smtp.receive("250 ok\r\n");
  smtp.receive("550 no such user\r\n");
  EXPECT_EQ(h.log.notices.back(), "10 550 no such user");
  EXPECT_EQ(h.poster->Flags() & (kXStatusMailSent | kXStatusPosted), 0u);
  // The mail connection is closed, and no news one was made.
  ASSERT_EQ(h.net.transports().size(), 1u);
  EXPECT_FALSE(smtp.isConnected());
  // The next send mails over the same client, from the greeting on.
  h.poster->Send(MailAndPost());
  smtp.accept();
  smtp.receive("220 mail ready\r\n");
  EXPECT_EQ(smtp.takeSentLines().back(), "EHLO client.example");
  EXPECT_EQ(h.net.transports().size(), 1u);
}

}  // namespace
}  // namespace orvel::test
