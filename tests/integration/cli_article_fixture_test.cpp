// orvel-cli article and decode-group from end to end, against the fixture
// news server serving the demo corpus: encoded-word subjects, quoted
// replies, an X-Face, a four-part yEnc picture, a uuencoded one and a MIME
// post with a JPEG.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/cli_run.h"
#include "fixture_process.h"

namespace orvel::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPictures = "alt.binaries.pictures.demo";

class CliArticleFixtureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(fixtureServerPath())) GTEST_SKIP() << "not built";
    root = fs::temp_directory_path() / ("orvel-cli-article-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    const std::string corpus = (root / "corpus").string();
    const std::string make =
        std::string(ORVEL_SOURCE_DIR) + "/scripts/demo-corpus '" + corpus + "' >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0) << "scripts/demo-corpus failed";
    server = std::make_unique<FixtureProcess>(std::vector<std::string>{"--corpus", corpus});
    ASSERT_GT(server->port(), 0);
    ASSERT_EQ(cli({"servers", "add", "demo", "127.0.0.1:" + std::to_string(server->port())}).status,
              0);
  }
  void TearDown() override {
    server.reset();
    if (!root.empty()) fs::remove_all(root);
  }

  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", (root / "base").string()});
    return runCli(args);
  }

  fs::path root;
  std::unique_ptr<FixtureProcess> server;
};

TEST_F(CliArticleFixtureTest, ArticleByNumberByMessageIdAndAMissingNumber) {
  const CliRun reply = cli({"article", "demo", "demo.orvel.discussion", "2"});
  ASSERT_EQ(reply.status, 0) << reply.err;
  EXPECT_NE(reply.out.find("Subject: Re: Bienvenue dans Orvel"), std::string::npos) << reply.out;
  EXPECT_NE(reply.out.find("Alice Martin a écrit :"), std::string::npos) << reply.out;
  EXPECT_NE(reply.out.find("quoted"), std::string::npos) << "the quoted lines keep their style";

  const CliRun byId =
      cli({"article", "demo", "demo.orvel.discussion", "<demo.orvel.discussion.0.0@demo.orvel.invalid>"});
  ASSERT_EQ(byId.status, 0) << byId.err;
  EXPECT_NE(byId.out.find("Bienvenue dans Orvel"), std::string::npos) << byId.out;
  EXPECT_NE(byId.out.find("face"), std::string::npos) << "Alice's posts carry an X-Face";

  const CliRun missing = cli({"article", "demo", "demo.orvel.discussion", "999"});
  EXPECT_NE(missing.status, 0);
  EXPECT_FALSE(missing.err.empty());
}

TEST_F(CliArticleFixtureTest, MimePictureShowsInlineAndAllThreePicturesDecode) {
  const CliRun mime = cli({"article", "demo", kPictures, "6"});
  ASSERT_EQ(mime.status, 0) << mime.err;
  EXPECT_NE(mime.out.find("picture 400x300\tmatin.jpg"), std::string::npos) << mime.out;

  const fs::path out = root / "decoded";
  fs::create_directories(out);
  const CliRun decode = cli({"decode-group", "demo", kPictures, "1-7", "--out", out.string()});
  ASSERT_EQ(decode.status, 0) << decode.err;
  for (const char* name : {"phare.jpg", "couchant.jpg", "matin.jpg"}) {
    const std::string bytes = slurpFile((out / name).string());
    ASSERT_GT(bytes.size(), 3u) << name << " missing; " << decode.out << decode.err;
    EXPECT_EQ(bytes.substr(0, 3), "\xFF\xD8\xFF") << name;
  }
  // Every yEnc part passed its CRC check: no marker file beside the picture.
  std::size_t files = 0;
  for (const auto& e : fs::directory_iterator(out)) files += e.is_regular_file();
  EXPECT_EQ(files, 3u);
}

}  // namespace
}  // namespace orvel::test
