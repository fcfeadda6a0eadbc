#include "posting/queued_text.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace orvel {
namespace {

const DateTime kNow = *EncodeDateTime(2026, 12, 8, 10, 30, 5);
constexpr const char* kDate = "Date: Tue, 08 Dec 2026 10:30:05 +0100\r\n";

TID Identity() {
  return {.name = "Perso",
          .Name = "Ann Lee",
          .Email = "ann@real.example",
          .Organization = "Org",
          .PublicEmail = "ann@public.example",
          .SigFile = "sig.txt",
          .IDToken = "tok"};
}

ComposeMessage NewArticle() {
  ComposeMessage m;
  m.server = "news.example";
  m.groups = "fr.test";
  m.post = true;
  m.subject = "Hello";
  m.identity = Identity();
  m.personalHeaders = {{true, "X-Face", "abc"}, {false, "X-Off", "no"}, {true, "X-Empty", ""}};
  m.manualHeaders = {"X-Manual: one", "  "};
  m.body = {{"first line wrapped", true}, {"here", false}, {"", false}, {"end", false}};
  return m;
}

ComposeMessage FollowUpWithAttachments() {
  ComposeMessage m;
  m.server = "news.example";
  m.groups = "fr.a,fr.b";
  m.followUp = "fr.a";
  m.post = true;
  m.subject = "Re: files";
  m.references = "<1@x> <2@y>";
  m.identity = Identity();
  m.noArchive = true;
  m.newThread = true;
  m.attachments = {{"/tmp/a.bin", 1000}, {"/tmp/b.bin", 24}};
  m.attachmentOptions = {AttachmentMode::SeparatelyTextFirst, true, true, false, 5000};
  m.body = {{"text", false}, {"more", false}};
  return m;
}

ComposeMessage MailAndPost() {
  ComposeMessage m;
  m.server = "srv";
  m.groups = "fr.x";
  m.post = true;
  m.mail = true;
  m.mailTo = "Bob Ray <bob@example.org>";
  m.subject = "Re: both";
  m.identity = Identity();
  m.keepCopy = true;
  m.wordWrap = false;
  m.posted = true;
  m.body = {{"[Copie en courrier]", false}, {"", false}, {"hi", false}};
  return m;
}

const std::string kXId =
    "X-ID: Perso\tAnn Lee\tann@real.example\tann@public.example\tOrg\ttok\tsig.txt\r\n";

struct TextCase {
  const char* name;
  ComposeMessage message;
  int part;
  std::string text;
  QueueRecord record;
};

std::vector<TextCase> TextCases() {
  using namespace std::string_literals;
  return {
      {"NewArticle",
       NewArticle(),
       -1,
       "Subject: Hello\r\nNewsgroups: news.example:fr.test\r\n"s + kDate + "Lines: 4\r\n" + kXId +
           "X-Status: 4\r\nX-Face: abc\r\nX-Manual: one\r\n\r\n"
           "first line wrapped\nhere\r\n\r\nend" +
           '\0',
       {"Hello", "news.example:fr.test", "", "", "", 4, kNow, 4, false}},
      {"FirstAttachment",
       FollowUpWithAttachments(),
       0,
       "Subject: Re: files\r\nNewsgroups: news.example:fr.a,fr.b\r\nFollowup-To: fr.a\r\n"
       "References: <1@x> <2@y>\r\n"s +
           kDate + "Lines: 2\r\nX-No-Archive: yes\r\n" + kXId +
           "X-Status: 68\r\nX-Attachments: 2;3;5000;1024;1;2\t/tmp/a.bin\r\n\r\ntext\r\nmore" +
           '\0',
       {"Re: files\n - /tmp/a.bin", "news.example:fr.a,fr.b!fr.a", "", "", "<1@x> <2@y>", 2, kNow,
        68, true}},
      {"SecondAttachmentHasNoText",
       FollowUpWithAttachments(),
       1,
       "Subject: Re: files\r\nNewsgroups: news.example:fr.a,fr.b\r\nFollowup-To: fr.a\r\n"
       "References: <1@x> <2@y>\r\n"s +
           kDate + "Lines: 0\r\nX-No-Archive: yes\r\n" + kXId +
           "X-Status: 68\r\nX-Attachments: 2;3;5000;1024;2;2\t/tmp/b.bin\r\n\r\n" + '\0',
       {"Re: files\n - /tmp/b.bin", "news.example:fr.a,fr.b!fr.a", "", "", "<1@x> <2@y>", 0, kNow,
        68, true}},
      {"AllAttachmentsTogether",
       [] {
         ComposeMessage m = FollowUpWithAttachments();
         m.attachmentOptions.mode = AttachmentMode::Together;
         m.attachmentOptions.yEnc = true;
         m.attachmentOptions.mime = false;
         return m;
       }(),
       1,
       "Subject: Re: files\r\nNewsgroups: news.example:fr.a,fr.b\r\nFollowup-To: fr.a\r\n"
       "References: <1@x> <2@y>\r\n"s +
           kDate + "Lines: 2\r\nX-No-Archive: yes\r\n" + kXId +
           "X-Status: 68\r\nX-Attachments: 0;6;5000;1024;-1;-1\t/tmp/a.bin\t/tmp/b.bin\r\n\r\n"
           "text\r\nmore" +
           '\0',
       {"Re: files", "news.example:fr.a,fr.b!fr.a", "", "", "<1@x> <2@y>", 2, kNow, 68, true}},
      {"MailAndPost",
       MailAndPost(),
       -1,
       "Subject: Re: both\r\nNewsgroups: srv:fr.x\r\nTo: Bob Ray <bob@example.org>\r\n"s + kDate +
           "Lines: 3\r\n" + kXId + "X-Status: 61\r\n\r\n[Copie en courrier]\r\n\r\nhi" + '\0',
       {"Re: both", "srv:fr.x", "Bob Ray", "bob@example.org", "", 3, kNow, 61, false}},
      {"LineBreaksInValuesStayOnOneLine",
       [] {
         ComposeMessage m;
         m.subject = "a\r\nNewsgroups: evil";
         m.identity.Name = "x\ty";
         return m;
       }(),
       -1,
       "Subject: a  Newsgroups: evil\r\n"s + kDate +
           "Lines: 0\r\nX-ID: \tx y\t\t\t\t\t\r\n"
           "X-Status: 0\r\n\r\n" +
           '\0',
       {"a  Newsgroups: evil", "", "", "", "", 0, kNow, 0, false}},
  };
}

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class QueuedTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(QueuedTextTest, WritesTextAndRecord) {
  const TextCase& c = GetParam();
  const QueuedText q = BuildQueuedText(c.message, kNow, 100, c.part);
  EXPECT_EQ(q.text, c.text);
  EXPECT_EQ(q.record, c.record);
}

INSTANTIATE_TEST_SUITE_P(Messages, QueuedTextTest, testing::ValuesIn(TextCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(QueuedMessageCount, OnePerAttachmentOnlyWhenSeparate) {
  ComposeMessage m = FollowUpWithAttachments();
  EXPECT_EQ(QueuedMessageCount(m), 2);
  m.attachmentOptions.mode = AttachmentMode::Together;
  EXPECT_EQ(QueuedMessageCount(m), 1);
  m.attachmentOptions.mode = AttachmentMode::Separately;
  m.attachments.resize(1);
  EXPECT_EQ(QueuedMessageCount(m), 1);
}

}  // namespace
}  // namespace orvel
