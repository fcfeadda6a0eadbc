#include "articles/thread_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <tuple>
#include <utility>

#include "../config/temp_base_dir.h"
#include "articles/store_io.h"
#include "thread_builder.h"

namespace orvel {
namespace {

using test::ArticleSpec;
using test::TempBaseDir;
using test::ThreadBuilder;

// Where an article stands after threading: number, position, its thread's
// root position (-1 for none), depth, part number, row.
using Placement = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t>;

std::vector<Placement> placements(const ViewLists& lists) {
  std::vector<Placement> out;
  for (const TArticle* a : lists.masterList) {
    out.emplace_back(a->Number, a->Position, a->Thread ? a->Thread->Position : -1, a->Depth(),
                     a->PartNumber, a->SourceIndex);
  }
  return out;
}

// A group of every shape threading makes: replies before and after their
// parents, a reply joined by subject, a reference loop, a multi-part series
// with a duplicate part, and single articles.
void addGroup(ThreadBuilder& b) {
  b.Add("Re: Topic", "<r1@x>", "<p@x>", 40010);
  b.Add("Topic", "<p@x>", "", 40001);
  b.Add("Re: Topic", "<r2@x>", "<p@x> <r1@x>", 40011);
  b.Add("Lost", "<l0@x>", "", 40002);
  b.Add("Re: Lost", "<l1@x>", "<gone@x>", 40003);
  b.Add("Re: Loop", "<a@x>", "<b@x>", 40004);
  b.Add("Re: Loop", "<b@x>", "<a@x>", 40005);
  for (const char* part : {"(2/3)", "(1/3)", "(3/3)", "(2/3)"}) {
    ArticleSpec s;
    s.subject = std::string("pictures.zip ") + part;
    s.messageId = "<part" + std::to_string(b.lists.masterList.size()) + "@x>";
    s.lines = 500;
    s.date = 40006;
    b.Add(s);
  }
  b.Add("Alone", "<alone@x>", "", 40000);
  b.Add("Alone too", "<alone2@x>", "", 40000);
}

// Forgets the pass's placement, as a freshly loaded list has none.
void forgetThreads(ThreadBuilder& b) {
  b.lists.rootList.clear();
  b.lists.rowList.clear();
  b.lists.threadNodes.clear();
  b.stats = ThreadStats{};
  for (TArticle* a : b.lists.masterList) {
    a->Position = -7;
    a->Thread = nullptr;
    a->SourceIndex = -7;
    a->PartNumber = -7;
    a->SetDepth(9);
  }
}

// How many articles the roots hold.
std::size_t placedArticles(const ViewLists& lists) {
  std::size_t articles = 0;
  for (const TNode* root : lists.rootList) {
    const TAThread* t = root->AsThread();
    articles += t ? t->Articles.size() : 1;
  }
  return articles;
}

class ThreadLayoutTest : public ::testing::Test {
 protected:
  ThreadLayoutTest() {
    base.write("group.hdr", "stored headers");
    threadGroup(b);
  }

  void threadGroup(ThreadBuilder& builder) {
    addGroup(builder);
    builder.lists.masterList[2]->SetRead(true);
    builder.Thread(options);
  }

  bool reopen(ThreadBuilder& builder) {
    forgetThreads(builder);
    return ThreadFromLayout(files, builder.lists, options, builder.stats);
  }
  bool reopen() { return reopen(b); }

  TempBaseDir base;
  ThreadLayoutFiles files{base.file("group.thl"), base.file("group.hdr")};
  ThreadOptions options;
  ThreadBuilder b;
};

TEST_F(ThreadLayoutTest, ReopeningPlacesEveryArticleAsThePassDid) {
  const auto rows = b.Rows();
  const auto placed = placements(b.lists);
  const ThreadStats stats = b.stats;
    EXPECT_THAT(rows, testing::ElementsAre("Alone@0", "Alone too@0", "[Topic]", "Topic@1", "Re: Topic@2",
                                         "Re: Topic@3", "[Lost]", "Lost@1", "Re: Lost@1", "[Re: Loop]",
                                         "Re: Loop@1", "Re: Loop@2", "[pictures.zip (~/3)]",
                                         "pictures.zip (1/3)@1", "pictures.zip (2/3)@1",
                                         "pictures.zip (2/3)@1", "pictures.zip (3/3)@1"));
  ASSERT_TRUE(SaveThreadLayout(files, b.lists, options));
  EXPECT_TRUE(ThreadLayoutCurrent(files));

  ASSERT_TRUE(reopen());
  EXPECT_EQ(b.Rows(), rows);
  EXPECT_EQ(placements(b.lists), placed);
  EXPECT_EQ(b.stats.articles, stats.articles);
  EXPECT_EQ(b.stats.unread, stats.unread);
  EXPECT_EQ(b.stats.multiPart, 1);
  EXPECT_EQ(b.stats.completeMultiPart, stats.completeMultiPart);
  const TAThread* series = nullptr;
  for (const TAThread& t : b.lists.threadNodes) {
    if (t.IsMultiPart()) series = &t;
  }
  ASSERT_TRUE(series && series->IsMultiPart());
  EXPECT_EQ(series->Subject.view(), "pictures.zip (~/3)");
  EXPECT_EQ(series->PartsPresent, 3);
}

// Threads' scores from their articles' (the best of them), whether the sort
// needs them before the rows are built or not.
TEST_F(ThreadLayoutTest, ReopeningScoresThreadsAsThePassDid) {
  const auto threadScores = [](const ViewLists& lists) {
    std::map<std::string, std::int32_t> out;
    for (const TAThread& t : lists.threadNodes) out[std::string(t.Subject.view())] = t.Score;
    return out;
  };
  const std::map<std::string, std::int32_t> expected{
      {"Topic", -10}, {"Lost", 10}, {"Re: Loop", 30}, {"pictures.zip (~/3)", 70}};
  for (const std::int32_t column : {kSortDate, kSortScore}) {
    ThreadBuilder g;
    options.sort.column = column;
    addGroup(g);
    for (std::size_t k = 0; k < g.lists.masterList.size(); ++k) {
      g.lists.masterList[k]->Score = static_cast<std::int32_t>(10 * k) - 30;
    }
    g.Thread(options);
    EXPECT_EQ(threadScores(g.lists), expected) << "threaded, sorted on column " << column;
    ASSERT_TRUE(SaveThreadLayout(files, g.lists, options));
    ASSERT_TRUE(reopen(g));
    EXPECT_EQ(threadScores(g.lists), expected) << "reopened, sorted on column " << column;
  }
}

TEST_F(ThreadLayoutTest, ReopeningSortsAndExpandsAsNowAsked) {
  ASSERT_TRUE(SaveThreadLayout(files, b.lists, options));
  options.sort.column = kSortSubject;
  options.expandAll = false;
  ThreadBuilder fresh;
  addGroup(fresh);
  fresh.Thread(options);
  ASSERT_TRUE(reopen());
  EXPECT_EQ(b.Rows(), fresh.Rows());
}

// Whatever no longer matches the loaded list makes opening thread from
// scratch, with the lists left as the pass needs them.
TEST_F(ThreadLayoutTest, ALayoutThatNoLongerMatchesIsRefused) {
  const std::vector<std::pair<const char*, std::function<void(ThreadBuilder&)>>> changes = {
      {"store rewritten", [&](ThreadBuilder&) { base.write("group.hdr", "stored headers, more"); }},
      {"multi-part threading off", [&](ThreadBuilder&) { options.multiPartThreading = false; }},
      {"new subject, new thread", [&](ThreadBuilder&) { options.newSubjectNewThread = true; }},
      {"an article less", [](ThreadBuilder& g) { g.lists.masterList.pop_back(); }},
      {"another article", [](ThreadBuilder& g) { g.lists.masterList.back()->Number = 99; }},
      {"two articles swapped",
       [](ThreadBuilder& g) { std::swap(g.lists.masterList[0], g.lists.masterList[1]); }},
      {"file gone", [&](ThreadBuilder&) { std::filesystem::remove(files.layout); }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    base.write("group.hdr", "stored headers");
    options = ThreadOptions{};
    ThreadBuilder g;
    threadGroup(g);
    ASSERT_TRUE(SaveThreadLayout(files, g.lists, options));
    change(g);
    EXPECT_FALSE(reopen(g));
    EXPECT_TRUE(g.lists.rootList.empty() && g.lists.threadNodes.empty());
    ThreadArticles(g.lists, options, g.stats);
    EXPECT_EQ(placedArticles(g.lists), g.lists.masterList.size());
  }
}

TEST_F(ThreadLayoutTest, EveryTruncationIsRefused) {
  ASSERT_TRUE(SaveThreadLayout(files, b.lists, options));
  std::string whole;
  ASSERT_TRUE(store_io::ReadFile(files.layout, whole));
  for (std::size_t size = 0; size < whole.size(); ++size) {
    base.write("group.thl", whole.substr(0, size));
    EXPECT_FALSE(reopen()) << size;
  }
}

// A damaged byte may still read as some placement; it must never place an
// article twice or leave one out.
TEST_F(ThreadLayoutTest, DamagedBytesNeverLoseAnArticle) {
  ASSERT_TRUE(SaveThreadLayout(files, b.lists, options));
  std::string whole;
  ASSERT_TRUE(store_io::ReadFile(files.layout, whole));
  for (std::size_t at = 0; at < whole.size(); ++at) {
    for (const char flip : {'\x01', '\x80', '\xFF'}) {
      std::string damaged = whole;
      damaged[at] = static_cast<char>(damaged[at] ^ flip);
      base.write("group.thl", damaged);
      if (reopen()) {
        EXPECT_EQ(placedArticles(b.lists), b.lists.masterList.size()) << at;
      }
    }
  }
}

TEST_F(ThreadLayoutTest, OnlyAWholeThreadedPassIsSaved) {
  std::vector<TArticle*> filtered(b.lists.masterList.begin(), b.lists.masterList.begin() + 3);
  b.lists.viewList = &filtered;
  EXPECT_FALSE(SaveThreadLayout(files, b.lists, options));
  b.lists.viewList = nullptr;
  options.threaded = false;
  EXPECT_FALSE(SaveThreadLayout(files, b.lists, options));
  options.threaded = true;
  // An article moved by hand is no longer where its thread says.
  TAThread& t = b.lists.threadNodes.front();
  std::swap(t.Articles[0], t.Articles[1]);
  EXPECT_FALSE(SaveThreadLayout(files, b.lists, options));
  EXPECT_FALSE(std::filesystem::exists(files.layout));
}

}  // namespace
}  // namespace orvel
