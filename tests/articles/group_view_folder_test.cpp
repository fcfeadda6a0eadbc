// A group view on a local folder: what it shows by kind, the articles that
// join it while open, saving on close, purging, and a torn body file.
#include <filesystem>

#include <fstream>

#include "articles/marking.h"
#include "articles/store_io.h"
#include "group_view_fixture.h"
#include "thread_builder.h"

namespace orvel::test {
namespace {

struct FolderKindCase {
  const char* name;
  std::uint8_t kind;
  const char* caption;
  const char* tag;
  const char* icon;
  bool threaded;
};
void PrintTo(const FolderKindCase& c, std::ostream* os) { *os << c.name; }

class GroupViewFolderTest : public GroupViewTest {
 protected:
  std::string folderPath() const { return base.file("folders/Keep.mbx"); }

  // Appends "Topic" and its reply (in that order) through a store of its own.
  void fill(std::uint8_t kind) {
    std::filesystem::create_directories(base.file("folders"));
    TFolder folder(folderPath(), kind);
    ThreadBuilder b;
    add(folder, *b.Add("Topic", "<t@x>"), "fake:alt.test");
    add(folder, *b.Add("Re: Topic", "<r@x>", "<t@x>"), "other:misc.test");
  }
  static void add(TFolder& folder, TArticle& a, std::string_view origin) {
    const std::string text = "Subject: " + std::string(a.Subject.view()) + "\r\n\r\nbody\r\n";
    const std::string_view view = text;
    ASSERT_TRUE(folder.AddArticle(a, &view, origin));
  }

  TGroupView& openFolder(std::uint8_t kind) {
    view.reset();
    GroupViewServices services{pool, clock, prompter, main, base.path()};
    view = std::make_unique<TGroupView>(services, FolderSource{"Keep", folderPath(), kind}, options);
    view->SetObserver(&observer);
    view->Open();
    return *view;
  }
};

class GroupViewFolderKinds : public GroupViewFolderTest,
                             public testing::WithParamInterface<FolderKindCase> {};

TEST_P(GroupViewFolderKinds, ShowsTheFolderByItsKind) {
  const FolderKindCase& c = GetParam();
  fill(c.kind);
  TGroupView& v = openFolder(c.kind);
  EXPECT_TRUE(v.IsFolder());
  EXPECT_EQ(v.Caption(), c.caption);
  EXPECT_EQ(v.StatusTag(), c.tag);
  EXPECT_EQ(v.IconName(), c.icon);
  ASSERT_EQ(v.MasterList().size(), 2u);
  EXPECT_EQ(v.MasterList()[0]->Score, 80) << "the record's position";
  EXPECT_EQ(v.Roots().size(), c.threaded ? 1u : 2u);
  EXPECT_FALSE(v.Slots().AnyTaken()) << "no header download";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GroupViewFolderKinds,
    testing::Values(FolderKindCase{"Archive", kStoreArchive, "Keep", "F:user", "ZFOLDER", true},
                    FolderKindCase{"Outbox", kStoreOutbox, "Keep", "F:outbox", "ZOUTBOX", false},
                    FolderKindCase{"Sent", kStoreSent, "Keep", "F:sent", "ZFOLDER", false},
                    FolderKindCase{"Queue", kStoreQueue, "/Keep/", "F:user", "ZQUEUE", true}),
    [](const testing::TestParamInfo<FolderKindCase>& info) { return std::string(info.param.name); });

TEST_F(GroupViewFolderTest, AnArticleAddedElsewhereJoinsTheOpenView) {
  fill(kStoreArchive);
  TGroupView& v = openFolder(kStoreArchive);
  {
    TFolder target(folderPath(), kStoreArchive);
    ThreadBuilder b;
    add(target, *b.Add("Late", "<l@x>"), "fake:alt.late");
  }
  ASSERT_EQ(v.MasterList().size(), 3u);
  const TArticle& late = *v.MasterList()[2];
  EXPECT_EQ(late.Subject, "Late");
  EXPECT_EQ(late.Xref, "fake:alt.late");
  std::string text;
  ASSERT_TRUE(v.Mailbox()->ReadBody(late, text));
  EXPECT_EQ(text, "Subject: Late\r\n\r\nbody\r\n");
  v.Close();
  // A closed view hears nothing more.
  TFolder target(folderPath(), kStoreArchive);
  ThreadBuilder b;
  add(target, *b.Add("After", "<a@x>"), "");
  EXPECT_EQ(v.MasterList().size(), 3u);
}

TEST_F(GroupViewFolderTest, CloseSavesMarksAndPurgeRemovesTheFiles) {
  fill(kStoreArchive);
  TGroupView& v = openFolder(kStoreArchive);
  MarkRead(v, *v.MasterList()[0], true, false);
  prompter.clear();
  v.Close();
  EXPECT_EQ(prompter.statuses(), std::vector<std::string>{std::string(kSavingFolderText)});
  TGroupView& again = openFolder(kStoreArchive);
  EXPECT_TRUE(again.MasterList()[0]->Has(NodeFlag::Read));
  prompter.answer(Button::No);
  EXPECT_FALSE(again.PurgeFolder());
  EXPECT_TRUE(store_io::FileExists(folderPath()));
  prompter.answer(Button::Yes);
  EXPECT_TRUE(again.PurgeFolder());
  EXPECT_EQ(prompter.questions().back(), kPurgeFolderQuestion);
  EXPECT_FALSE(store_io::FileExists(folderPath()));
  EXPECT_FALSE(store_io::FileExists(base.file("folders/Keep.hdr")));
}

TEST_F(GroupViewFolderTest, TornBodyFileSaysWhatItDropped) {
  fill(kStoreArchive);
  std::filesystem::remove(base.file("folders/Keep.hdr"));
  {
    std::ofstream out(folderPath(), std::ios::binary | std::ios::app);
    out << SeparatorLine(500, 0, 0, 0) << "Subject: cut";
  }
  const auto size = store_io::FileSize(folderPath());
  TGroupView& v = openFolder(kStoreArchive);
  EXPECT_EQ(v.MasterList().size(), 2u);
  const std::int64_t dropped = size - store_io::FileSize(folderPath());
  EXPECT_GT(dropped, 0);
  EXPECT_EQ(prompter.lastStatus(), TornEntryText(dropped));
}

TEST_F(GroupViewFolderTest, OriginProfileIsAServerTheProfilesKnow) {
  fill(kStoreArchive);
  main.profiles.push_back(profile);
  TGroupView& v = openFolder(kStoreArchive);
  EXPECT_EQ(v.OriginProfile(*v.MasterList()[0]), profile);
  EXPECT_EQ(v.OriginProfile(*v.MasterList()[1]), nullptr);
}

}  // namespace
}  // namespace orvel::test
