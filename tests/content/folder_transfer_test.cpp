// Transfer and copy of a group's articles into a folder: the records the
// folder gets, what happens to the source, the refusal, the progress texts,
// and a folder that stops taking articles.

#include <gtest/gtest.h>

#include "articles/article_arena.h"
#include "content/folder_transfer.h"
#include "content/group_batch.h"
#include "group_content_fixture.h"

namespace orvel::test {
namespace {

struct RuleCase {
  const char* name;
  std::uint8_t source;
  std::uint8_t target;
  bool copy;
  bool queued;
  SourceEffect effect;
  bool refused;
  const char* startText;
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

class TransferRules : public ::testing::TestWithParam<RuleCase> {};

TEST_P(TransferRules, EffectRefusalAndStartText) {
  const RuleCase& c = GetParam();
  const TransferSource source{c.source, "srv", "alt.test"};
  EXPECT_EQ(TransferEffect(source, c.target, c.copy), c.effect);
  const auto refusal = TransferRefusal(source, c.target, c.queued);
  EXPECT_EQ(refusal.has_value(), c.refused);
  if (refusal) {
    EXPECT_EQ(*refusal, "Q-Archive (file) -> Dossier de file !!!!");
  }
  EXPECT_EQ(TransferStartText(c.copy, c.target, "Keep"), c.startText);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TransferRules,
    ::testing::Values(
        RuleCase{"GroupToArchive", kStoreNewsgroup, kStoreArchive, false, false, SourceEffect::None,
                 false, " Transféré dans: Keep"},
        RuleCase{"GroupCopyToArchive", kStoreNewsgroup, kStoreArchive, true, false,
                 SourceEffect::None, false, "Copié dans: Keep"},
        RuleCase{"GroupToQueueMarksRead", kStoreNewsgroup, kStoreQueue, true, false,
                 SourceEffect::MarkRead, false, "File......"},
        RuleCase{"QueuedGroupArticlesToArchive", kStoreNewsgroup, kStoreArchive, true, true,
                 SourceEffect::None, true, "Copié dans: Keep"},
        RuleCase{"QueuedGroupArticlesToQueue", kStoreNewsgroup, kStoreQueue, false, true,
                 SourceEffect::MarkRead, false, "File......"},
        RuleCase{"FolderMoveDeletesSource", kStoreArchive, kStoreArchive, false, true,
                 SourceEffect::MarkDeleted, false, " Transféré dans: Keep"},
        RuleCase{"FolderCopyKeepsSource", kStoreQueue, kStoreArchive, true, false,
                 SourceEffect::None, false, "Copié dans: Keep"},
        RuleCase{"SentToOutbox", kStoreSent, kStoreOutbox, false, false, SourceEffect::MarkDeleted,
                 false, " Transféré dans: Keep"}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(TransferCounter, EverySixtyFourthArticleIntoAQueue) {
  EXPECT_EQ(TransferCountText(kStoreQueue, 64, 130), "File... 64 de 130");
  EXPECT_EQ(TransferCountText(kStoreQueue, 128, 130), "File... 128 de 130");
  for (int done : {1, 63, 65, 129}) EXPECT_FALSE(TransferCountText(kStoreQueue, done, 130)) << done;
  EXPECT_FALSE(TransferCountText(kStoreArchive, 64, 130));
}

TEST(TransferRecordFlags, OnlySentToOutboxClearsTheSentFlags) {
  TArticle a;
  a.Set(NodeFlag::MailSent);
  a.Set(NodeFlag::Posted);
  a.Set(NodeFlag::Old);
  a.QueuePosition = 3;
  a.BodyOffset = 900;
  const TArticle toOutbox = TransferRecord(a, {kStoreSent, "", ""}, kStoreOutbox);
  EXPECT_FALSE(toOutbox.Has(NodeFlag::MailSent) || toOutbox.Has(NodeFlag::Posted));
  EXPECT_FALSE(toOutbox.Has(NodeFlag::Old));
  EXPECT_EQ(toOutbox.QueuePosition, -1);
  EXPECT_EQ(toOutbox.BodyOffset, -1);
  const TArticle toArchive = TransferRecord(a, {kStoreSent, "", ""}, kStoreArchive);
  EXPECT_TRUE(toArchive.Has(NodeFlag::MailSent) && toArchive.Has(NodeFlag::Posted));
  const TArticle fromOutbox = TransferRecord(a, {kStoreOutbox, "", ""}, kStoreOutbox);
  EXPECT_TRUE(fromOutbox.Has(NodeFlag::MailSent));
}

// A folder that stops taking articles after a number of them.
class FailingTarget final : public TransferTarget {
 public:
  FailingTarget(std::unique_ptr<TransferTarget> inner, int takes) : inner_(std::move(inner)), takes_(takes) {}
  const std::string& Name() const override { return inner_->Name(); }
  std::uint8_t Kind() const override { return inner_->Kind(); }
  bool Add(TArticle& record, std::string_view text, std::string_view origin) override {
    return takes_-- > 0 && inner_->Add(record, text, origin);
  }

 private:
  std::unique_ptr<TransferTarget> inner_;
  int takes_;
};

class FolderTransferTest : public GroupContentTest {
 protected:
  GroupBatch& openBatch() {
    open();
    batch = std::make_unique<GroupBatch>(*view, BatchSettings{}, prompter, clock);
    observer.progress.clear();
    return *batch;
  }
  std::unique_ptr<FolderTransfer> transfer(std::uint8_t kind, bool copy, TransferSource source = {},
                                           int takes = -1) {
    if (source.serverName.empty()) source = {kStoreNewsgroup, "fake", "alt.test"};
    std::unique_ptr<TransferTarget> target =
        std::make_unique<StoreTransferTarget>("Keep", folderPath(kind), kind);
    if (takes >= 0) target = std::make_unique<FailingTarget>(std::move(target), takes);
    return std::make_unique<FolderTransfer>(*view, source, std::move(target), copy, 3);
  }
  std::string folderPath(std::uint8_t kind) const {
    return base.file(kind == kStoreQueue ? "Work.mbx" : "Keep.mbx");
  }
  std::vector<TArticle*> articles() { return {numbered(1), numbered(2), numbered(3)}; }

  // The folder's records, and each one's text from its body file.
  std::vector<TArticle*> records(std::uint8_t kind) {
    TFolder folder(folderPath(kind), kind);
    HeaderFileDump dump;
    if (!ReadHeaderFile(folder.HeaderPath(), arena, dump)) return {};
    EXPECT_TRUE(dump.complete);
    EXPECT_EQ(dump.kind, kind);
    for (const TArticle* r : dump.records) {
      std::string text;
      EXPECT_TRUE(folder.ReadBody(*r, text));
      bodies.push_back(text);
    }
    return dump.records;
  }

  ArticleArena arena;
  std::vector<std::string> bodies;
  std::unique_ptr<GroupBatch> batch;
};

TEST_F(FolderTransferTest, GroupArticlesGoInWithTheirTextAndOrigin) {
  GroupBatch& b = openBatch();
  ASSERT_TRUE(b.StartTransfer(transfer(kStoreArchive, true), articles()));
  server.pump();
  EXPECT_FALSE(b.Running());
  EXPECT_EQ(b.DoneCount(), 3);
  EXPECT_EQ(prompter.lastStatus(), "3 copied.");
  EXPECT_EQ(observer.progress.front(), "Copié dans: Keep");
  const auto got = records(kStoreArchive);
  ASSERT_EQ(got.size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(got[k]->Xref.view(), "fake:alt.test");
    EXPECT_EQ(got[k]->MessageID.view(), numbered(static_cast<int>(k) + 1)->MessageID.view());
    EXPECT_EQ(bodies[k], PlainArticle(static_cast<int>(k) + 1));
  }
  // The articles stay in the group, unread.
  for (TArticle* a : articles()) {
    EXPECT_FALSE(a->Has(NodeFlag::Read) || a->Has(NodeFlag::Deleted));
    EXPECT_EQ(a->QueuePosition, -1);
  }
}

TEST_F(FolderTransferTest, IntoAQueueTheGroupArticlesAreRead) {
  GroupBatch& b = openBatch();
  ASSERT_TRUE(b.StartTransfer(transfer(kStoreQueue, false), articles()));
  server.pump();
  EXPECT_EQ(prompter.lastStatus(), "3 transferred.");
  EXPECT_EQ(observer.progress.front(), "File......");
  EXPECT_EQ(records(kStoreQueue).size(), 3u);
  for (TArticle* a : articles()) EXPECT_TRUE(a->Has(NodeFlag::Read));
  EXPECT_FALSE(numbered(4)->Has(NodeFlag::Read));
}

TEST_F(FolderTransferTest, FromAFolderAMoveDeletesTheSourceAndKeepsItsGroupField) {
  openBatch();
  TArticle* a = numbered(2);
  const std::string text = PlainArticle(2);
  for (const bool copy : {true, false}) {
    auto t = transfer(kStoreArchive, copy, TransferSource{kStoreQueue, "x", "y"});
    ASSERT_TRUE(t->Append(*a, text));
    EXPECT_EQ(a->Has(NodeFlag::Deleted), !copy);
  }
  const auto got = records(kStoreArchive);
  ASSERT_EQ(got.size(), 2u);
  for (const TArticle* r : got) EXPECT_EQ(r->Xref.view(), a->Xref.view());
}

TEST_F(FolderTransferTest, AFolderThatRefusesKillsTheBatchAndKeepsWhatItHad) {
  GroupBatch& b = openBatch();
  ASSERT_TRUE(b.StartTransfer(transfer(kStoreArchive, true, {}, 1), articles()));
  server.pump();
  EXPECT_FALSE(b.Running());
  EXPECT_EQ(b.DoneCount(), 1);
  ASSERT_FALSE(prompter.messages().empty());
  EXPECT_EQ(prompter.messages().back(), "Écriture impossible dans le dossier Keep");
  // The third article never went: it waits in the queue.
  EXPECT_EQ(b.Queue(), std::vector<TArticle*>{numbered(3)});
  const auto got = records(kStoreArchive);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(bodies[0], PlainArticle(1));
}

}  // namespace
}  // namespace orvel::test
