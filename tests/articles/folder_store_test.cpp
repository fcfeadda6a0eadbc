// A folder's files under damage: header rebuilds from hand-written and torn
// body files, appends that fail half-way, the watcher of an open folder and
// compaction.
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <functional>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "store_fixture.h"

namespace orvel {
namespace {

using test::ThreadBuilder;

std::string entryText(const std::string& subject) {
  return "Subject: " + subject + "\r\nMessage-ID: <" + subject + "@x>\r\n\r\nbody\r\n";
}

// A separator line as we write it, announcing size bytes.
std::string ourSeparator(std::size_t size) {
  return SeparatorLine(static_cast<std::int32_t>(size), 0, 0, 0);
}

struct RebuildCase {
  const char* name;
  std::string body;                   // the body file as found
  std::vector<std::string> subjects;  // the records rebuilt
  std::int64_t dropped;               // bytes of a torn last entry
};

class FolderRebuildTest : public test::StoreTestBase,
                          public testing::WithParamInterface<RebuildCase> {};

TEST_P(FolderRebuildTest, LoadsEveryCompleteEntry) {
  const RebuildCase& c = GetParam();
  writeAll(path("f.mbx"), c.body);
  TFolder folder(path("f.mbx"), kStoreArchive);
  EXPECT_EQ(folder.DroppedBytes(), c.dropped);
  EXPECT_EQ(store_io::FileSize(path("f.mbx")), static_cast<std::int64_t>(c.body.size()) - c.dropped);
  ArticleArena arena;
  std::vector<TArticle*> master;
  ASSERT_TRUE(folder.LoadHeaders(arena, master));
  std::vector<std::string> subjects;
  for (const TArticle* a : master) {
    subjects.emplace_back(a->Subject.view());
    std::string text;
    EXPECT_TRUE(folder.ReadBody(*a, text)) << subjects.back();
    EXPECT_TRUE(text.starts_with("Subject: ")) << subjects.back();
  }
  EXPECT_EQ(subjects, c.subjects);
  // The next append lands behind the complete entries and is read back.
  ThreadBuilder b;
  const std::string text = entryText("after");
  const std::string_view view = text;
  ASSERT_TRUE(folder.AddArticle(*b.Add("after", "<after@x>"), &view, ""));
  TFolder reopened(path("f.mbx"), kStoreArchive);
  EXPECT_EQ(reopened.DroppedBytes(), 0);
  std::vector<TArticle*> again;
  ASSERT_TRUE(reopened.LoadHeaders(arena, again));
  EXPECT_EQ(again.size(), c.subjects.size() + 1);
}

const std::string kA = entryText("a");
const std::string kB = entryText("b");
const std::string kFromLine = "From ???@0x00000000 inside a body\r\n";
const std::string kInner = "Subject: b\r\n\r\n" + kFromLine + "end\r\n";

INSTANTIATE_TEST_SUITE_P(
    Bodies, FolderRebuildTest,
    testing::Values(
        RebuildCase{"Ours", ourSeparator(kA.size()) + kA + ourSeparator(kB.size()) + kB,
                    {"a", "b"}, 0},
        RebuildCase{"HandWritten",
                    "From ???@here Mon Jan  1 00:00:00 2001\r\n" + kA +
                        "From ???@there\n" + kB,
                    {"a", "b"}, 0},
        RebuildCase{"SeparatorLikeLineInsideOurEntry",
                    ourSeparator(kInner.size()) + kInner, {"b"}, 0},
        RebuildCase{"TornText",
                    ourSeparator(kA.size()) + kA + ourSeparator(kB.size()) + kB.substr(0, 10),
                    {"a"}, static_cast<std::int64_t>(ourSeparator(kB.size()).size()) + 10},
        RebuildCase{"TornSeparator", ourSeparator(kA.size()) + kA + "From ???@0x0000", {"a"}, 15},
        RebuildCase{"OnlyATornEntry", ourSeparator(kA.size()) + kA.substr(0, 5), {},
                    static_cast<std::int64_t>(ourSeparator(kA.size()).size()) + 5}),
    [](const testing::TestParamInfo<RebuildCase>& info) { return std::string(info.param.name); });

class FolderStoreTest : public test::StoreTestBase {
 protected:
  // A folder holding articles "a" and "b".
  void makeFolder() {
    TFolder folder(path("f.mbx"), kStoreArchive);
    for (const std::string s : {"a", "b"}) {
      const std::string text = entryText(s);
      const std::string_view view = text;
      ASSERT_TRUE(folder.AddArticle(*b_.Add(s, "<" + s + "@x>"), &view, "srv:grp"));
    }
  }
  std::vector<std::string> loadedSubjects() {
    TFolder folder(path("f.mbx"), kStoreArchive);
    ArticleArena arena;
    std::vector<TArticle*> master;
    EXPECT_TRUE(folder.LoadHeaders(arena, master));
    std::vector<std::string> out;
    for (const TArticle* a : master) out.emplace_back(a->Subject.view());
    return out;
  }
  ThreadBuilder b_;
};

TEST_F(FolderStoreTest, HandWrittenBodyLosesNothing) {
  // The separator's own line is not part of the text: Bytes covers the text
  // only, and Lines counts the body lines.
  writeAll(path("f.mbx"), "From ???@x\r\n" + kA);
  TFolder folder(path("f.mbx"), kStoreArchive);
  ArticleArena arena;
  std::vector<TArticle*> master;
  ASSERT_TRUE(folder.LoadHeaders(arena, master));
  ASSERT_EQ(master.size(), 1u);
  EXPECT_EQ(master[0]->Bytes, static_cast<std::int32_t>(kA.size()));
  EXPECT_EQ(master[0]->Lines, 1);
  EXPECT_EQ(master[0]->MessageID, "<a@x>");
}

// A file-size limit makes writes past it fail as a full disk does.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, SIG_DFL);
  }

 private:
  rlimit saved_{};
};

TEST_F(FolderStoreTest, FailedAppendLeavesBothFilesAsTheyWere) {
  makeFolder();
  const std::string body = readAll(path("f.mbx"));
  const std::string header = readAll(path("f.hdr"));
  struct Case {
    const char* name;
    std::function<void()> breakIt, mendIt;
    std::size_t textSize;
  } const cases[] = {
      {"BodyFillsTheDisk", [] {}, [] {}, 1 << 20},
      {"HeaderCannotBeWritten",
       [&] {
         std::filesystem::rename(path("f.hdr"), path("saved.hdr"));
         std::filesystem::create_directory(path("f.hdr"));
       },
       [&] {
         std::filesystem::remove(path("f.hdr"));
         std::filesystem::rename(path("saved.hdr"), path("f.hdr"));
       },
       100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFolder folder(path("f.mbx"), kStoreArchive);
    configure(folder);
    c.breakIt();
    TArticle* a = b_.Add("big", "<big@x>");
    const std::string text = "Subject: big\r\n\r\n" + std::string(c.textSize, 'x');
    const std::string_view view = text;
    bool added = true;
    {
      FileSizeLimit limit(body.size() + 4096);
      added = folder.AddArticle(*a, &view, "srv:grp");
    }
    c.mendIt();
    EXPECT_FALSE(added);
    EXPECT_EQ(a->BodyOffset, -1) << "the record keeps its old offset";
    EXPECT_EQ(readAll(path("f.mbx")), body);
    EXPECT_EQ(readAll(path("f.hdr")), header);
    EXPECT_EQ(loadedSubjects(), (std::vector<std::string>{"a", "b"}));
  }
}

class Watcher : public FolderAppendObserver {
 public:
  void folderArticleAdded(const TArticle& article, std::string_view origin,
                          std::int32_t recordOffset) override {
    seen.push_back(std::string(article.Subject.view()) + "|" + std::string(origin) + "|" +
                   std::to_string(recordOffset));
  }
  bool folderEntryChanged(const FolderEntryKey& key, const FolderEntryChange& change) override {
    seen.push_back("changed " + key.subject + " " + std::to_string(change.set));
    return true;
  }
  std::vector<std::string> seen;
};

TEST_F(FolderStoreTest, EntryChangesGoThroughTheOpenViewElseTheStore) {
  makeFolder();
  const DateTime aDate = 40000;  // the builder's dates: 40000, 40001, ...
  EXPECT_FALSE(DeleteFolderEntry(path("f.mbx"), kStoreArchive, {aDate, "zz"}));
  EXPECT_FALSE(DeleteFolderEntry(path("f.mbx"), kStoreArchive, {aDate + 1, "a"}));
  ASSERT_TRUE(DeleteFolderEntry(path("f.mbx"), kStoreArchive, {aDate, "a"}));
  EXPECT_EQ(loadedSubjects(), std::vector<std::string>{"b"});

  Watcher watcher;
  WatchFolder(path("f.mbx"), watcher);
  EXPECT_TRUE(DeleteFolderEntry(path("f.mbx"), kStoreArchive, {aDate + 1, "b"}));
  UnwatchFolder(watcher);
  EXPECT_EQ(watcher.seen, std::vector<std::string>{"changed b 8"});
  EXPECT_EQ(loadedSubjects(), std::vector<std::string>{"b"}) << "the open view owns the change";

  ASSERT_TRUE(ChangeFolderEntry(path("f.mbx"), kStoreArchive, {aDate + 1, "b"},
                                {FlagBit(NodeFlag::MailSent), FlagBit(NodeFlag::Read)}));
  TFolder folder(path("f.mbx"), kStoreArchive);
  ArticleArena arena;
  std::vector<TArticle*> master;
  ASSERT_TRUE(folder.LoadHeaders(arena, master));
  ASSERT_EQ(master.size(), 1u);
  EXPECT_TRUE(master[0]->Has(NodeFlag::MailSent));
}

TEST_F(FolderStoreTest, WatcherHearsOfAppendsToItsFolderOnly) {
  makeFolder();
  Watcher watcher;
  WatchFolder(path("f.mbx"), watcher);
  const std::int64_t recordAt = store_io::FileSize(path("f.hdr"));
  TFolder folder(path("f.mbx"), kStoreArchive);
  TFolder other(path("g.mbx"), kStoreArchive);
  const std::string text = entryText("c");
  const std::string_view view = text;
  ASSERT_TRUE(folder.AddArticle(*b_.Add("c", "<c@x>"), &view, "srv:g2"));
  ASSERT_TRUE(other.AddArticle(*b_.Add("d", "<d@x>"), &view, "srv:g2"));
  UnwatchFolder(watcher);
  ASSERT_TRUE(folder.AddArticle(*b_.Add("e", "<e@x>"), &view, "srv:g2"));
  EXPECT_EQ(watcher.seen, std::vector<std::string>{"c|srv:g2|" + std::to_string(recordAt)});
}

TEST_F(FolderStoreTest, CompactionKeepsTheLiveBodies) {
  makeFolder();
  TFolder folder(path("f.mbx"), kStoreArchive);
  configure(folder);
  ArticleArena arena;
  std::vector<TArticle*> master;
  ASSERT_TRUE(folder.LoadHeaders(arena, master));
  master[0]->Set(NodeFlag::Deleted);
  folder.Modified = true;
  folder.CompactPercent = 10;
  ASSERT_TRUE(folder.SaveHeaders(master, true));
  const std::string b = entryText("b");
  EXPECT_EQ(store_io::FileSize(path("f.mbx")), static_cast<std::int64_t>(kSeparatorSize + b.size()));
  TFolder reopened(path("f.mbx"), kStoreArchive);
  std::vector<TArticle*> again;
  ASSERT_TRUE(reopened.LoadHeaders(arena, again));
  ASSERT_EQ(again.size(), 1u);
  std::string text;
  ASSERT_TRUE(reopened.ReadBody(*again[0], text));
  EXPECT_EQ(text, b);
}

}  // namespace
}  // namespace orvel
