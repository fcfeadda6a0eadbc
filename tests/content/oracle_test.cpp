// Our decoders against independent tools on the same input: uuenview and
// uudeview (multi-part yEnc, uuencode and base64 posts), sharutils'
// uuencode/uudecode, and Python's email package for MIME. Inputs are made at
// test time; a test whose tool is missing is skipped. The public vectors of
// the shared directory, when present, must decode without harm.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "content/article_files.h"
#include "content/batch.h"
#include "content/crc32.h"
#include "content/mime.h"
#include "content_test_support.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

bool haveTool(const char* path) { return ::access(path, X_OK) == 0; }

int run(const std::string& command) { return std::system(command.c_str()); }

std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// Runs a decode batch over the article files; returns the finished files
// (and, when asked, every report).
std::vector<std::string> decodeArticles(const std::vector<std::string>& files,
                                        const std::string& outDir,
                                        std::vector<BatchFileReport>* reports = nullptr) {
  test::ScriptedPrompter prompter;
  ArticleFileHost host(files);
  BatchSettings settings;
  settings.decodeDir = outDir;
  TBatch batch(host, prompter, settings);
  std::vector<std::string> finished;
  batch.setReportListener([&](const BatchFileReport& r) {
    if (r.kind == BatchFileReport::Kind::Finished) finished.push_back(r.path);
    if (reports) reports->push_back(r);
  });
  host.queueAll(batch);
  batch.Start(BatchOperation::Decode);
  batch.Close();
  return finished;
}

// uuenview's articles of a file, as it would post them (saved by an INEWS
// script that keeps each article).
std::vector<std::string> uuenviewPost(const test::ScratchDir& dir, const std::string& flags) {
  test::WriteFileBytes(dir.file("inews.sh"),
                       "#!/bin/sh\nn=$(ls " + dir.file("posted") +
                           " | wc -l)\ncat > " + dir.file("posted") +
                           "/art$(printf %03d $((n+1)))\n");
  ::chmod(dir.file("inews.sh").c_str(), 0755);
  std::filesystem::create_directories(dir.file("posted"));
  const int status = run("cd " + dir.path() + " && INEWS=" + dir.file("inews.sh") + " uuenview " +
                         flags + " -f me@example.org -s 'test post' -p alt.test " +
                         "data.bin >/dev/null 2>&1");
  return status == 0 ? filesIn(dir.file("posted")) : std::vector<std::string>();
}

struct PostCase {
  const char* name;
  const char* encoderFlags;  // uuenview type and lines per article
  std::size_t size;
  friend void PrintTo(const PostCase& c, std::ostream* os) { *os << c.name; }
};

class UUEnviewPosts : public ::testing::TestWithParam<PostCase> {};

TEST_P(UUEnviewPosts, DecodeLikeTheOriginalAndLikeUudeview) {
  if (!haveTool("/usr/bin/uuenview") || !haveTool("/usr/bin/uudeview")) {
    GTEST_SKIP() << "uudeview is not installed";
  }
  test::ScratchDir dir;
  const std::string original = test::RandomBytes(GetParam().size, 99);
  test::WriteFileBytes(dir.file("data.bin"), original);
  std::filesystem::create_directories(dir.file("ours"));
  std::filesystem::create_directories(dir.file("theirs"));
  const std::vector<std::string> articles = uuenviewPost(dir, GetParam().encoderFlags);
  ASSERT_GT(articles.size(), 1u);

  const auto finished = decodeArticles(articles, dir.file("ours"));
  EXPECT_EQ(finished, std::vector<std::string>{dir.file("ours") + "/data.bin"});
  EXPECT_EQ(test::ReadFileBytes(dir.file("ours/data.bin")), original);

  ASSERT_EQ(run("uudeview -i -o -q -p " + dir.file("theirs") + "/ " + dir.file("posted") +
                "/* >/dev/null 2>&1"),
            0);
  EXPECT_EQ(test::ReadFileBytes(dir.file("theirs/data.bin")),
            test::ReadFileBytes(dir.file("ours/data.bin")));
}

INSTANTIATE_TEST_SUITE_P(Tools, UUEnviewPosts,
                         ::testing::Values(PostCase{"YEncFourParts", "-y -600", 250000},
                                           PostCase{"UUencodePartial", "-u -800", 120000},
                                           PostCase{"Base64Partial", "-b -800", 150000},
                                           PostCase{"YEncOddSize", "-y -300", 77777}),
                         [](const auto& info) { return std::string(info.param.name); });

// The same posts without their second article: nothing is decoded, and the
// file is reported incomplete, missing that part.
class UUEnviewPostsMissingAPart : public ::testing::TestWithParam<PostCase> {};

TEST_P(UUEnviewPostsMissingAPart, AreIncomplete) {
  if (!haveTool("/usr/bin/uuenview")) GTEST_SKIP() << "uudeview is not installed";
  test::ScratchDir dir;
  test::WriteFileBytes(dir.file("data.bin"), test::RandomBytes(GetParam().size, 98));
  std::vector<std::string> articles = uuenviewPost(dir, GetParam().encoderFlags);
  ASSERT_GE(articles.size(), 3u);
  articles.erase(articles.begin() + 1);
  std::filesystem::create_directories(dir.file("ours"));
  std::vector<BatchFileReport> reports;
  EXPECT_TRUE(decodeArticles(articles, dir.file("ours"), &reports).empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].kind, BatchFileReport::Kind::Incomplete);
  EXPECT_EQ(reports[0].path, dir.file("ours/data.bin"));  // no resume store: the name stays
  EXPECT_EQ(reports[0].missingParts, std::vector<std::int64_t>{2});
}

INSTANTIATE_TEST_SUITE_P(Tools, UUEnviewPostsMissingAPart,
                         ::testing::Values(PostCase{"YEnc", "-y -300", 150000},
                                           PostCase{"UUencodePartial", "-u -800", 120000},
                                           PostCase{"Base64Partial", "-b -800", 150000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SharutilsUuencode, DecodesLikeUudecode) {
  if (!haveTool("/usr/bin/uuencode") || !haveTool("/usr/bin/uudecode")) {
    GTEST_SKIP() << "sharutils is not installed";
  }
  test::ScratchDir dir;
  const std::string original = test::RandomBytes(10000, 5);
  test::WriteFileBytes(dir.file("in.bin"), original);
  test::WriteFileBytes(dir.file("article"), "Subject: sharutils\n\n");
  ASSERT_EQ(run("cd " + dir.path() + " && uuencode in.bin shared.bin >> article"), 0);
  ASSERT_EQ(run("cd " + dir.path() + " && uudecode -o theirs.bin article"), 0);
  std::filesystem::create_directories(dir.file("ours"));
  decodeArticles({dir.file("article")}, dir.file("ours"));
  EXPECT_EQ(test::ReadFileBytes(dir.file("ours/shared.bin")), original);
  EXPECT_EQ(test::ReadFileBytes(dir.file("ours/shared.bin")),
            test::ReadFileBytes(dir.file("theirs.bin")));
}

// Python builds a MIME message (nested multipart, base64 and
// quoted-printable attachments, encoded-word subject) and writes what its
// own parser decodes from it.
const char kPythonMime[] = R"PY(
import email, email.policy, os, random, sys
from email.message import EmailMessage
out = sys.argv[1]
random.seed(4)
blob = bytes(random.getrandbits(8) for _ in range(20000))
text = ('Ligne accentuée avec des = et des espaces en fin   \n' * 40).encode('utf-8')
msg = EmailMessage()
msg['Subject'] = 'Café crème — test ✓'
msg['From'] = 'Jo <jo@example.org>'
msg.set_content('Le corps du message.\n')
msg.add_attachment(blob, maintype='application', subtype='octet-stream', filename='blob.bin')
msg.add_attachment(text, maintype='text', subtype='plain', filename='notes.txt', cte='quoted-printable')
inner = EmailMessage()
inner.set_content('inner text')
inner.add_attachment(blob[:999], maintype='image', subtype='gif', filename='pic.gif')
msg.add_attachment(inner)
raw = msg.as_bytes(policy=email.policy.SMTP)
open(os.path.join(out, 'article'), 'wb').write(raw)
parsed = email.message_from_bytes(raw, policy=email.policy.default)
os.makedirs(os.path.join(out, 'theirs'))
for part in parsed.walk():
    name = part.get_filename()
    if name:
        open(os.path.join(out, 'theirs', name), 'wb').write(part.get_payload(decode=True))
open(os.path.join(out, 'subject'), 'w', encoding='utf-8').write(str(parsed['Subject']))
)PY";

TEST(PythonEmail, AttachmentsAndSubjectDecodeTheSame) {
  if (!haveTool("/usr/bin/python3")) GTEST_SKIP() << "python3 is not installed";
  test::ScratchDir dir;
  test::WriteFileBytes(dir.file("make.py"), kPythonMime);
  ASSERT_EQ(run("/usr/bin/python3 " + dir.file("make.py") + " " + dir.path()), 0);
  std::filesystem::create_directories(dir.file("ours"));
  decodeArticles({dir.file("article")}, dir.file("ours"));
  const std::vector<std::string> theirs = filesIn(dir.file("theirs"));
  ASSERT_EQ(theirs.size(), 3u);
  for (const std::string& path : theirs) {
    const std::string name = path.substr(path.rfind('/') + 1);
    const std::string ours = test::ReadFileBytes(dir.file("ours/" + name));
    const std::string expected = test::ReadFileBytes(path);
    EXPECT_EQ(ours, expected) << name;
  }
  TMime mime(false);
  mime.ParseHeadersOnly(test::ReadFileBytes(dir.file("article")));
  EXPECT_EQ(mime.headers().subject, test::ReadFileBytes(dir.file("subject")));
}

// Raw NNTP responses (status line, dot-stuffed body, "." end) of the public
// yEnc vectors: none may harm the decoder; the uuencoded logo must come out
// whole.
TEST(PublicVectors, SabctoolsResponsesDecodeWithoutHarm) {
  const std::string vectors = ORVEL_SOURCE_DIR "/../shared/vectors/yenc/sabctools";
  const std::string alternative = "/work/shared/vectors/yenc/sabctools";
  const std::string root = std::filesystem::is_directory(vectors) ? vectors : alternative;
  if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no public vectors here";
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    const std::string path = entry.path().string();
    if (!path.ends_with(".yenc") && !path.ends_with(".nntp")) continue;
    test::ScratchDir out;
    std::string response = test::ReadFileBytes(path);
    const std::size_t statusEnd = response.find('\n');
    const std::string body =
        "X-Vector: 1\r\nMessage-ID: <v@x>\r\nNewsgroups: v\r\n\r\n" +
        (statusEnd == std::string::npos ? std::string() : response.substr(statusEnd + 1));
    TMime mime(false);
    mime.setOutputMode(OutputMode::File);
    mime.setOutputDirectory(out.path());
    mime.ResetArticle();
    test::ParseAll(mime, body, LineSource::ServerData);
    mime.DropOutput();
    for (const std::string& name : out.entries()) {
      EXPECT_EQ(name.find('/'), std::string::npos) << path;
    }
    if (path.ends_with("uu_logo_full.nntp")) {
      const std::string logo = test::ReadFileBytes(out.file("logo-full.svg"));
      EXPECT_EQ(logo.size(), 2184u);
      EXPECT_EQ(Crc32Update(0, logo.data(), logo.size()), 0x6bc2917du);
    }
    if (path.ends_with("test_bad_crc_end.yenc")) {
      EXPECT_TRUE(mime.crcError()) << path;
    }
  }
}

}  // namespace
}  // namespace orvel
