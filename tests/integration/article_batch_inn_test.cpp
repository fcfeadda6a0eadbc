// Articles read and decoded through a group view against the real INN 2 that
// scripts/test-servers runs on loopback: an article by number and a
// reference by Message-ID in the viewer; the four-part yEnc post of
// test.binaries (made by uuenview) decoded by the batch into the original
// file's bytes whatever order its parts come in; and the three-part post
// whose middle part never reached the server, which orvel-cli decode-group
// leaves incomplete with the other parts at their offsets.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/cli_run.h"
#include "content/group_batch.h"
#include "content/group_reader.h"
#include "core/atomic_file.h"
#include "group_view_harness.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

class NoLauncher : public FileLauncher {
 public:
  bool open(const std::string&) override { return false; }
};

class ArticleInnTest : public GroupViewQtTest {
 protected:
  void useServer(const TestServers& s) {
    profile->alias = "inn";
    profile->host = s.host();
    profile->port = s.port("ORVEL_NNTP_PORT");
  }

  TArticle* numbered(std::int32_t n) const {
    for (TArticle* a : view->MasterList()) {
      if (a->Number == n) return a;
    }
    return nullptr;
  }

  std::shared_ptr<TProfile> profile = std::make_shared<TProfile>();
  NoLauncher launcher;
  ArticleView viewer{ViewerSettings{}, ViewerServices{prompter, launcher, {}}};
};

TEST_F(ArticleInnTest, ArticleByNumberThenReferenceByMessageId) {
  ORVEL_REQUIRE_TEST_SERVERS(servers);
  useServer(servers);
  open(profile, "test.small");
  TArticle* a = numbered(3);
  ASSERT_NE(a, nullptr);
  GroupReader reader(*view, viewer, prompter);
  ASSERT_TRUE(reader.ShowArticle(a));
  ASSERT_TRUE(runUntil([&] { return !reader.Busy() && !view->Slots().AnyTaken(); }, 20000));
  EXPECT_TRUE(viewer.articleEnded());
  EXPECT_EQ(viewer.headers().messageId, a->MessageID.view());
  EXPECT_FALSE(viewer.lines().empty());
  EXPECT_TRUE(a->Has(NodeFlag::Read));

  const std::string id(numbered(7)->MessageID.view());
  ASSERT_TRUE(reader.ShowByMessageId(id));
  ASSERT_TRUE(runUntil([&] { return !reader.Busy() && !view->Slots().AnyTaken(); }, 20000));
  EXPECT_EQ(viewer.headers().messageId, id);
  EXPECT_EQ(reader.Title(), "[Ref] " + viewer.headers().subject);
  EXPECT_EQ(reader.LastReferenceNumber(), 7);
  EXPECT_FALSE(numbered(7)->Has(NodeFlag::Read));
}

TEST_F(ArticleInnTest, UnknownReferenceEndsWithoutAnArticle) {
  ORVEL_REQUIRE_TEST_SERVERS(servers);
  useServer(servers);
  open(profile, "test.small");
  GroupReader reader(*view, viewer, prompter);
  ASSERT_TRUE(reader.ShowByMessageId("<no.such.article@harness.test.invalid>"));
  ASSERT_TRUE(runUntil([&] { return !reader.Busy() && !view->Slots().AnyTaken(); }, 20000));
  EXPECT_FALSE(viewer.articleEnded());
  EXPECT_TRUE(progress.saw("430"));
}

struct DeliveryCase {
  const char* name;
  bool reversed;
};

class MultiPartInnTest : public ArticleInnTest, public ::testing::WithParamInterface<DeliveryCase> {};

TEST_P(MultiPartInnTest, YEncPostDecodesToTheOriginalBytes) {
  ORVEL_REQUIRE_TEST_SERVERS(servers);
  const std::string group = servers.get("ORVEL_NNTP_BINARIES_GROUP");
  const std::string originalPath = servers.get("ORVEL_NNTP_BINARIES_FILE");
  if (group.empty()) GTEST_SKIP() << "the test servers have no binaries group; restart them";
  useServer(servers);
  open(profile, group);
  std::vector<TArticle*> parts;
  for (TArticle* a : view->MasterList()) {
    if (a->MessageID.view().starts_with("<part")) parts.push_back(a);
  }
  ASSERT_EQ(parts.size(), 4u);
  std::sort(parts.begin(), parts.end(), [&](const TArticle* a, const TArticle* b) {
    return GetParam().reversed ? a->PartNumber > b->PartNumber : a->PartNumber < b->PartNumber;
  });
  EXPECT_EQ(parts.front()->PartNumber, GetParam().reversed ? 4 : 1);

  BatchSettings settings;
  settings.decodeDir = base.file("decoded");
  std::filesystem::create_directories(settings.decodeDir);
  GroupBatch batch(*view, settings, prompter, clock);
  ASSERT_TRUE(batch.Start(BatchOperation::Decode, parts));
  ASSERT_TRUE(runUntil([&] { return !batch.Running() && !view->Slots().AnyTaken(); }, 30000));

  std::string original, decoded;
  ASSERT_TRUE(ReadWholeFile(originalPath, original));
  ASSERT_TRUE(ReadWholeFile(base.file("decoded/orvel-test.bin"), decoded));
  EXPECT_EQ(decoded.size(), original.size());
  EXPECT_TRUE(decoded == original);
  ASSERT_EQ(batch.Files().size(), 1u);
  EXPECT_EQ(batch.Files()[0].kind, BatchFileReport::Kind::Finished);
  EXPECT_EQ(prompter.lastStatus(), "1 files decoded.");
}

INSTANTIATE_TEST_SUITE_P(Orders, MultiPartInnTest,
                         ::testing::Values(DeliveryCase{"InPartOrder", false},
                                           DeliveryCase{"Reversed", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ArticleInnTest, PostMissingAPartIsIncompleteThroughTheCommandLine) {
  ORVEL_REQUIRE_TEST_SERVERS(servers);
  const std::string originalPath = servers.get("ORVEL_NNTP_BINARIES_GAP_FILE");
  if (originalPath.empty()) GTEST_SKIP() << "the test servers have no post missing a part; restart them";
  const std::string cliBase = base.path() + "cli";
  const std::string out = base.file("gap");
  std::filesystem::create_directories(out);
  ASSERT_EQ(runCli({"--base", cliBase, "servers", "add", "inn",
                    servers.host() + ":" + std::to_string(servers.port("ORVEL_NNTP_PORT"))})
                .status,
            0);
  // Articles 5 and 6 are parts 1 and 3 of orvel-gap.bin.
  const CliRun run = runCli({"--base", cliBase, "decode-group", "inn",
                             servers.get("ORVEL_NNTP_BINARIES_GROUP"), "5-6", "--out", out});
  EXPECT_NE(run.status, 0);
  const std::string kept = out + "/orvel-gap.bin__error_part_2";
  EXPECT_EQ(run.out, "incomplete: " + kept + " (missing parts 2)\n") << run.err;
  EXPECT_EQ(run.err, "orvel-cli decode-group: 1 file incomplete\n");
  EXPECT_FALSE(std::filesystem::exists(out + "/orvel-gap.bin"));

  // uuenview puts 128 bytes on a line and 200 lines in a part.
  std::string original, bytes;
  ASSERT_TRUE(ReadWholeFile(originalPath, original));
  ASSERT_TRUE(ReadWholeFile(kept, bytes));
  ASSERT_EQ(bytes.size(), original.size());
  EXPECT_TRUE(bytes.substr(0, 25600) == original.substr(0, 25600));
  EXPECT_TRUE(bytes.substr(25600, 25600) == std::string(25600, '\0'));
  EXPECT_TRUE(bytes.substr(51200) == original.substr(51200));
}

}  // namespace
}  // namespace orvel::test
