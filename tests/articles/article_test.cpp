#include "articles/article.h"

#include <gtest/gtest.h>

#include "articles/article_arena.h"
#include "articles/header_utils.h"
#include "articles/row_state.h"
#include "thread_builder.h"

namespace orvel {
namespace {

TEST(ArticleTest, EffectiveScoreOrder) {
  TArticle a;
  a.Score = 10;
  EXPECT_EQ(a.EffectiveScore(8888), 10);
  a.Set(NodeFlag::Kept);
  EXPECT_EQ(a.EffectiveScore(8888), 8888) << "kept raises to KeptScore";
  EXPECT_EQ(a.EffectiveScore(0), 10) << "KeptScore 0 leaves the score";
  a.Score = 9000;
  EXPECT_EQ(a.EffectiveScore(8888), 9000);
  a.Set(NodeFlag::Deleted);
  EXPECT_EQ(a.EffectiveScore(8888), kKilledScore);
  a.Set(NodeFlag::ReplyToMe);
  EXPECT_EQ(a.EffectiveScore(8888), kTopScore);
}

TEST(ArticleTest, ReadSetsBothFlagsAndTheThreadsState) {
  test::ThreadBuilder b;
  b.Add("T", "<t@x>");
  b.Add("Re: T", "<r@x>", "<t@x>");
  b.Thread();
  TAThread* t = b.lists.rootList[0]->AsThread();
  ASSERT_NE(t, nullptr);
  t->Articles[0]->SetRead(true);
  EXPECT_TRUE(t->Articles[0]->Has(NodeFlag::SomeRead));
  EXPECT_TRUE(t->Has(NodeFlag::SomeRead));
  EXPECT_FALSE(t->Has(NodeFlag::Read));
  t->Articles[1]->SetRead(true);
  EXPECT_TRUE(t->Has(NodeFlag::Read));
  t->Articles[0]->SetRead(false);
  EXPECT_FALSE(t->Has(NodeFlag::Read));
  EXPECT_FALSE(t->Articles[0]->Has(NodeFlag::SomeRead));
}

struct ThreadScoreCase {
  const char* name;
  std::int32_t option;
  std::int32_t expected;
};
void PrintTo(const ThreadScoreCase& c, std::ostream* os) { *os << c.name; }

class ThreadScoreTest : public testing::TestWithParam<ThreadScoreCase> {};

TEST_P(ThreadScoreTest, CombinesEffectiveScoresFromLastToFirst) {
  test::ThreadBuilder b;
  // Articles in thread order: scores 0, 30, -5, 0 (visited last to first).
  b.Add("T", "<t@x>")->Score = 0;
  b.Add("Re: T", "<a@x>", "<t@x>")->Score = 30;
  b.Add("Re: T", "<b@x>", "<t@x>")->Score = -5;
  b.Add("Re: T", "<c@x>", "<t@x>")->Score = 0;
  ThreadOptions options;
  options.sort.score = {8888, GetParam().option};
  b.Thread(options);
  ASSERT_EQ(b.lists.rootList.size(), 1u);
  EXPECT_EQ(b.lists.rootList[0]->Score, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Options, ThreadScoreTest,
                         testing::Values(ThreadScoreCase{"Maximum", 0, 30},
                                         ThreadScoreCase{"FirstNonZeroBest", 1, 30},
                                         ThreadScoreCase{"Sum", 2, 25}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ArticleTest, FirstVisitedSetsValueForOptionOne) {
  const ScoreOptions firstNonZero{8888, 1};
  TAThread t;
  TArticle a, b;
  a.Score = 0;
  b.Score = -7;  // visited first
  t.Articles = {&a, &b};
  a.Thread = b.Thread = &t;
  a.SetScore(0, firstNonZero);
  EXPECT_EQ(t.Score, -7) << "a zero never replaces the first value";
  a.SetScore(-3, firstNonZero);
  EXPECT_EQ(t.Score, -3);
}

TEST(ArticleTest, ThreadSetScoreCopiesToArticlesAndQueueTest) {
  TAThread t;
  TArticle a, b;
  t.Articles = {&a, &b};
  t.SetScore(44, ScoreOptions{});
  EXPECT_EQ(a.Score, 44);
  EXPECT_EQ(b.Score, 44);
  EXPECT_FALSE(t.IsQueued());
  b.QueuePosition = 0;
  EXPECT_TRUE(t.IsQueued());
  EXPECT_TRUE(b.IsQueued());
}

TEST(ArticleTest, KeptArticleRaisesThreadAndOthers) {
  TAThread t;
  TArticle a, b;
  a.Set(NodeFlag::Kept);
  b.Score = 9000;
  TArticle c;
  c.Score = 3;
  t.Articles = {&a, &b, &c};
  UpdateThreadState(t, 8888);
  EXPECT_EQ(t.Score, 8888);
  EXPECT_EQ(b.Score, 9000);
  EXPECT_EQ(c.Score, 8888);
  EXPECT_FALSE(t.Has(NodeFlag::Kept));
  UpdateThreadState(t, 0);
  EXPECT_EQ(c.Score, 8888) << "KeptScore 0 changes nothing";
}

TEST(ArticleTest, MultiPartReadIgnoresUnreadCopiesOfReadParts) {
  TAThread t;
  t.PartsTotal = 3;
  t.PartsPresent = 3;
  TArticle p1, p2, p2copy, p3;
  p1.PartNumber = 1;
  p2.PartNumber = 2;
  p2copy.PartNumber = 2;
  p3.PartNumber = 3;
  t.Articles = {&p1, &p2, &p2copy, &p3};
  for (TArticle* a : t.Articles) a->Thread = &t;
  p1.SetRead(true);
  p2.SetRead(true);
  p3.SetRead(true);
  EXPECT_TRUE(t.Has(NodeFlag::Read)) << "the unread copy of a read part does not count";
  p2copy.SetRead(true);
  p2.SetRead(false);
  EXPECT_TRUE(t.Has(NodeFlag::Read)) << "an unread part followed by another copy does not count";
  p2copy.SetRead(false);
  EXPECT_FALSE(t.Has(NodeFlag::Read)) << "no copy of part 2 is read";
}

TEST(ArticleTest, DeletedAndKeptThreadFlags) {
  TAThread t;
  TArticle a, b;
  t.Articles = {&a, &b};
  a.Set(NodeFlag::Deleted);
  a.Set(NodeFlag::Kept);
  UpdateThreadState(t, 8888);
  EXPECT_FALSE(t.Has(NodeFlag::Deleted));
  b.Set(NodeFlag::Deleted);
  b.Set(NodeFlag::Kept);
  UpdateThreadState(t, 8888);
  EXPECT_TRUE(t.Has(NodeFlag::Deleted));
  EXPECT_TRUE(t.Has(NodeFlag::Kept));
}

// The icon shows the most pressing state: a lost body before everything, a
// reply to me before a kept or stored one.
TEST(ArticleTest, RowStatePrecedence) {
  struct Case {
    std::initializer_list<NodeFlag> flags;
    bool stored;
    RowState expected;
  };
  const Case cases[] = {
      {{}, false, RowState::None},
      {{}, true, RowState::Stored},
      {{NodeFlag::Posted}, true, RowState::Sent},
      {{NodeFlag::Kept, NodeFlag::HasAttachments}, true, RowState::Kept},
      {{NodeFlag::Kept, NodeFlag::ReplyToMe}, false, RowState::ReplyToMe},
      {{NodeFlag::Fetching, NodeFlag::Missing, NodeFlag::ReplyToMe}, false, RowState::Missing},
  };
  for (const Case& c : cases) {
    TArticle a;
    for (NodeFlag f : c.flags) a.Set(f);
    if (c.stored) a.BodyOffset = 0;
    EXPECT_EQ(RowStateOf(a), c.expected) << static_cast<int>(c.expected);
  }
  TAThread thread;
  thread.Set(NodeFlag::Kept);
  EXPECT_EQ(RowStateOf(thread), RowState::None);
}

TEST(StringPoolTest, StoresShortAndLongTextsAndShares) {
  StringPool pool;
  const std::string longText(70000, 'x');
  const PooledString shortOne = pool.Store("abc");
  const PooledString longOne = pool.Store(longText);
  EXPECT_EQ(shortOne.view(), "abc");
  EXPECT_EQ(longOne.view(), longText);
  EXPECT_TRUE(pool.Store("").empty());
  const std::string exact(255, 'y');
  EXPECT_EQ(pool.Store(exact).view(), exact) << "255 bytes take the long prefix";
  const PooledString a = pool.Share("Re: subject");
  const PooledString b = pool.Share("Re: subject");
  EXPECT_EQ(a.view().data(), b.view().data());
  const TAuthor* x = pool.InternAuthor("Ann", "ann@x");
  EXPECT_EQ(pool.InternAuthor("Ann", "ann@x"), x);
  EXPECT_NE(pool.InternAuthor("Ann", "ann@y"), x);
  EXPECT_NE(pool.InternAuthor("Annann", "@x"), pool.InternAuthor("Ann", "ann@x"));
  EXPECT_EQ(pool.InternAuthor("", ""), nullptr);
  for (int i = 0; i < 5000; ++i) pool.InternAuthor("n" + std::to_string(i), "a");
  EXPECT_EQ(pool.InternAuthor("Ann", "ann@x"), x) << "growth keeps every author";
  pool.RememberRawFrom("Ann <ann@x>", x);
  EXPECT_EQ(pool.AuthorOfRawFrom("Ann <ann@x>"), x);
  EXPECT_EQ(pool.AuthorOfRawFrom("Ann <ann@y>"), nullptr);
}

// Articles parsed in order, each after its Message-ID as the parsers do:
// whether References became a link, and that every value spells its text.
TEST(StringPoolTest, ReferencesLinkToARecentParentOnlyWhenTheyExtendIt) {
  struct Row {
    const char* id;
    const char* references;
    bool link;
  };
  const Row rows[] = {
      {"<r@x>", "", false},
      {"<a@x>", "<r@x>", true},             // the root's own reply: the ID alone
      {"<b@x>", "<r@x> <a@x>", true},       // a grandchild, a link to a link
      {"<c@x>", "<r@x> <a@x>", true},       // its sibling
      {"<d@x>", "<r@x> <a@x> <b@x>", true},
      {"<e@x>", "<q@x> <a@x>", false},      // not the parent's References
      {"<f@x>", "<r@x>  <a@x>", false},     // two blanks
      {"<g@x>", "<r@x>\t<a@x>", false},    // a tab
      {"<h@x>", "<a@x> <b@x>", false},      // trimmed from the front
      {"<i@x>", "<zz@x>", false},           // a parent never seen
      {"<j@x>", "<r@x> <a@x> <e@x>", false},
      {"<k@x>", "<q@x> <a@x> <e@x>", true}, // a text parent
  };
  StringPool pool;
  ArticleArena arena;
  std::vector<TArticle*> articles;
  for (const Row& row : rows) {
    TArticle* a = arena.New();
    a->MessageID = pool.Store(row.id);
    a->SetReferences(pool, row.references);
    articles.push_back(a);
  }
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const TArticle& a = *articles[i];
    SCOPED_TRACE(rows[i].id);
    EXPECT_EQ(a.References.IsLink(), rows[i].link);
    EXPECT_EQ(a.References.str(), rows[i].references);
    EXPECT_TRUE(a.References.Spells(rows[i].references));
    EXPECT_FALSE(a.References.Spells(std::string(rows[i].references) + " "));
    std::string_view refs = rows[i].references;
    EXPECT_EQ(a.ParentID(), LastReference(refs));
  }
  EXPECT_EQ(articles[2]->References.LinkedParentID().data(), articles[1]->MessageID.view().data())
      << "a link names its parent's own Message-ID";
  EXPECT_EQ(articles[3]->References.str(), articles[2]->References.str());
  // The depth shares a word with the kind and the parent's presence.
  articles[2]->SetDepth(1 << 20);
  EXPECT_EQ(articles[2]->Depth(), TNode::kMaxDepth);
  EXPECT_TRUE(articles[2]->HasParent());
  EXPECT_FALSE(articles[2]->IsThread());
  articles[2]->ClearParentID();
  articles[2]->SetDepth(3);
  EXPECT_EQ(articles[2]->ParentID(), "");
  EXPECT_EQ(articles[2]->Depth(), 3);
  EXPECT_FALSE(articles[3]->References.Spells("<r@x> <b@x>"));

  // An article whose Message-ID was not the last text stored is no parent.
  TArticle* late = arena.New();
  late->MessageID = pool.Store("<l@x>");
  pool.Store("something between");
  late->SetReferences(pool, "");
  TArticle* reply = arena.New();
  reply->MessageID = pool.Store("<m@x>");
  reply->SetReferences(pool, "<l@x>");
  EXPECT_FALSE(reply->References.IsLink());
  EXPECT_EQ(reply->ParentID(), "<l@x>");
}

// Released caches forget the recent parents, not what was stored: links
// made before still spell their References, a reply to an earlier parent is
// stored as text, and parents stored afterwards are linked to again.
TEST(StringPoolTest, ReleasedCachesKeepTheStoredReferences) {
  StringPool pool;
  ArticleArena arena;
  const auto article = [&](const char* id, const char* references) {
    TArticle* a = arena.New();
    a->MessageID = pool.Store(id);
    a->SetReferences(pool, references);
    return a;
  };
  article("<r@x>", "");
  const TArticle* before = article("<a@x>", "<r@x>");
  ASSERT_TRUE(before->References.IsLink());
  pool.ReleaseCaches();
  EXPECT_TRUE(before->References.Spells("<r@x>"));
  EXPECT_EQ(before->ParentID(), "<r@x>");
  const TArticle* late = article("<b@x>", "<r@x> <a@x>");
  EXPECT_FALSE(late->References.IsLink());
  EXPECT_TRUE(late->References.Spells("<r@x> <a@x>"));
  const TArticle* again = article("<c@x>", "<r@x> <a@x> <b@x>");
  EXPECT_TRUE(again->References.IsLink());
  EXPECT_TRUE(again->References.Spells("<r@x> <a@x> <b@x>"));
}

TEST(ArticleArenaTest, FreedRecordsAreReusedFresh) {
  ArticleArena arena;
  TArticle* a = arena.New();
  a->Number = 5;
  a->Position = 3;
  arena.Free(a);
  EXPECT_EQ(arena.LiveRecords(), 0u);
  TArticle* b = arena.New();
  EXPECT_EQ(b, a);
  EXPECT_EQ(b->Number, 0);
  EXPECT_EQ(b->Position, -1);
  EXPECT_EQ(b->BodyOffset, -1);
  for (int i = 0; i < 50000; ++i) arena.New()->Number = i;
  EXPECT_EQ(arena.LiveRecords(), 50001u);
}

}  // namespace
}  // namespace orvel
