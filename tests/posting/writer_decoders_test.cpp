// The writer's articles decoded by tools we did not write: uudeview (uu,
// yEnc, MIME partials), Python's sabyenc3 (yEnc with CRC checks) and
// Python's email package (MIME, message/partial put back together), with
// the exact forms those lenient decoders would not hold us to.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "posting/article_writer.h"
#include "writer_test_support.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using writer_test::ReadAll;

// Decodes every article file given (wire form) with sabyenc3 into OUT/name,
// the parts in order; fails on a bad part CRC or a whole-file CRC that does
// not match the decoded bytes.
constexpr const char* kYEncCheck = R"PY(
import sys, re, zlib, sabyenc3
out, files = sys.argv[1], sys.argv[2:]
whole, name, crc = b'', None, None
for path in files:
    raw = open(path, 'rb').read()
    body = raw.split(b'\r\n\r\n', 1)[1]
    data, name, ok = sabyenc3.decode_usenet_chunks([body])[:3]
    if not ok:
        sys.exit('part CRC failed: ' + path)
    whole += data
    m = re.search(rb' crc32=([0-9a-f]{8})\r\n', body)
    if m:
        crc = int(m.group(1), 16)
if crc != zlib.crc32(whole):
    sys.exit('file CRC does not match')
open(out + '/' + name, 'wb').write(whole)
)PY";

// Undoes the dot-stuffing, puts message/partial parts together by number
// (checking one id and the total), and writes each attachment of the
// resulting message to OUT/filename.
constexpr const char* kMimeCheck = R"PY(
import sys, email
from email import policy
out, files = sys.argv[1], sys.argv[2:]
def unstuff(raw):
    lines = raw.split(b'\r\n')
    assert lines[-2:] == [b'.', b''], 'no end marker'
    return b'\r\n'.join(l[1:] if l.startswith(b'.') else l for l in lines[:-2]) + b'\r\n'
messages = [unstuff(open(p, 'rb').read()) for p in files]
first = email.message_from_bytes(messages[0], policy=policy.default)
if first.get_content_type() == 'message/partial':
    pieces, ids = {}, set()
    for raw in messages:
        m = email.message_from_bytes(raw, policy=policy.default)
        params = m['Content-Type'].params
        ids.add(params['id'])
        assert int(params['total']) == len(messages), 'total'
        pieces[int(params['number'])] = raw.split(b'\r\n\r\n', 1)[1]
    assert len(ids) == 1, 'one id'
    whole = b''.join(pieces[n] for n in sorted(pieces))
    message = email.message_from_bytes(whole, policy=policy.default)
else:
    assert len(messages) == 1
    message = first
for part in message.walk():
    if part.get_filename():
        open(out + '/' + part.get_filename(), 'wb').write(part.get_payload(decode=True))
    elif part.get_content_type() == 'text/plain' and not part.is_multipart():
        open(out + '/TEXT', 'wb').write(part.get_payload(decode=True))
)PY";

class WriterDecoders : public ::testing::Test {
 protected:
  WriterDecoders() : files_("decoders") {}

  // Writes every article of the job to its own file; returns the paths.
  std::vector<std::string> writeArticles(const PostJob& job, PostTarget target, const std::string& tag) {
    ArticleWriter writer(job, target, writer_test::FixedEnvironment());
    std::vector<std::string> paths;
    int n = 0;
    for (const std::string& article : writer_test::WriteAllArticles(writer)) {
      EXPECT_NE(article.rfind("FAILED", 0), 0u) << article;
      const fs::path path = files_.dir() / (tag + "." + std::to_string(++n) + ".txt");
      std::ofstream(path, std::ios::binary) << article;
      paths.push_back(path.string());
    }
    return paths;
  }

  // Runs the command; the directory it decodes into, made fresh.
  fs::path run(const std::string& tag, const std::string& command) {
    const fs::path out = files_.dir() / (tag + ".out");
    fs::create_directories(out);
    const std::string full = "cd '" + files_.dir().string() + "' && " + command + " 2>" + tag + ".err";
    EXPECT_EQ(std::system(full.c_str()), 0) << command << ": " << ReadAll(files_.dir() / (tag + ".err"));
    return out;
  }

  fs::path uudeview(const std::string& tag, const std::vector<std::string>& paths) {
    std::string command = "uudeview -i -o -q -p " + tag + ".uu/";
    fs::create_directories(files_.dir() / (tag + ".uu"));
    for (const std::string& p : paths) command += " '" + p + "'";
    run(tag + ".uudeview", command);
    return files_.dir() / (tag + ".uu");
  }

  fs::path python(const std::string& tag, const char* script, const std::vector<std::string>& paths) {
    const fs::path scriptPath = files_.dir() / (tag + ".py");
    std::ofstream(scriptPath) << script;
    std::string command = "/usr/bin/python3 '" + scriptPath.string() + "' " + tag + ".out";
    for (const std::string& p : paths) command += " '" + p + "'";
    return run(tag, command);
  }

  PostJob binaryJob() {
    PostJob job = writer_test::BasicJob();
    job.option = 1;
    job.files = {big_};
    return job;
  }

  writer_test::TempFiles files_;
  PostFile big_ = files_.Make("big.bin", 1000000, 7);
};

TEST_F(WriterDecoders, YEncPartsPassIndependentCrcChecks) {
  PostJob job = binaryJob();
  job.yEnc = true;
  job.cutSize = 400000;
  const std::vector<std::string> parts = writeArticles(job, PostTarget::News, "yenc");
  ASSERT_EQ(parts.size(), 3u);
  // Lenient decoders take other forms too: the part lines are checked here.
  const char* ranges[] = {"begin=1 end=400000", "begin=400001 end=800000", "begin=800001 end=1000000"};
  const char* sizes[] = {"400000", "400000", "200000"};
  for (int i = 0; i < 3; ++i) {
    const std::string a = ReadAll(parts[static_cast<std::size_t>(i)]);
    const std::string n = std::to_string(i + 1);
    EXPECT_EQ(writer_test::HeaderLine(a, "Subject: "),
              "Subject: Holiday - yEnc \"big.bin\" 1000000 bytes  (" + n + "/3)");
    EXPECT_NE(a.find("\r\n=ybegin part=" + n + " total=3 line=128 size=1000000 name=big.bin\r\n=ypart " +
                     ranges[i] + "\r\n"),
              std::string::npos);
    EXPECT_NE(a.find(std::string("\r\n=yend size=") + sizes[i] + " part=" + n + " pcrc32="), std::string::npos);
    EXPECT_EQ(a.find(" crc32=") != std::string::npos, i == 2) << "the whole file's CRC ends the last part";
  }
  const std::string original = ReadAll(big_.path);
  EXPECT_TRUE(ReadAll(python("yenc", kYEncCheck, parts) / "big.bin") == original);
  EXPECT_TRUE(ReadAll(uudeview("yenc", parts) / "big.bin") == original);
}

TEST_F(WriterDecoders, UuencodeInPartsDecodesWithUudeview) {
  PostJob job = binaryJob();
  job.cutSize = 5000;
  const std::vector<std::string> parts = writeArticles(job, PostTarget::News, "uu");
  ASSERT_EQ(parts.size(), 5u);
  EXPECT_TRUE(ReadAll(uudeview("uu", parts) / "big.bin") == ReadAll(big_.path));
}

TEST_F(WriterDecoders, MimePartialsPutBackTogether) {
  PostJob job = binaryJob();
  job.mime = true;
  job.cutSize = 5000;
  const std::vector<std::string> parts = writeArticles(job, PostTarget::News, "partial");
  ASSERT_EQ(parts.size(), 5u);
  const std::string original = ReadAll(big_.path);
  EXPECT_TRUE(ReadAll(python("partial", kMimeCheck, parts) / "big.bin") == original);
  EXPECT_TRUE(ReadAll(uudeview("partial", parts) / "big.bin") == original);
}

TEST_F(WriterDecoders, TogetherWithTextSplitAcrossArticles) {
  PostJob job = binaryJob();
  job.option = 0;
  job.mime = true;
  job.cutSize = 3000;
  job.body = {"Dear all,", ".", "here they are."};
  job.files = {big_, files_.Make("small.jpg", 1234, 3)};
  const std::vector<std::string> parts = writeArticles(job, PostTarget::News, "together");
  ASSERT_EQ(parts.size(), 8u);  // 3 + 22223 + 28 lines, 3000 a part
  const fs::path out = python("together", kMimeCheck, parts);
  EXPECT_TRUE(ReadAll(out / "big.bin") == ReadAll(big_.path));
  EXPECT_TRUE(ReadAll(out / "small.jpg") == ReadAll(job.files[1].path));
  // The line end before a boundary belongs to the boundary.
  EXPECT_EQ(ReadAll(out / "TEXT"), "Dear all,\r\n.\r\nhere they are.");
}

TEST_F(WriterDecoders, TogetherYEncFilesShareTheArticles) {
  PostJob job = binaryJob();
  job.option = 0;
  job.yEnc = true;
  job.cutSize = 400000;
  job.body = {"text"};
  job.files = {big_, files_.Make("second.bin", 300000, 6)};
  const std::vector<std::string> parts = writeArticles(job, PostTarget::News, "yenc0");
  ASSERT_EQ(parts.size(), 4u);
  // The third article ends big.bin and begins second.bin, each part numbered in its file.
  const std::string third = ReadAll(parts[2]);
  EXPECT_NE(third.find("=ybegin part=3 total=3 line=128 size=1000000 name=big.bin"), std::string::npos);
  EXPECT_NE(third.find("=ybegin part=1 total=2 line=128 size=300000 name=second.bin\r\n"
                       "=ypart begin=1 end=200000\r\n"),
            std::string::npos);
  const fs::path out = uudeview("yenc0", parts);
  EXPECT_TRUE(ReadAll(out / "big.bin") == ReadAll(big_.path));
  EXPECT_TRUE(ReadAll(out / "second.bin") == ReadAll(job.files[1].path));
}

// A mail is one MIME message whatever the options for news say.
TEST_F(WriterDecoders, MailIsOneMultipartMessage) {
  PostJob job = binaryJob();
  job.yEnc = true;
  job.cutSize = 1;
  job.body = {"Hello"};
  job.toAddress = "ann@example.org";
  job.files = {files_.Make("one.bin", 4000, 4), files_.Make("two.bin", 10, 5)};
  const std::vector<std::string> mail = writeArticles(job, PostTarget::Mail, "mail");
  ASSERT_EQ(mail.size(), 1u);
  const std::string m = ReadAll(mail[0]);
  EXPECT_EQ(writer_test::HeaderLine(m, "From: "), "From: Jean Test <real@example.com>");
  EXPECT_EQ(writer_test::HeaderLine(m, "Subject: "), "Subject: Holiday");
  EXPECT_NE(m.find("\r\n\r\nThis is a MIME-encoded message.\r\n--"), std::string::npos);
  EXPECT_EQ(m.find("=ybegin"), std::string::npos);
  const fs::path out = python("mail", kMimeCheck, mail);
  EXPECT_EQ(ReadAll(out / "TEXT"), "Hello");
  EXPECT_TRUE(ReadAll(out / "one.bin") == ReadAll(job.files[0].path));
  EXPECT_TRUE(ReadAll(out / "two.bin") == ReadAll(job.files[1].path));
}

}  // namespace
}  // namespace orvel
