#include "posting/article_header.h"

#include <gtest/gtest.h>

#include "writer_test_support.h"

namespace orvel {
namespace {

using Lines = std::vector<std::string>;

PostJob fullJob() {
  PostJob job = writer_test::BasicJob();
  job.identity.Organization = "Orga";
  job.groups = "alt.test,alt.misc";
  job.followUp = "alt.misc";
  job.references = "<a@x> <b@y>";
  job.noArchive = true;
  job.extraHeaders = {{"X-Face", "abc"}, {"Content-Type", "text/plain; charset=UTF-8"}};
  job.toName = "Ann, the Reader";
  job.toAddress = "ann@example.org";
  job.postWanted = true;
  return job;
}

ArticleHeaderParts plainParts() {
  ArticleHeaderParts parts;
  parts.subjectLine = "Subject: Holiday";
  parts.messageId = "<m1@test>";
  parts.cancelLock = "sha256:abc";
  return parts;
}

TEST(ArticleHeaderTest, OrderToTheNewsServer) {
  WriterEnvironment env = writer_test::FixedEnvironment();
  env.generateDateHeader = true;
  env.setReplyToInPost = true;
  EXPECT_EQ(ArticleHeaderLines(fullJob(), PostTarget::News, env, plainParts()),
            (Lines{"Newsgroups: alt.test,alt.misc", "Subject: Holiday",
                   "From: Jean Test <public@example.com>", "References: <a@x> <b@y>",
                   "Date: Wed, 15 Mar 2023 12:00:00 +0100", "Organization: Orga",
                   "Message-ID: <m1@test>", "Cancel-Lock: sha256:abc", "Followup-To: alt.misc",
                   "User-Agent: Orvel/Fr.08.12", "X-No-Archive: yes", "X-Face: abc",
                   "Content-Type: text/plain; charset=UTF-8", "Reply-To: real@example.com", ""}));
}

TEST(ArticleHeaderTest, OrderToTheMailServer) {
  WriterEnvironment env = writer_test::FixedEnvironment();
  env.setReplyToInPost = true;
  ArticleHeaderParts parts = plainParts();
  parts.dropMimeHeaders = true;
  parts.mime = {"Mime-Version: 1.0"};
  parts.endsHeader = false;
  EXPECT_EQ(ArticleHeaderLines(fullJob(), PostTarget::Mail, env, parts),
            (Lines{"Posted-and-Mailed: yes", "Subject: Holiday",
                   "From: Jean Test <real@example.com>", "References: <a@x> <b@y>",
                   "Organization: Orga", "User-Agent: Orvel/Fr.08.12",
                   "To: \"Ann, the Reader\" <ann@example.org>", "X-No-Archive: yes", "X-Face: abc",
                   "Mime-Version: 1.0"}));
}

TEST(ArticleHeaderTest, OptionalLinesFollowTheirConditions) {
  const WriterEnvironment plainEnv = writer_test::FixedEnvironment();
  struct Case {
    const char* name;
    std::function<void(PostJob&, WriterEnvironment&, ArticleHeaderParts&)> change;
    PostTarget target;
    const char* present;  // a line that must be there, or empty
    const char* absent;   // a line start that must not be there, or empty
  } cases[] = {
      {"no references when a new thread",
       [](PostJob& j, WriterEnvironment&, ArticleHeaderParts&) { j.referencesAllowed = false; },
       PostTarget::News, "", "References:"},
      {"no Message-ID: no Cancel-Lock",
       [](PostJob&, WriterEnvironment&, ArticleHeaderParts& p) { p.messageId.clear(); },
       PostTarget::News, "", "Cancel-Lock:"},
      {"a Reply-To of the user wins",
       [](PostJob& j, WriterEnvironment& e, ArticleHeaderParts&) {
         e.setReplyToInPost = true;
         j.extraHeaders.emplace_back("REPLY-TO", "me@elsewhere");
       },
       PostTarget::News, "REPLY-TO: me@elsewhere", "Reply-To:"},
      {"no Reply-To without the real address",
       [](PostJob& j, WriterEnvironment& e, ArticleHeaderParts&) {
         e.setReplyToInPost = true;
         j.identity.Email.clear();
       },
       PostTarget::News, "", "Reply-To:"},
      {"a mail not posted says so", [](PostJob&, WriterEnvironment&, ArticleHeaderParts&) {},
       PostTarget::Mail, "Posted-and-Mailed: no", ""},
      {"mail without groups has no Posted-and-Mailed",
       [](PostJob& j, WriterEnvironment&, ArticleHeaderParts&) { j.groups.clear(); },
       PostTarget::Mail, "To: ann@example.org", "Posted-and-Mailed:"},
      {"MIME drops the user's MIME headers, any case",
       [](PostJob& j, WriterEnvironment&, ArticleHeaderParts& p) {
         p.dropMimeHeaders = true;
         j.extraHeaders.emplace_back("mime-version", "1.0");
         j.extraHeaders.emplace_back("Content-Disposition", "inline");
       },
       PostTarget::News, "X-Face: abc", "mime-version:"},
      {"no date unless asked", [](PostJob&, WriterEnvironment&, ArticleHeaderParts&) {},
       PostTarget::News, "", "Date:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PostJob job = fullJob();
    job.toName.clear();
    job.postWanted = false;
    WriterEnvironment env = plainEnv;
    ArticleHeaderParts parts = plainParts();
    c.change(job, env, parts);
    const Lines lines = ArticleHeaderLines(job, c.target, env, parts);
    if (*c.present) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), c.present), lines.end());
    }
    for (const std::string& line : lines) {
      if (*c.absent) {
        EXPECT_NE(line.rfind(c.absent, 0), 0u) << line;
      }
    }
  }
}

TEST(ArticleHeaderTest, LongReferencesKeepTheFirstAndTheNewest) {
  PostJob job = writer_test::BasicJob();
  for (int i = 0; i < 60; ++i) job.references += "<" + std::to_string(100000 + i) + "@news.example.com> ";
  const Lines lines = ArticleHeaderLines(job, PostTarget::News, writer_test::FixedEnvironment(), {});
  const std::string& refs = lines[3];
  ASSERT_EQ(refs.rfind("References: <100000@news.example.com> ", 0), 0u);
  EXPECT_LT(refs.size(), 998u);
  EXPECT_GT(refs.size(), 998u - 30) << "as many of the newest as fit";
  EXPECT_EQ(refs.substr(refs.size() - 25), "<100059@news.example.com>");
  EXPECT_EQ(refs.find("<100001@"), std::string::npos);
}

TEST(ArticleHeaderTest, LongGroupLinesAreFolded) {
  PostJob job = writer_test::BasicJob();
  for (int i = 0; i < 80; ++i) job.groups += ",alt.binaries.pictures.group" + std::to_string(i);
  job.followUp = job.groups;
  const Lines lines = ArticleHeaderLines(job, PostTarget::News, writer_test::FixedEnvironment(), {});
  // Where the lines break is post_header_lines_test's.
  int continuations = 0;
  for (const std::string& line : lines) continuations += !line.empty() && line[0] == '\t';
  EXPECT_EQ(continuations, 4) << "two continuation lines for each of the two headers";
  EXPECT_EQ(lines[0].rfind("Newsgroups: alt.test,", 0), 0u);
}

}  // namespace
}  // namespace orvel
