#include "articles/threading.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "thread_builder.h"

namespace orvel {
namespace {

using test::ArticleSpec;
using test::ThreadBuilder;
using testing::ElementsAre;

TEST(ThreadingTest, ReplyBeforeParentEndsBelowIt) {
  ThreadBuilder b;
  b.Add("Re: Topic", "<r@x>", "<p@x>");
  b.Add("Topic", "<p@x>");
  b.Thread();
  EXPECT_THAT(b.Rows(), ElementsAre("[Topic]", "Topic@1", "Re: Topic@2"));
  EXPECT_EQ(b.lists.masterList[0]->MessageID, "<p@x>") << "the view list order changes";
  EXPECT_EQ(b.stats.articles, 2);
}

// Replies to early articles of a thread arrive after later ones: each is
// inserted inside the thread, after its parent's subtree. The rows must be
// the tree's pre-order with children in arrival order, and each article's
// Position its index in its thread.
TEST(ThreadingTest, LateRepliesInsideAThreadKeepPreOrderAndPositions) {
  ThreadBuilder b;
  constexpr int kArticles = 60;
  std::vector<int> parent(kArticles, -1);
  std::vector<std::vector<int>> children(kArticles);
  unsigned seed = 7;
  auto id = [](int k) { return "<" + std::to_string(k) + "@x>"; };
  for (int k = 0; k < kArticles; ++k) {
    std::string refs;
    if (k > 0) {
      seed = seed * 1103515245u + 12345u;
      parent[static_cast<std::size_t>(k)] = static_cast<int>((seed >> 16) % static_cast<unsigned>(k));
      children[static_cast<std::size_t>(parent[static_cast<std::size_t>(k)])].push_back(k);
      for (int p = parent[static_cast<std::size_t>(k)]; p >= 0; p = parent[static_cast<std::size_t>(p)]) {
        refs = id(p) + " " + refs;
      }
    }
    b.Add("S" + std::to_string(k), id(k), refs);
  }
  b.Thread();
  std::vector<std::string> expected{"[S0]"};
  auto visit = [&](auto&& self, int k, int depth) -> void {
    expected.push_back("S" + std::to_string(k) + "@" + std::to_string(depth));
    for (int c : children[static_cast<std::size_t>(k)]) self(self, c, depth + 1);
  };
  visit(visit, 0, 1);
  EXPECT_EQ(b.Rows(), expected);
  ASSERT_EQ(b.lists.threadNodes.size(), 1u);
  const TAThread& t = b.lists.threadNodes.front();
  for (std::size_t k = 0; k < t.Articles.size(); ++k) {
    EXPECT_EQ(t.Articles[k]->Position, static_cast<std::int32_t>(k));
    EXPECT_EQ(t.Articles[k]->Thread, &t);
  }
}

TEST(ThreadingTest, ReferenceLoopsEndThePass) {
  // A loop through the article itself, one beyond its parent, a self-reference.
  ThreadBuilder b;
  b.Add("One", "<1@x>", "<2@x>");
  b.Add("Two", "<2@x>", "<1@x>");
  b.Add("Reply", "<x@x>", "<p@x>");
  b.Add("P", "<p@x>", "<q@x>");
  b.Add("Q", "<q@x>", "<p@x>");
  b.Add("Self", "<s@x>", "<s@x>");
  b.Thread();
  EXPECT_EQ(b.stats.articles, 6);
  for (TArticle* a : b.lists.masterList) EXPECT_GE(a->Position, 0) << a->Subject.view();
}

// Each reply comes before its parent, and the parent is on a loop of two
// that the reply is not on: the pass walks the loop once per reply, so
// tens of thousands of them end as quickly as one does.
TEST(ThreadingTest, RepliesBeforeLoopsOfTheirOwnAllEndInThreads) {
  constexpr int kLoops = 30000;
  ThreadBuilder b;
  for (int k = 0; k < kLoops; ++k) {
    const std::string n = std::to_string(k);
    b.Add("Re: Loop " + n, "<r" + n + "@x>", "<x" + n + "@x>");
    b.Add("Loop " + n, "<x" + n + "@x>", "<y" + n + "@x>");
    b.Add("Loop " + n, "<y" + n + "@x>", "<x" + n + "@x>");
  }
  b.Thread();
  ASSERT_EQ(b.stats.articles, 3 * kLoops);
  ASSERT_EQ(b.lists.rowList.size(), 4u * kLoops);
  const std::vector<std::string> rows = b.Rows();
  for (int k : {0, kLoops / 2, kLoops - 1}) {
    const std::string n = std::to_string(k);
    const auto at = static_cast<std::ptrdiff_t>(4 * k);
    EXPECT_THAT(std::vector<std::string>(rows.begin() + at, rows.begin() + at + 4),
                ElementsAre("[Loop " + n + "]", "Loop " + n + "@1", "Re: Loop " + n + "@2",
                            "Loop " + n + "@2"))
        << k;
  }
}

// Articles (subject, id, references) threaded with the options; the rows.
struct RowsCase {
  const char* name;
  std::vector<std::vector<std::string>> articles;
  void (*tweak)(ThreadOptions&);
  std::vector<std::string> rows;
};
void PrintTo(const RowsCase& c, std::ostream* os) { *os << c.name; }

class ThreadRowsTest : public testing::TestWithParam<RowsCase> {};

TEST_P(ThreadRowsTest, ShowTheTree) {
  ThreadBuilder b;
  for (const auto& a : GetParam().articles) b.Add(a.at(0), a.at(1), a.size() > 2 ? a[2] : "");
  ThreadOptions options;
  if (GetParam().tweak) GetParam().tweak(options);
  b.Thread(options);
  EXPECT_EQ(b.Rows(), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, ThreadRowsTest,
    testing::Values(
        RowsCase{"DeepChainArrivingBackwardsIsRebuilt",
                 {{"Re: Root", "<5@x>", "<0@x> <1@x> <2@x> <3@x> <4@x>"},
                  {"Re: Root", "<4@x>", "<0@x> <1@x> <2@x> <3@x>"},
                  {"Re: Root", "<3@x>", "<0@x> <1@x> <2@x>"}, {"Re: Root", "<2@x>", "<0@x> <1@x>"},
                  {"Re: Root", "<1@x>", "<0@x>"}, {"Root", "<0@x>"}},
                 nullptr,
                 {"[Root]", "Root@1", "Re: Root@2", "Re: Root@3", "Re: Root@4", "Re: Root@5",
                  "Re: Root@6"}},
        RowsCase{"RepliesToOneParentFollowEarlierSubtrees",
                 {{"Root", "<r@x>"}, {"A", "<a@x>", "<r@x>"}, {"B", "<b@x>", "<r@x>"},
                  {"A1", "<a1@x>", "<r@x> <a@x>"}},
                 nullptr,
                 {"[Root]", "Root@1", "A@2", "A1@3", "B@2"}},
        // Subjects are keyed exactly, so another case is another subject.
        RowsCase{"ReWithMissingParentJoinsSubjectThread",
                 {{"Topic", "<t@x>"}, {"Re: Topic", "<r@x>", "<gone@x>"}, {"Re:  topic", "<r2@x>"}},
                 nullptr,
                 {"[Topic]", "Topic@1", "Re: Topic@1", "Re:  topic@0"}},
        RowsCase{"SameSubjectWithoutReStartsNewRoots",
                 {{"Topic", "<1@x>"}, {"Topic", "<2@x>"}},
                 nullptr,
                 {"Topic@0", "Topic@0"}},
        RowsCase{"ChangedSubjectStaysInTheThread",
                 {{"Topic", "<t@x>"}, {"Re: Other thing", "<o@x>", "<t@x>"},
                  {"Re: topic", "<s@x>", "<t@x>"}},
                 nullptr,
                 {"[Topic]", "Topic@1", "Re: Other thing@2", "Re: topic@2"}},
        RowsCase{"NewSubjectNewThreadSplitsChangedSubjects",
                 {{"Topic", "<t@x>"}, {"Re: Other thing", "<o@x>", "<t@x>"},
                  {"Re: topic", "<s@x>", "<t@x>"}},
                 [](ThreadOptions& o) { o.newSubjectNewThread = true; },
                 {"[Topic]", "Topic@1", "Re: topic@2", "Re: Other thing@0"}},
        RowsCase{"MultiPartOffLeavesSubjectsAlone",
                 {{"Pics (1/2)", "<1@x>"}, {"Pics (2/2)", "<2@x>"}},
                 [](ThreadOptions& o) { o.multiPartThreading = false; },
                 {"Pics (1/2)@0", "Pics (2/2)@0"}},
        RowsCase{"SubjectSortKeepsReWhenNotIgnored",
                 {{"Re: beta", "<a@x>"}, {"alpha", "<b@x>"}, {"Zulu", "<c@x>"}},
                 [](ThreadOptions& o) {
                   o.sort.column = kSortSubject;
                   o.sort.ignoreRe = false;
                 },
                 {"alpha@0", "Re: beta@0", "Zulu@0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ThreadingTest, MultiPartSeriesWithDuplicatePart) {
  ThreadBuilder b;
  b.Add("Pics (2/3)", "<2@x>");
  b.Add("Pics (1/3)", "<1@x>");
  b.Add("Pics (3/3)", "<3@x>");
  b.Add("Pics (2/3)", "<2b@x>");
  b.Add("Re: Pics (1/3)", "<re@x>", "<1@x>");
  b.Thread();
  ASSERT_EQ(b.lists.rootList.size(), 2u);
  const TAThread* t = b.lists.rootList[0]->AsThread();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->Subject, "Pics (~/3)");
  EXPECT_EQ(t->PartsTotal, 3);
  EXPECT_EQ(t->PartsPresent, 3);
  std::vector<std::string> ids;
  for (const TArticle* a : t->Articles) ids.emplace_back(a->MessageID.view());
  EXPECT_THAT(ids, ElementsAre("<1@x>", "<2b@x>", "<2@x>", "<3@x>"));
  EXPECT_EQ(b.stats.multiPart, 1);
  EXPECT_EQ(b.stats.completeMultiPart, 1);
  EXPECT_EQ(b.lists.rootList[1]->Subject, "Re: Pics (1/3)") << "replies never attach to parts";
}

TEST(ThreadingTest, SameWidthAndPaddedPartsShareAKey) {
  ThreadBuilder b;
  b.Add("Holiday (03/12) pic.jpg", "<3@x>");
  b.Add("Holiday (4/12) pic.jpg", "<4@x>");
  b.Thread();
  ASSERT_EQ(b.lists.rootList.size(), 1u);
  EXPECT_EQ(b.lists.rootList[0]->Subject, "Holiday (~~/12) pic.jpg");
}

TEST(ThreadingTest, DifferentPostersMakeDifferentSeries) {
  ThreadBuilder b;
  ArticleSpec one{"Pics (1/2)", "<1@x>", "", "A <a@x>"};
  ArticleSpec two{"Pics (2/2)", "<2@x>", "", "B <b@x>"};
  b.Add(one);
  b.Add(two);
  b.Thread();
  EXPECT_EQ(b.lists.rootList.size(), 2u);
  EXPECT_EQ(b.stats.multiPart, 2);
}

TEST(ThreadingTest, OneOfOneGoesThroughOrdinaryThreading) {
  ThreadBuilder b;
  TArticle* a = b.Add("Single file (1/1)", "<1@x>");
  b.Add("Re: Single file (1/1)", "<2@x>", "<1@x>");
  b.Thread();
  EXPECT_EQ(a->PartNumber, 1);
  EXPECT_THAT(b.Rows(), ElementsAre("[Single file (1/1)]", "Single file (1/1)@1",
                                    "Re: Single file (1/1)@2"));
  EXPECT_EQ(b.stats.multiPart, 0);
}

TEST(ThreadingTest, TenThousandPartsOnShortArticlesAreNotMultiPart) {
  ThreadBuilder b;
  ArticleSpec spec{"Spam (1/10000)", "<1@x>", "", "A <a@x>", 50};
  TArticle* a = b.Add(spec);
  spec.subject = "Spam (2/10000)";
  spec.messageId = "<2@x>";
  b.Add(spec);
  b.Thread();
  EXPECT_EQ(a->PartNumber, -1);
  EXPECT_EQ(b.lists.rootList.size(), 2u);
  EXPECT_EQ(b.stats.multiPart, 0);
}

TEST(ThreadingTest, SmallPartWithParentWaitsAsRootUntilNextPart) {
  ThreadBuilder b;
  ArticleSpec small{"Reply pics (1/2)", "<1@x>", "<orig@x>", "A <a@x>", 40};
  b.Add(small);
  EXPECT_EQ(b.lists.masterList.size(), 1u);
  b.Thread();
  ASSERT_EQ(b.lists.rootList.size(), 1u);
  EXPECT_FALSE(b.lists.rootList[0]->IsThread());
  ArticleSpec second = small;
  second.subject = "Reply pics (2/2)";
  second.messageId = "<2@x>";
  b.Add(second);
  b.Thread();
  ASSERT_EQ(b.lists.rootList.size(), 1u);
  const TAThread* t = b.lists.rootList[0]->AsThread();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->PartsPresent, 2);
  EXPECT_EQ(b.stats.completeMultiPart, 1);
}

TEST(ThreadingTest, UnthreadedOnlySorts) {
  ThreadBuilder b;
  b.Add("B", "<b@x>", "", 3);
  b.Add("Re: B", "<r@x>", "<b@x>", 1);
  ThreadOptions options;
  options.threaded = false;
  b.Thread(options);
  EXPECT_THAT(b.Rows(), ElementsAre("Re: B@0", "B@0"));
  EXPECT_EQ(b.lists.rootList[0]->Position, 0);
  EXPECT_EQ(b.lists.rowList[1]->SourceIndex, 1);
}

TEST(ThreadingTest, CollapsedRowsShowOnlyRoots) {
  ThreadBuilder b;
  b.Add("Topic", "<t@x>");
  b.Add("Re: Topic", "<r@x>", "<t@x>");
  ThreadOptions options;
  options.expandAll = false;
  b.Thread(options);
  EXPECT_THAT(b.Rows(), ElementsAre("[Topic]"));
  EXPECT_FALSE(b.lists.rootList[0]->AsThread()->Expanded);
  for (const TArticle* a : b.lists.masterList) {
    EXPECT_EQ(a->SourceIndex, -1) << a->Subject.view() << " is not shown";
  }
}

struct PartCase {
  const char* name;
  const char* subject;
  bool found;
  std::int32_t part;
  std::int32_t total;
  const char* key;
};
void PrintTo(const PartCase& c, std::ostream* os) { *os << c.name; }

class ParsePartNumbersTest : public testing::TestWithParam<PartCase> {};

TEST_P(ParsePartNumbersTest, FindsTheLastCandidate) {
  const auto& c = GetParam();
  PartNumbers p;
  ASSERT_EQ(ParsePartNumbers(c.subject, p), c.found);
  if (!c.found) return;
  EXPECT_EQ(p.part, c.part);
  EXPECT_EQ(p.total, c.total);
  std::string key = "kept:";
  EXPECT_EQ(p.AppendKey(key), "kept:" + std::string(c.key));
}

INSTANTIATE_TEST_SUITE_P(
    Subjects, ParsePartNumbersTest,
    testing::Values(
        PartCase{"Plain", "Holiday (3/12) pic.jpg", true, 3, 12, "Holiday (~~/12) pic.jpg"},
        PartCase{"Blanks", "file ( 3 / 12 )", true, 3, 12, "file ( ~~ / 12 )"},
        PartCase{"LastCandidateWins", "a (1/2) b (3/4)", true, 3, 4, "a (1/2) b (~/4)"},
        PartCase{"BadLastFallsBack", "a (1/2) b (x)", true, 1, 2, "a (~/2) b (x)"},
        PartCase{"Brackets", "yEnc [07/10] x.rar", true, 7, 10, "yEnc [~~/10] x.rar"},
        PartCase{"ParenthesesBeforeBrackets", "[1/9] file (2/5)", true, 2, 5, "[1/9] file (~/5)"},
        PartCase{"NoNumbers", "just (words)", false, 0, 0, ""},
        PartCase{"NoSlash", "file (12)", false, 0, 0, ""},
        PartCase{"TooManyDigits", "file (1/12345678901)", false, 0, 0, ""},
        PartCase{"Empty", "", false, 0, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct SortCase {
  const char* name;
  std::int32_t column;
  std::int32_t order;
  std::vector<std::string> expected;
};
void PrintTo(const SortCase& c, std::ostream* os) { *os << c.name; }

class SortTest : public testing::TestWithParam<SortCase> {};

TEST_P(SortTest, OrdersRootsByColumnThenDate) {
  ThreadBuilder b;
  ArticleSpec a{"Re: beta", "<a@x>", "", "Zed <z@x>", 30, 3};
  ArticleSpec c{"alpha", "<c@x>", "", "<adam@x>", 10, 1};
  ArticleSpec d{"Gamma", "<d@x>", "", "Mia <m@x>", 20, 2};
  ArticleSpec e{"Re: Gamma", "<e@x>", "<d@x>", "Mia <m@x>", 5, 4};
  b.Add(a)->Score = 5;
  b.Add(c)->Score = 50;
  b.Add(d)->QueuePosition = 0;
  b.Add(e);
  b.ById("<a@x>")->QueuePosition = 2;
  b.ById("<c@x>")->QueuePosition = 1;
  ThreadOptions options;
  options.sort.column = GetParam().column;
  options.sort.order = GetParam().order;
  options.expandAll = false;
  b.Thread(options);
  std::vector<std::string> roots;
  for (const TNode* n : b.lists.rootList) roots.emplace_back(n->Subject.view());
  EXPECT_EQ(roots, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, SortTest,
    testing::Values(SortCase{"Subject", kSortSubject, 1, {"alpha", "Re: beta", "Gamma"}},
                    SortCase{"Queue", kSortQueue, 1, {"Gamma", "alpha", "Re: beta"}},
                    SortCase{"LinesThreadAfterSingles", kSortLines, 1, {"alpha", "Re: beta", "Gamma"}},
                    SortCase{"AuthorAddressWhenNoName", kSortAuthor, 1, {"alpha", "Gamma", "Re: beta"}},
                    SortCase{"Date", kSortDate, 1, {"alpha", "Gamma", "Re: beta"}},
                    SortCase{"DateDescending", kSortDate, -1, {"Re: beta", "Gamma", "alpha"}},
                    SortCase{"ScoreDescending", kSortScore, -1, {"alpha", "Re: beta", "Gamma"}},
                    SortCase{"Number", kSortNumber, 1, {"Re: beta", "alpha", "Gamma"}},
                    SortCase{"NoneKeepsPassOrder", kSortNone, 1, {"Re: beta", "alpha", "Gamma"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SortTest, FolderColumnsUseTheOrigin) {
  ThreadBuilder b;
  StringPool& pool = b.arena.Strings();
  b.Add("one", "<1@x>")->Xref = pool.Store("news.b:comp.z");
  b.Add("two", "<2@x>")->Xref = pool.Store("News.A:comp.y");
  b.Add("three", "<3@x>")->Xref = pool.Store("news.a:comp.x");
  ThreadOptions options;
  options.sort.newsgroup = false;
  options.sort.column = kSortScore;
  b.Thread(options);
  EXPECT_THAT(b.Rows(), ElementsAre("three@0", "two@0", "one@0"));
  options.sort.column = kSortNumber;
  b.Thread(options);
  EXPECT_THAT(b.Rows(), ElementsAre("three@0", "two@0", "one@0"));
}

TEST(SortTest, ClickOrder) {
  EXPECT_EQ(OrderAfterClick(kSortDate, 1, kSortDate, true), -1);
  EXPECT_EQ(OrderAfterClick(kSortDate, 1, kSortSubject, true), 1);
  EXPECT_EQ(OrderAfterClick(kSortDate, 1, kSortScore, true), -1);
  EXPECT_EQ(OrderAfterClick(kSortDate, 1, kSortScore, false), 1);
}

}  // namespace
}  // namespace orvel
