#include "posting/compose_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "articles/article_arena.h"
#include "config/main_state.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

class ComposeSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("compose_session_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    std::ofstream(dir_ / "sig.txt") << "Ann\nhttp://ann.example\n";
    std::ofstream(dir_ / "work.txt") << "--\nAnn at work\n";
    main_.headerLinePattern.Compile(kHeaderLinePattern);
    main_.settings.newsAttrib = "%a a écrit :";
    main_.settings.mailAttrib = "Vous avez écrit :";
    main_.settings.forwAttrib = "Message de %f";
    main_.settings.warnExcessiveQuote = 60;
    TID ann{kDefaultIdentityName, "Ann", "ann@real.example", "Org", "ann@example.com", "sig.txt", ""};
    TID work = ann;
    work.name = "Work";
    work.SigFile = "work.txt";
    main_.identities = {ann, work};
    profile_ = std::make_shared<TProfile>();
    profile_->alias = "srv";
    profile_->identity = ann;
    main_.profiles.push_back(profile_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  ComposeSession session() {
    const std::string base = dir_.string() + "/";
    return ComposeSession({&main_, profile_, base, base + "Outbox.mbx", base + "Sent.mbx", {}, 0},
                          prompter_);
  }
  static AnsweredArticle article() {
    AnsweredArticle a;
    a.headers.subject = "Question";
    a.headers.from = "Bob <bob@example.org>";
    a.headers.fromName = "Bob";
    a.headers.fromAddress = "bob@example.org";
    a.headers.newsgroups = "fr.test,fr.misc";
    a.headers.messageId = "<q1@example.org>";
    a.headers.references = "<q0@example.org>";
    a.headerText = "From: Bob <bob@example.org>\r\n";
    a.body = "Hello\r\nWhy?\r\n-- \r\nBob\r\n";
    return a;
  }

  fs::path dir_;
  MainState main_;
  std::shared_ptr<TProfile> profile_;
  test::ScriptedPrompter prompter_;
};

constexpr const char* kAnnSignature = "\r\n\r\n-- \r\nAnn\r\nhttp://ann.example\r\n";

TEST_F(ComposeSessionTest, AnswersAreFilledFromTheArticle) {
  struct Case {
    ComposeKind kind;
    const char* caption;
    const char* subject;
    const char* groups;
    const char* mailTo;
    const char* references;
    std::string body;
  };
  const std::string quoted = "Bob a écrit :\r\n\r\n> Hello\r\n> Why?\r\n";
  const Case cases[] = {
      {ComposeKind::FollowUp, "FollowUp to: Question", "Re: Question", "fr.test,fr.misc", "",
       "<q0@example.org> <q1@example.org>", quoted + kAnnSignature},
      {ComposeKind::Mail, "Reply to: Question", "Re: Question", "", "Bob <bob@example.org>",
       "<q0@example.org> <q1@example.org>",
       "Vous avez écrit :\r\n\r\n> Hello\r\n> Why?\r\n" + std::string(kAnnSignature)},
      {ComposeKind::FollowUpMail, "FollowUp to: Question", "Re: Question", "fr.test,fr.misc",
       "Bob <bob@example.org>", "<q0@example.org> <q1@example.org>",
       "[Copie en courrier]\r\n\r\n" + quoted + kAnnSignature},
      {ComposeKind::Forward, "Forward: Question", "Fw: Question", "", "", "",
       "Message de Bob <bob@example.org>\r\n\r\nFrom: Bob <bob@example.org>\r\nHello\r\nWhy?\r\n"
       "-- \r\nBob\r\n\r\n-=:FIN message retransmis=-\r\n\r\n" + std::string(kAnnSignature)},
      {ComposeKind::Supersede, "Supersede: Question", "Question", "fr.test,fr.misc", "",
       "<q0@example.org>", "Hello\r\nWhy?\r\n-- \r\nBob\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    ComposeSession s = session();
    s.OpenAnswer(c.kind, article(), "fr.test");
    const ComposeMessage& m = s.Message();
    EXPECT_EQ(s.Caption(), c.caption);
    EXPECT_EQ(m.subject, c.subject);
    EXPECT_EQ(m.groups, c.groups);
    EXPECT_EQ(m.post, !std::string(c.groups).empty());
    EXPECT_EQ(m.mailTo, c.mailTo);
    EXPECT_EQ(m.references, c.references);
    EXPECT_EQ(s.BodyText(), c.body);
    EXPECT_FALSE(m.modified);
    EXPECT_EQ(m.wordWrap, c.kind != ComposeKind::Forward);
  }
}

TEST_F(ComposeSessionTest, AnswerDetails) {
  AnsweredArticle a = article();
  a.headers.subject = "Re: Question";
  a.headers.followupTo = "Poster";
  a.headers.replyToName = "Bob B";
  a.headers.replyToAddress = "bob@reply.example";
  a.headers.xNoArchive = true;
  a.selection = "Why?";
  ComposeSession s = session();
  s.OpenAnswer(ComposeKind::FollowUp, a, "fr.test");
  EXPECT_EQ(s.Message().subject, "Re: Question");
  EXPECT_EQ(prompter_.messages(), std::vector<std::string>{std::string(kPosterOnlyText)});
  EXPECT_FALSE(s.Message().post);
  EXPECT_TRUE(s.Message().mail);
  EXPECT_EQ(s.Message().mailTo, "Bob B <bob@reply.example>");
  EXPECT_TRUE(s.NoArchiveHint());
  EXPECT_EQ(s.BodyText(), "Vous avez écrit :\r\n\r\n> Why?\r\n" + std::string(kAnnSignature))
      << "the selection alone is quoted";

  ComposeSession super = session();
  super.OpenAnswer(ComposeKind::Supersede, article(), "fr.test");
  ASSERT_FALSE(super.Message().personalHeaders.empty());
  EXPECT_EQ(super.Message().personalHeaders.back(),
            (PersonalHeader{true, "Supersedes", "<q1@example.org>"}));
}

TEST_F(ComposeSessionTest, CopyOfAnArticleKeepsItsTargetsAndTextButNotItsIdentity) {
  AnsweredArticle a = article();
  a.headers.followupTo = "fr.misc";
  ComposeSession s = session();
  s.OpenCopy(a, "fr.other");
  const ComposeMessage& m = s.Message();
  EXPECT_EQ(m.groups, "fr.test,fr.misc");
  EXPECT_EQ(m.followUp, "fr.misc");
  EXPECT_EQ(m.subject, "Question");
  EXPECT_EQ(m.references, "<q0@example.org>");
  EXPECT_TRUE(m.post);
  EXPECT_EQ(m.identity.PublicEmail, "ann@example.com") << "sent as the person, not the author";
  EXPECT_EQ(s.BodyText(), "Hello\r\nWhy?\r\n-- \r\nBob\r\n") << "no second signature";
  EXPECT_FALSE(m.modified) << "closing an untouched copy asks nothing";

  a.headers.newsgroups.clear();
  ComposeSession folder = session();
  folder.OpenCopy(a, "fr.other");
  EXPECT_EQ(folder.Message().groups, "fr.other");
}

TEST_F(ComposeSessionTest, EditsKeepTargetsAndSignatureConsistent) {
  ComposeSession s = session();
  s.OpenNew("fr.test");
  EXPECT_EQ(s.Caption(), "Post to: fr.test");
  EXPECT_EQ(s.BodyText(), kAnnSignature);
  EXPECT_TRUE(s.SetMail(true));
  EXPECT_EQ(s.BodyText(), "[Copie en courrier]\r\n" + std::string(kAnnSignature));
  EXPECT_FALSE(s.SetMail(true));
  s.SetBodyText("[Copie en courrier]\r\n\r\nText\r\n");
  EXPECT_TRUE(s.SetPost(false));
  EXPECT_EQ(s.BodyText(), "Text\r\n");

  s.SetBodyText("Text\r\n\r\n-- \r\nAnn\r\n");
  s.Edit().modified = true;
  ASSERT_TRUE(s.ChangeIdentity("work"));
  EXPECT_EQ(s.Message().identity.SigFile, "work.txt");
  EXPECT_EQ(s.BodyText(), "Text\r\n\r\n-- \r\nAnn at work\r\n");
  EXPECT_TRUE(s.Message().modified);
  EXPECT_FALSE(s.ChangeIdentity("nobody"));
}

TEST_F(ComposeSessionTest, SendAsksTheChecksThenTheFollowUpAndLargeFiles) {
  ComposeSession s = session();
  s.OpenAnswer(ComposeKind::FollowUp, article(), "fr.test");
  s.SetBodyText("> a\r\n> b\r\n> c\r\nok");
  s.Edit().modified = true;
  const SendCheckContext context = ContextFromSettings(main_.settings);
  const auto never = [](const std::string&) -> std::optional<std::string> {
    ADD_FAILURE() << "no picker for two groups";
    return std::nullopt;
  };
  prompter_.answer(Button::Yes);
  EXPECT_EQ(s.PrepareSend(context, never), SendStep::Back);
  EXPECT_EQ(prompter_.questions().back(),
            "Le texte cité représente 75% du texte total\r\n         Réduire le texte cité ?");
  prompter_.answer(Button::No);
  EXPECT_EQ(s.PrepareSend(context, never), SendStep::Send);

  s.Edit().groups = "a, b,c,d";
  s.Edit().followUp.clear();
  prompter_.answer(Button::No);
  std::string offered;
  EXPECT_EQ(s.PrepareSend(context, [&](const std::string& groups) -> std::optional<std::string> {
    offered = groups;
    return std::string("a");
  }),
            SendStep::Send);
  EXPECT_EQ(offered, "a,b,c,d") << "spaces are out before the picker";
  EXPECT_EQ(s.Message().followUp, "a");

  for (const char* name : {"one.bin", "two.bin"}) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path) << "x";
    s.Edit().attachments.push_back({path, 2000000});
  }
  prompter_.answer(Button::No);
  prompter_.answer(Button::Yes);
  EXPECT_EQ(s.PrepareSend(context, never), SendStep::SaveThenSend);
  EXPECT_EQ(prompter_.questions().back(), kLargeFileQuestion);
  EXPECT_TRUE(prompter_.scriptUsed());
}

TEST_F(ComposeSessionTest, SavedMessageReopensAndReplacesItsEntry) {
  ComposeSession s = session();
  s.OpenAnswer(ComposeKind::FollowUpMail, article(), "fr.test");
  s.Edit().modified = true;
  s.Edit().manualHeaders = {"X-Test: yes"};
  const std::string outbox = (dir_ / "Outbox.mbx").string();
  ASSERT_TRUE(s.SaveToOutbox(45000.5));
  EXPECT_FALSE(s.Message().modified);
  ASSERT_TRUE(s.SaveToOutbox(45000.75));

  TFolder folder(outbox, kStoreOutbox);
  ArticleArena arena;
  std::vector<TArticle*> entries;
  ASSERT_TRUE(folder.LoadHeaders(arena, entries));
  ASSERT_EQ(entries.size(), 1u) << "the second save replaced the first";
  const TArticle& entry = *entries[0];
  EXPECT_EQ(entry.Xref.view(), "srv:fr.test,fr.misc");
  EXPECT_EQ(entry.FromAddress(), "bob@example.org");
  EXPECT_TRUE(entry.Has(NodeFlag::MailWanted));
  EXPECT_TRUE(entry.Has(NodeFlag::PostWanted));
  std::string text;
  ASSERT_TRUE(folder.ReadBody(entry, text));

  ComposeSession reopened = session();
  std::string error;
  ASSERT_TRUE(reopened.OpenQueued(
      text, FolderEntryRef{outbox, kStoreOutbox, {entry.Date, std::string(entry.Subject.view())}},
      error))
      << error;
  ComposeMessage expected = s.Message();
  EXPECT_EQ(reopened.Message(), expected);
  reopened.Edit().subject = "Re: Question (2)";
  ASSERT_TRUE(reopened.SaveToOutbox(45001));
  std::vector<TArticle*> after;
  ASSERT_TRUE(TFolder(outbox, kStoreOutbox).LoadHeaders(arena, after));
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0]->Subject.view(), "Re: Question (2)");
}

TEST_F(ComposeSessionTest, ClosingAsksOnlyAboutUnsavedChanges) {
  ComposeSession s = session();
  s.OpenNew("fr.test");
  EXPECT_TRUE(s.ConfirmClose(45000));
  s.Edit().modified = true;
  prompter_.answer(Button::Cancel);
  EXPECT_FALSE(s.ConfirmClose(45000));
  prompter_.answer(Button::Yes);
  EXPECT_TRUE(s.ConfirmClose(45000));
  EXPECT_TRUE(fs::exists(dir_ / "Outbox.mbx"));
  EXPECT_EQ(prompter_.questions(),
            std::vector<std::string>(2, std::string(kMessageChangedQuestion)));
}

}  // namespace
}  // namespace orvel
