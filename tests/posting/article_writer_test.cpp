#include "posting/article_writer.h"

#include <gtest/gtest.h>

#include "writer_test_support.h"

namespace orvel {
namespace {

using writer_test::HeaderLine;
using writer_test::HeaderLines;
using writer_test::WriteAllArticles;

std::vector<std::string> subjectsOf(const std::vector<std::string>& articles) {
  std::vector<std::string> subjects;
  for (const std::string& a : articles) subjects.push_back(HeaderLine(a, "Subject: "));
  return subjects;
}

std::string bodyOf(const std::string& article) { return article.substr(article.find("\r\n\r\n") + 4); }

struct SeriesCase {
  const char* name;
  int option;
  bool text;
  bool showFileCount;
  std::vector<std::string> subjects;
  std::vector<bool> textIn;  // whether each article carries the body text
};

class WriterSeries : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(WriterSeries, SubjectsAndTextPlacement) {
  const SeriesCase& c = GetParam();
  writer_test::TempFiles files(std::string("series") + c.name);
  PostJob job = writer_test::BasicJob();
  job.option = c.option;
  job.showFileCount = c.showFileCount;
  if (c.text) job.body = {"Some words", ".dotted"};
  job.files = {files.Make("a.bin", 100), files.Make("b.bin", 200), files.Make("c.bin", 300)};
  ArticleWriter writer(job, PostTarget::News, writer_test::FixedEnvironment());
  const std::vector<std::string> articles = WriteAllArticles(writer);
  EXPECT_EQ(subjectsOf(articles), c.subjects);
  ASSERT_EQ(articles.size(), c.textIn.size());
  for (std::size_t i = 0; i < articles.size(); ++i) {
    EXPECT_EQ(bodyOf(articles[i]).find("Some words\r\n..dotted\r\n") != std::string::npos, c.textIn[i])
        << "article " << i;
  }
  EXPECT_EQ(writer.ArticlesWritten(), static_cast<int>(articles.size()));
}

INSTANTIATE_TEST_SUITE_P(
    ArticleWriter, WriterSeries,
    ::testing::Values(
        SeriesCase{"TogetherWithCount", 0, true, true, {"Subject: Holiday - 3 attachments"}, {true}},
        SeriesCase{"SeparatelyTextAlone", 1, true, true,
                   {"Subject: Holiday", "Subject: Holiday - File 1 of 3 - a.bin (1/1)",
                    "Subject: Holiday - File 2 of 3 - b.bin (1/1)",
                    "Subject: Holiday - File 3 of 3 - c.bin (1/1)"},
                   {true, false, false, false}},
        SeriesCase{"SeparatelyWithoutTextIsTextFirst", 1, false, false,
                   {"Subject: Holiday - a.bin (1/1)", "Subject: Holiday - b.bin (1/1)",
                    "Subject: Holiday - c.bin (1/1)"},
                   {false, false, false}},
        SeriesCase{"TextInFirstFile", 2, true, false,
                   {"Subject: Holiday - a.bin (0/1)", "Subject: Holiday - a.bin (1/1)",
                    "Subject: Holiday - b.bin (1/1)", "Subject: Holiday - c.bin (1/1)"},
                   {true, false, false, false}},
        SeriesCase{"TextInEveryFile", 3, true, false,
                   {"Subject: Holiday - a.bin (0/1)", "Subject: Holiday - a.bin (1/1)",
                    "Subject: Holiday - b.bin (0/1)", "Subject: Holiday - b.bin (1/1)",
                    "Subject: Holiday - c.bin (0/1)", "Subject: Holiday - c.bin (1/1)"},
                   {true, false, true, false, true, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArticleWriterTest, TwelvePartsPadTheCounter) {
  writer_test::TempFiles files("twelve");
  PostJob job = writer_test::BasicJob();
  job.option = 2;
  job.cutSize = 10;  // lines of 45 bytes
  job.files = {files.Make("f.bin", 45 * 115)};
  ArticleWriter writer(job, PostTarget::News, writer_test::FixedEnvironment());
  const std::vector<std::string> articles = WriteAllArticles(writer);
  ASSERT_EQ(articles.size(), 12u);
  EXPECT_EQ(HeaderLine(articles[0], "Subject: "), "Subject: Holiday - f.bin (01/12)");
  EXPECT_EQ(HeaderLine(articles[11], "Subject: "), "Subject: Holiday - f.bin (12/12)");
  // uuencode: the begin line only in the first, the end lines only in the last.
  EXPECT_NE(articles[0].find("\r\n\r\n\r\nbegin 644 f.bin\r\n"), std::string::npos);
  EXPECT_EQ(articles[1].find("begin 644"), std::string::npos);
  EXPECT_TRUE(articles[11].ends_with("\r\n`\r\nend\r\n\r\n.\r\n"));
  EXPECT_EQ(bodyOf(articles[5]).size(), 10u * 63 + 3) << "ten data lines and the end marker";
}

TEST(ArticleWriterTest, TogetherSplitCountsTextLinesAndContinuesTheText) {
  writer_test::TempFiles files("together");
  PostJob job = writer_test::BasicJob();
  job.cutSize = 4;
  job.body = {"l1", "l2", "l3", "l4", "l5", "l6"};
  job.files = {files.Make("a.bin", 45 * 3)};  // 3 lines
  ArticleWriter writer(job, PostTarget::News, writer_test::FixedEnvironment());
  const std::vector<std::string> articles = WriteAllArticles(writer);
  EXPECT_EQ(subjectsOf(articles),
            (std::vector<std::string>{"Subject: Holiday (1/3)", "Subject: Holiday (2/3)",
                                      "Subject: Holiday (3/3)"}));
  ASSERT_EQ(articles.size(), 3u);
  EXPECT_EQ(bodyOf(articles[0]), "l1\r\nl2\r\nl3\r\nl4\r\n.\r\n");
  EXPECT_EQ(bodyOf(articles[1]).rfind("l5\r\nl6\r\n\r\nbegin 644 a.bin\r\nM", 0), 0u);
  EXPECT_EQ(bodyOf(articles[2]).rfind("M", 0), 0u) << "the data goes on without a header line";
}

TEST(ArticleWriterTest, MimeMessagePartialHeadersAndOneIdPerFile) {
  writer_test::TempFiles files("partial");
  PostJob job = writer_test::BasicJob();
  job.option = 1;
  job.mime = true;
  job.cutSize = 2;
  job.files = {files.Make("a.jpg", 45 * 3), files.Make("b.bin", 45)};
  ArticleWriter writer(job, PostTarget::News, writer_test::FixedEnvironment());
  const std::vector<std::string> articles = WriteAllArticles(writer);
  ASSERT_EQ(articles.size(), 3u);
  const std::vector<std::string> first = HeaderLines(articles[0]);
  const std::vector<std::string> second = HeaderLines(articles[1]);
  ASSERT_GE(first.size(), 3u);
  EXPECT_EQ(first[first.size() - 3], "Mime-Version: 1.0");
  EXPECT_EQ(first[first.size() - 2], "Content-Type: message/partial; number=1; total=2;");
  EXPECT_EQ(first.back().rfind("\tid=\"45000.5000000000", 0), 0u);
  EXPECT_EQ(second.back(), first.back()) << "both parts of a.jpg share the id";
  EXPECT_EQ(bodyOf(articles[0]).rfind(
                "Content-Type: image/jpeg; name=\"a.jpg\"\r\nContent-Transfer-Encoding: base64\r\n\r\n", 0),
            0u);
  // b.bin is one part: its own Content-Type completes the header.
  const std::size_t mimeVersion = articles[2].find("Mime-Version: 1.0\r\nContent-Type: application/octet-stream; name=\"b.bin\"\r\n"
                                                   "Content-Transfer-Encoding: base64\r\n\r\n");
  EXPECT_NE(mimeVersion, std::string::npos);
  EXPECT_EQ(articles[2].find("message/partial"), std::string::npos);
}

TEST(ArticleWriterTest, MessageIdsByArticleIndexAndNoneWhenThePosterGivesNone) {
  writer_test::TempFiles files("ids");
  PostJob job = writer_test::BasicJob();
  job.option = 1;
  job.body = {"text"};
  job.files = {files.Make("a.bin", 10)};
  WriterEnvironment env = writer_test::FixedEnvironment();
  env.cancelLock = [](const std::string& id) { return "sha256:" + id; };
  {
    WriterEnvironment none = env;
    none.messageId = [](int) { return std::string(); };
    ArticleWriter writer(job, PostTarget::News, none);
    EXPECT_EQ(WriteAllArticles(writer)[1].find("Message-ID:"), std::string::npos)
        << "the server assigns the id";
    EXPECT_EQ(writer.LastMessageId(), "");
  }
  ArticleWriter writer(job, PostTarget::News, env);
  const std::vector<std::string> articles = WriteAllArticles(writer);
  ASSERT_EQ(articles.size(), 2u);
  EXPECT_NE(articles[1].find("\r\nMessage-ID: <id1@test>\r\nCancel-Lock: sha256:<id1@test>\r\n"), std::string::npos);
  EXPECT_EQ(writer.LastMessageId(), "<id1@test>");
}

TEST(ArticleWriterTest, ResumingAndWritingInPiecesGiveTheSameBytes) {
  writer_test::TempFiles files("resume");
  PostJob job = writer_test::BasicJob();
  job.identity.IDToken = "tok";
  job.option = 3;
  job.yEnc = true;
  job.cutSize = 3000;
  job.body = {"text"};
  job.files = {files.Make("a.bin", 10000), files.Make("b.bin", 2000, 2)};
  ArticleWriter whole(job, PostTarget::News, writer_test::FixedEnvironment());
  const std::vector<std::string> all = WriteAllArticles(whole);
  ASSERT_EQ(all.size(), 7u);  // text + 4 parts, text + 1 part

  for (int skip : {1, 3, 5, 6, 7}) {
    ArticleWriter resumed(job, PostTarget::News, writer_test::FixedEnvironment());
    std::string error;
    ASSERT_TRUE(resumed.SkipArticles(skip, error)) << error;
    EXPECT_EQ(resumed.ArticlesWritten(), skip);
    const std::vector<std::string> rest = WriteAllArticles(resumed);
    EXPECT_EQ(rest, std::vector<std::string>(all.begin() + skip, all.end())) << "skip " << skip;
  }
  ArticleWriter beyond(job, PostTarget::News, writer_test::FixedEnvironment());
  std::string error;
  EXPECT_FALSE(beyond.SkipArticles(8, error));
  EXPECT_FALSE(error.empty());

  ArticleWriter pieces(job, PostTarget::News, writer_test::FixedEnvironment());
  std::vector<std::string> collected;
  std::string text;
  DotStuffingWriter sink(text);
  for (;;) {
    const WriteResult r = pieces.WriteSome(sink, 500, error);
    if (r == WriteResult::More) continue;
    if (r != WriteResult::Written) break;
    sink.End();
    collected.push_back(std::exchange(text, {}));
  }
  EXPECT_EQ(collected, all);
}

// Changed before the send starts or while its articles are written: the
// send fails, naming the file, and stays failed.
TEST(ArticleWriterTest, AFileChangedOrGoneFailsAndStaysFailed) {
  struct Case {
    const char* name;
    int articlesBefore;  // written before the change
    std::function<void(const PostFile&)> change;
    const char* error;
  } cases[] = {
      {"removed", 0, [](const PostFile& f) { std::filesystem::remove(f.path); }, "introuvable"},
      {"shorter", 0, [](const PostFile& f) { std::filesystem::resize_file(f.path, 100); }, "modifi"},
      {"longer", 0, [](const PostFile& f) { std::filesystem::resize_file(f.path, 300000); }, "modifi"},
      {"longer while read", 1, [](const PostFile& f) { std::filesystem::resize_file(f.path, 300000); },
       "modifi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writer_test::TempFiles files(std::string("changed") + std::to_string(c.articlesBefore) + c.name[0]);
    PostJob job = writer_test::BasicJob();
    job.cutSize = 10;
    job.files = {files.Make("a.bin", 200000)};
    ArticleWriter writer(job, PostTarget::News, writer_test::FixedEnvironment());
    std::string text, error;
    DotStuffingWriter sink(text);
    for (int i = 0; i < c.articlesBefore; ++i) ASSERT_EQ(writer.WriteNext(sink, error), WriteResult::Written);
    c.change(job.files[0]);
    WriteResult r = writer.WriteNext(sink, error);
    // Once reading has begun, the change shows when the reading reaches it.
    while (c.articlesBefore > 0 && r == WriteResult::Written) r = writer.WriteNext(sink, error);
    EXPECT_EQ(r, WriteResult::Failed);
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_NE(error.find(job.files[0].path), std::string::npos);
    error.clear();
    EXPECT_EQ(writer.WriteNext(sink, error), WriteResult::Failed);
    EXPECT_FALSE(error.empty());
  }
}

TEST(ArticleWriterTest, ProgressEveryHundredLinesWithThePercentage) {
  writer_test::TempFiles files("progress");
  PostJob job = writer_test::BasicJob();
  job.files = {files.Make("a.bin", 45 * 250)};
  ArticleWriter writer(job, PostTarget::Mail, writer_test::FixedEnvironment());
  std::vector<std::pair<int, std::string>> reports;
  writer.onProgress = [&](int percent, const std::string& text) { reports.emplace_back(percent, text); };
  WriteAllArticles(writer);
  EXPECT_EQ(reports, (std::vector<std::pair<int, std::string>>{{40, "Mailing Holiday"}, {80, "Mailing Holiday"}}));
}

// The header's lines and order are article_header_test's.
TEST(ArticleWriterTest, PlainTextArticleIsStuffedAndEnded) {
  PostJob job = writer_test::BasicJob();
  job.body = {"first", ".", ""};
  ArticleWriter writer(job, PostTarget::News, writer_test::FixedEnvironment());
  const std::vector<std::string> articles = WriteAllArticles(writer);
  ASSERT_EQ(articles.size(), 1u);
  EXPECT_EQ(HeaderLine(articles[0], "Subject: "), "Subject: Holiday");
  EXPECT_EQ(bodyOf(articles[0]), "first\r\n..\r\n\r\n.\r\n");
}

}  // namespace
}  // namespace orvel
