#include "articles/history.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "thread_builder.h"

namespace orvel {
namespace {

using testing::ElementsAre;

// Articles "s0".."s14", by "Name 0".. except s3, which has only an address.
class HistoryTest : public testing::Test {
 protected:
  HistoryTest() {
    for (int i = 0; i < 15; ++i) {
      test::ArticleSpec spec;
      spec.subject = "s" + std::to_string(i);
      spec.messageId = "<" + std::to_string(i) + "@x>";
      spec.from = i == 3 ? "bare@example.com" : "Name " + std::to_string(i) + " <n@example.com>";
      art.push_back(b.Add(spec));
    }
  }
  // "s1 s2 [s3] s4": the entries, the current one in brackets.
  std::string Entries() {
    std::ostringstream out;
    THistory copy = h;
    int current = 0;
    while (copy.Back()) ++current;
    for (int i = 0; copy.Current(); ++i) {
      const std::string s(copy.Current()->Subject.view());
      out << (i ? " " : "") << (i == current ? "[" + s + "]" : s);
      if (!copy.Forward()) break;
    }
    return out.str();
  }
  void VisitAll(std::initializer_list<int> indexes) {
    for (int i : indexes) h.Visit(art[static_cast<std::size_t>(i)]);
  }

  test::ThreadBuilder b;
  std::vector<TArticle*> art;
  THistory h;
};

TEST_F(HistoryTest, VisitBackForwardAndTruncation) {
  EXPECT_EQ(h.Back(), nullptr);
  EXPECT_EQ(h.Forward(), nullptr);
  VisitAll({0, 1, 1, 2});
  EXPECT_EQ(Entries(), "s0 s1 [s2]") << "the current one visited again is not repeated";
  EXPECT_EQ(h.Forward(), nullptr);
  EXPECT_EQ(h.Back(), art[1]);
  EXPECT_EQ(h.Back(), art[0]);
  EXPECT_EQ(h.Back(), nullptr);
  EXPECT_FALSE(h.CanGoBack());
  EXPECT_TRUE(h.CanGoForward());
  EXPECT_EQ(Entries(), "[s0] s1 s2");
  h.Visit(art[0]);
  EXPECT_EQ(Entries(), "[s0] s1 s2") << "revisiting the current one keeps what follows";
  h.Visit(art[5]);
  EXPECT_EQ(Entries(), "s0 [s5]");
  EXPECT_EQ(h.GoTo(-2), nullptr);
  EXPECT_EQ(h.GoTo(-1), art[0]);
  EXPECT_EQ(h.GoTo(1), art[5]);
  h.Clear();
  EXPECT_EQ(Entries(), "");
  EXPECT_FALSE(h.CanGoForward());
}

TEST_F(HistoryTest, MenusHoldTenNearestWithCaptionsAndSteps) {
  VisitAll({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
  h.GoTo(-12);  // at s1
  const auto back = h.BackMenu();
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].caption, "Name 0:\ts0");
  EXPECT_EQ(back[0].steps, -1);
  std::vector<std::string> forward;
  for (const auto& e : h.ForwardMenu()) forward.push_back(e.caption);
  EXPECT_THAT(forward, ElementsAre("Name 2:\ts2", "bare@example.com:\ts3", "Name 4:\ts4",
                                   "Name 5:\ts5", "Name 6:\ts6", "Name 7:\ts7", "Name 8:\ts8",
                                   "Name 9:\ts9", "Name 10:\ts10", "Name 11:\ts11"));
  EXPECT_EQ(h.GoTo(h.ForwardMenu()[9].steps), art[11]);
  const auto newestFirst = h.BackMenu();
  ASSERT_EQ(newestFirst.size(), 10u);
  EXPECT_EQ(newestFirst.front().article, art[10]);
  EXPECT_EQ(newestFirst.back().article, art[1]);
  EXPECT_EQ(h.GoTo(newestFirst.back().steps), art[1]);
}

struct ForgetCase {
  const char* name;
  std::vector<int> visits;
  int back;  // steps back after the visits
  int forget;
  const char* expected;
};
void PrintTo(const ForgetCase& c, std::ostream* os) { *os << c.name; }

class HistoryForgetTest : public HistoryTest, public testing::WithParamInterface<ForgetCase> {};

TEST_P(HistoryForgetTest, DropsEveryEntryAndKeepsTheVisit) {
  const ForgetCase& c = GetParam();
  for (int i : c.visits) h.Visit(art[static_cast<std::size_t>(i)]);
  h.GoTo(-c.back);
  h.Forget(art[static_cast<std::size_t>(c.forget)]);
  EXPECT_EQ(Entries(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    History, HistoryForgetTest,
    testing::Values(ForgetCase{"BeforeCurrent", {1, 2, 3}, 0, 2, "s1 [s3]"},
                    ForgetCase{"AfterCurrent", {1, 2, 3}, 2, 2, "[s1] s3"},
                    ForgetCase{"CurrentFallsBack", {1, 2, 3}, 1, 2, "[s1] s3"},
                    ForgetCase{"FirstCurrentFallsForward", {1, 2, 3}, 2, 1, "[s2] s3"},
                    ForgetCase{"NeighboursMerge", {1, 2, 1, 4}, 0, 2, "s1 [s4]"},
                    ForgetCase{"CurrentMergesWithItsTwin", {1, 2, 1, 4}, 1, 2, "[s1] s4"},
                    ForgetCase{"OnlyEntry", {1}, 0, 1, ""},
                    ForgetCase{"NotInHistory", {1, 2}, 0, 5, "s1 [s2]"}),
    [](const testing::TestParamInfo<ForgetCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
