#include "content/group_batch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/atomic_file.h"
#include "content_test_support.h"
#include "group_content_fixture.h"
#include "yenc_test_encoder.h"

namespace orvel::test {
namespace {

class GroupBatchTest : public GroupContentTest {
 protected:
  GroupBatchTest() {
    data = RandomBytes(20000, 5);
    for (int k = 1; k <= 3; ++k) {
      texts[std::to_string(k)] = "Message-ID: <part" + std::to_string(k) +
                                 "@example.invalid>\r\nNewsgroups: alt.test\r\n" +
                                 YEncArticle("file.bin", data, k, 3);
    }
    options.connections.autoResumeDelaySec = 5;
  }

  GroupBatch& openBatch() {
    open();
    BatchSettings settings;
    settings.decodeDir = base.file("dl");
    std::filesystem::create_directories(settings.decodeDir);
    batch = std::make_unique<GroupBatch>(*view, settings, prompter, clock);
    for (std::int32_t k = 1; k <= 3; ++k) numbered(k)->PartNumber = k;
    return *batch;
  }

  // The server takes every ARTICLE command and never answers it.
  void silenceArticles() {
    onArticle = [](FakeTransport&, const std::string&) {
      return FakeNewsServer::Action{FakeNewsServer::Action::Silence, {}};
    };
  }

  std::vector<TArticle*> parts() { return {numbered(1), numbered(2), numbered(3)}; }

  std::string decoded() const {
    std::string bytes;
    ReadWholeFile(base.file("dl/file.bin"), bytes);
    return bytes;
  }

  // Compared with EXPECT_TRUE: a failure prints sizes, not 20000 bytes.
  void expectWholeFile() const { EXPECT_TRUE(decoded() == data) << decoded().size() << " bytes decoded"; }

  int count(BatchFileReport::Kind kind) const {
    int n = 0;
    for (const auto& f : batch->Files()) n += f.kind == kind;
    return n;
  }

  std::string data;
  std::unique_ptr<GroupBatch> batch;
};

struct DeliveryCase {
  const char* name;
  std::size_t chunk;  // 0: each reply at once
};

void PrintTo(const DeliveryCase& c, std::ostream* os) { *os << c.name; }

class BatchDelivery : public GroupBatchTest, public ::testing::WithParamInterface<DeliveryCase> {};

TEST_P(BatchDelivery, ThreeYEncPartsFromTheServerMakeTheFile) {
  GroupBatch& b = openBatch();
  const std::size_t chunk = GetParam().chunk;
  if (chunk > 0) {
    onArticle = [&](FakeTransport& t, const std::string& key) {
      const std::string reply = "220 " + key + " <id>\r\n" + DotStuffed(texts[key]);
      for (std::size_t i = 0; i < reply.size(); i += chunk) t.receive(reply.substr(i, chunk));
      return FakeNewsServer::Action{FakeNewsServer::Action::Silence, {}};
    };
  }
  ASSERT_TRUE(b.Start(BatchOperation::Decode, parts()));
  EXPECT_TRUE(b.Retrieving());
  server.pump();
  EXPECT_FALSE(b.Running());
  EXPECT_EQ(server.commandsStarting("ARTICLE").size(), 3u);
  expectWholeFile();
  EXPECT_EQ(count(BatchFileReport::Kind::Finished), 1);
  EXPECT_TRUE(b.Queue().empty());
  for (TArticle* a : parts()) EXPECT_EQ(a->QueuePosition, -1);
  EXPECT_EQ(prompter.lastStatus(), "1 files decoded.");
  EXPECT_FALSE(view->Slots().AnyTaken());
}

INSTANTIATE_TEST_SUITE_P(Chunks, BatchDelivery,
                         ::testing::Values(DeliveryCase{"Whole", 0}, DeliveryCase{"OneByte", 1},
                                           DeliveryCase{"SevenBytes", 7},
                                           DeliveryCase{"FourKilobytes", 4096}),
                         [](const ::testing::TestParamInfo<DeliveryCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(GroupBatchTest, StoredPartsNeedNoServer) {
  record().storage = StorageMode::Bodies;
  GroupBatch& b = openBatch();
  ASSERT_TRUE(b.Start(BatchOperation::Store, parts()));
  server.pump();
  EXPECT_EQ(prompter.lastStatus(), "3 stored.");
  for (TArticle* a : parts()) EXPECT_GE(a->BodyOffset, 0);
  server.commands.clear();
  ASSERT_TRUE(b.Start(BatchOperation::Decode, parts()));
  server.pump();
  EXPECT_TRUE(server.commandsStarting("ARTICLE").empty());
  expectWholeFile();
}

TEST_F(GroupBatchTest, RefusedPartIsMissingAndTheBatchGoesOn) {
  GroupBatch& b = openBatch();
  texts.erase("2");
  ASSERT_TRUE(b.Start(BatchOperation::Decode, parts()));
  server.pump();
  EXPECT_FALSE(b.Running());
  EXPECT_TRUE(numbered(2)->Has(NodeFlag::Missing));
  EXPECT_FALSE(numbered(3)->Has(NodeFlag::Missing));
  EXPECT_EQ(server.commandsStarting("ARTICLE 3").size(), 1u);
  // Part 3 closes the file, short of part 2's bytes.
  EXPECT_LT(decoded().size(), data.size());
}

TEST_F(GroupBatchTest, BrokenConnectionRestartsAndResumesTheFile) {
  GroupBatch& b = openBatch();
  bool broken = false;
  onArticle = [&](FakeTransport& t, const std::string& key) {
    if (key != "2" || std::exchange(broken, true)) return FakeNewsServer::Action{};
    // Half of part 2, then the connection breaks.
    const std::string reply = "220 2 <id>\r\n" + DotStuffed(texts["2"]);
    t.receive(reply.substr(0, reply.size() / 2));
    return FakeNewsServer::Action{FakeNewsServer::Action::Reset, {}};
  };
  ASSERT_TRUE(b.Start(BatchOperation::Decode, parts()));
  server.pump();
  EXPECT_FALSE(b.Running());
  EXPECT_TRUE(view->Slots().ResumptionRunning());
  EXPECT_EQ(b.Queue(), (std::vector<TArticle*>{numbered(2), numbered(3)}));
  clock.advance(5000);
  server.pump();
  EXPECT_FALSE(b.Running());
  expectWholeFile();
  EXPECT_EQ(count(BatchFileReport::Kind::Finished), 1);
  EXPECT_FALSE(std::filesystem::exists(base.file("dl/file.bin__error_part_2")));
}

TEST_F(GroupBatchTest, KillPutsTheCurrentArticleBackAndFreesTheSlot) {
  GroupBatch& b = openBatch();
  silenceArticles();
  ASSERT_TRUE(b.Start(BatchOperation::Decode, parts()));
  server.pump();
  ASSERT_TRUE(b.Running());
  ASSERT_TRUE(view->Slots().Serving(Purpose::Batch));
  b.Kill();
  EXPECT_FALSE(b.Running());
  EXPECT_FALSE(view->Slots().AnyTaken());
  EXPECT_EQ(b.Queue().size(), 3u);
  EXPECT_EQ(numbered(1)->QueuePosition, 0);
  clock.advance(60000);
  EXPECT_FALSE(b.Running());
}

TEST_F(GroupBatchTest, StopCommandKillingTheSlotStopsTheBatch) {
  GroupBatch& b = openBatch();
  silenceArticles();
  ASSERT_TRUE(b.Start(BatchOperation::Decode, parts()));
  server.pump();
  prompter.answer(Button::Yes);  // "Tuer la connexion 1?"
  view->Stop();
  clock.advance(0);
  EXPECT_FALSE(b.Running());
  EXPECT_EQ(b.Queue().size(), 3u);
  clock.advance(60000);
  server.pump();
  EXPECT_FALSE(b.Running());
}

TEST_F(GroupBatchTest, PauseAfterThePartKeepsTheRestQueued) {
  GroupBatch& b = openBatch();
  ASSERT_TRUE(b.Start(BatchOperation::Decode, parts()));
  prompter.answer(Button::Yes);  // "Pause après la partie de fichier ?"
  view->Stop({.shift = true});
  server.pump();
  EXPECT_FALSE(b.Running());
  EXPECT_EQ(b.Queue(), (std::vector<TArticle*>{numbered(2), numbered(3)}));
  EXPECT_EQ(server.commandsStarting("ARTICLE").size(), 1u);
  // Started again, the file goes on from part 2.
  ASSERT_TRUE(b.Start(BatchOperation::Decode, {}));
  server.pump();
  expectWholeFile();
}

TEST_F(GroupBatchTest, NoFreeSlotStopsWithTheQueueKept) {
  GroupBatch& b = openBatch();
  silenceArticles();
  // Both slots busy: an article request and a search that never answer.
  view->Request(Purpose::Article, numbered(5), [](TNNTP& c) { c.Article(5); });
  view->Request(Purpose::Search, nullptr, [](TNNTP& c) { c.Article(4); });
  server.pump();
  ASSERT_TRUE(view->Slots().Taken(0) && view->Slots().Taken(1));
  b.Start(BatchOperation::Decode, parts());
  EXPECT_FALSE(b.Running());
  EXPECT_EQ(b.Queue().size(), 3u);
  EXPECT_EQ(prompter.messages().back(), "Pas de connexion valide");
}

TEST_F(GroupBatchTest, FolderOperationsAreNotStartedHere) {
  GroupBatch& b = openBatch();
  EXPECT_FALSE(b.Start(BatchOperation::Transfer, parts()));
  EXPECT_FALSE(b.Start(BatchOperation::Cancel, parts()));
  EXPECT_TRUE(b.Queue().empty());
}

}  // namespace
}  // namespace orvel::test
