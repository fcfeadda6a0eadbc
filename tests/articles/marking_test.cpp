// Marking a group view's articles: read marks with their thread flags and
// cross-posts, keep and delete marks in the store, score marks decided once
// per thread, discard refusals, mark-all and the catch-up family, and marks
// made while the header download still runs.

#include <functional>

#include "marking_fixture.h"

namespace orvel::test {
namespace {

// ---------------------------------------------------------------- read marks

struct ReadCase {
  const char* name;
  std::vector<std::pair<std::int32_t, bool>> marks;  // article 1-3 form a thread
  std::vector<bool> changed;
  bool threadRead;
  bool threadSomeRead;
  std::int64_t unread;  // of 20
};

class ReadMarks : public MarkingTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadMarks, KeepThreadFlagsSetsAndCountersInStep) {
  const ReadCase& c = GetParam();
  openObserved();
  TAThread* thread = makeThread({1, 2, 3});
  ASSERT_NE(thread, nullptr);
  std::vector<bool> changed;
  for (const auto& [n, read] : c.marks) changed.push_back(MarkRead(*view, *art(n), read, true));
  EXPECT_EQ(changed, c.changed);
  EXPECT_EQ(thread->Has(NodeFlag::Read), c.threadRead);
  EXPECT_EQ(thread->Has(NodeFlag::SomeRead), c.threadSomeRead);
  EXPECT_EQ(view->View().unread, c.unread);
  for (std::int32_t n = 1; n <= 3; ++n) {
    const bool read = art(n)->Has(NodeFlag::Read);
    EXPECT_EQ(art(n)->Has(NodeFlag::SomeRead), read) << n;
    EXPECT_EQ(view->View().readSet.test(n - view->View().lowMark), read) << n;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Marking, ReadMarks,
    ::testing::Values(
        ReadCase{"OneOfThree", {{2, true}}, {true}, false, true, 19},
        ReadCase{"AgainChangesNothing", {{2, true}, {2, true}}, {true, false}, false, true, 19},
        ReadCase{"AllThree", {{1, true}, {2, true}, {3, true}}, {true, true, true}, true, true, 17},
        ReadCase{"BackToUnread", {{1, true}, {1, false}}, {true, true}, false, false, 20},
        ReadCase{"UnreadOfUnread", {{3, false}}, {false}, false, false, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MarkingTest, FilteredListKeepsItsOwnUnreadCount) {
  openObserved();
  std::vector<TArticle*> filtered{art(1), art(2), art(3)};
  ViewLists& lists = view->View().lists;
  lists.viewList = &filtered;
  ThreadStats stats;
  ThreadArticles(lists, ThreadOptions{}, stats);
  view->View().filteredUnread = 3;
  MarkRead(*view, *art(2), true, true);
  MarkRead(*view, *art(10), true, true);
  EXPECT_EQ(view->View().filteredUnread, 2);
  EXPECT_EQ(view->View().unread, 18);
  lists.viewList = nullptr;
}

// ---------------------------------------------------------------- cross-posts

struct CrossPostCase {
  const char* name;
  std::function<void(MarkingTest&)> act;
  const char* newsrc;
};

class CrossPosts : public MarkingTest, public ::testing::WithParamInterface<CrossPostCase> {};

TEST_P(CrossPosts, ReachTheOtherGroupsNewsrc) {
  openObserved();
  setXref(7, "alt.other:70 alt.unsub:5");
  setXref(8, "alt.other:71");
  GetParam().act(*this);
  EXPECT_EQ(newsrcAfterSave(), GetParam().newsrc);
  EXPECT_EQ(list->FindGroup("alt.unsub")->read.text, "");
}

INSTANTIATE_TEST_SUITE_P(
    Marking, CrossPosts,
    ::testing::Values(
        CrossPostCase{"OneArticle",
                      [](MarkingTest& t) { MarkRead(t.groupView(), *t.art(7), true, true); },
                      "alt.test: 7\r\nalt.other: 70\r\nalt.unsub!\r\n"},
        CrossPostCase{"ReadThenUnread",
                      [](MarkingTest& t) {
                        MarkRead(t.groupView(), *t.art(7), true, true);
                        MarkRead(t.groupView(), *t.art(8), true, true);
                        MarkRead(t.groupView(), *t.art(7), false, true);
                      },
                      "alt.test: 8\r\nalt.other: 71\r\nalt.unsub!\r\n"},
        CrossPostCase{"ThreadRow",
                      [](MarkingTest& t) {
                        MarkRows(t.groupView(), MarkOp::Read, {t.makeThread({7, 8})});
                      },
                      "alt.test: 7-8\r\nalt.other: 70-71\r\nalt.unsub!\r\n"},
        CrossPostCase{"DeleteMarksRead",
                      [](MarkingTest& t) { MarkDelete(t.groupView(), *t.art(8), true, true); },
                      "alt.test: 8\r\nalt.other: 71\r\nalt.unsub!\r\n"},
        CrossPostCase{"ViewerOnReadArticleMarksItsThread",
                      [](MarkingTest& t) {
                        t.makeThread({7, 8});
                        MarkRead(t.groupView(), *t.art(7), true, false);
                        const CurrentMark m = MarkCurrent(t.groupView(), *t.art(7), MarkOp::Read);
                        EXPECT_TRUE(m.wholeThread);
                        EXPECT_TRUE(m.moveToNextUnread);
                      },
                      "alt.test: 7-8\r\nalt.other: 70-71\r\nalt.unsub!\r\n"},
        CrossPostCase{"ViewerOnUnreadArticleMarksOnlyItAndStays",
                      [](MarkingTest& t) {
                        t.makeThread({7, 8});
                        const CurrentMark m = MarkCurrent(t.groupView(), *t.art(8), MarkOp::Read);
                        EXPECT_FALSE(m.wholeThread);
                        EXPECT_FALSE(m.moveToNextUnread);
                      },
                      "alt.test: 8\r\nalt.other: 71\r\nalt.unsub!\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- keep and delete

struct StoreCase {
  const char* name;
  StorageMode storage;
  bool withBody;
  MarkOp op;
  bool needsCompaction;
  bool read;
};

class StoreMarks : public MarkingTest, public ::testing::WithParamInterface<StoreCase> {};

TEST_P(StoreMarks, SetTheStoreFlags) {
  const StoreCase& c = GetParam();
  record().storage = c.storage;
  openObserved();
  TAThread* thread = makeThread({4, 5});
  TArticle& a = *art(4);
  if (c.withBody) a.BodyOffset = 0;
  TCacheBox& store = *view->Store();
  store.Modified = store.NeedsCompaction = false;
  if (c.op == MarkOp::Undelete) MarkDelete(*view, a, true, false);
  store.Modified = store.NeedsCompaction = false;
  switch (c.op) {
    case MarkOp::Keep: EXPECT_TRUE(MarkKeep(*view, a, true, true)); break;
    case MarkOp::Delete: EXPECT_TRUE(MarkDelete(*view, a, true, true)); break;
    default: EXPECT_TRUE(MarkDelete(*view, a, false, true)); break;
  }
  EXPECT_TRUE(store.Modified);
  EXPECT_EQ(store.NeedsCompaction, c.needsCompaction);
  EXPECT_EQ(a.Has(NodeFlag::Read), c.read);
  EXPECT_EQ(a.Has(NodeFlag::Deleted), c.op == MarkOp::Delete);
  EXPECT_EQ(a.Has(NodeFlag::Kept), c.op == MarkOp::Keep);
  EXPECT_EQ(view->View().keptSet.test(4 - view->View().lowMark), c.op == MarkOp::Keep);
  // The thread is kept or deleted only when both articles are.
  EXPECT_FALSE(thread->Has(NodeFlag::Kept));
  EXPECT_FALSE(thread->Has(NodeFlag::Deleted));
  (c.op == MarkOp::Keep ? MarkKeep : MarkDelete)(*view, *art(5), true, false);
  EXPECT_EQ(thread->Has(NodeFlag::Kept), c.op == MarkOp::Keep);
  EXPECT_EQ(thread->Has(NodeFlag::Deleted), c.op == MarkOp::Delete);
}

INSTANTIATE_TEST_SUITE_P(
    Marking, StoreMarks,
    ::testing::Values(
        StoreCase{"KeepSetsTheKeptSet", StorageMode::Bodies, true, MarkOp::Keep, false, false},
        StoreCase{"DeleteWithStoredBody", StorageMode::Bodies, true, MarkOp::Delete, true, true},
        StoreCase{"DeleteWithoutBody", StorageMode::Bodies, false, MarkOp::Delete, false, true},
        StoreCase{"DeleteInHeaderOnlyStore", StorageMode::Headers, true, MarkOp::Delete, false,
                  true},
        StoreCase{"UndeleteMarksUnread", StorageMode::Bodies, true, MarkOp::Undelete, false,
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- scores

TEST_F(MarkingTest, ToggleScoreIsDecidedOncePerThread) {
  openObserved();
  TAThread* positive = makeThread({1, 2, 3});
  art(2)->Score = 50;
  positive->RecomputeScore(view->View().options.score);
  TAThread* negative = makeThread({4, 5});
  ASSERT_NE(positive, negative);
  art(5)->Score = -10;
  // A thread row and one of its own article rows: the article is not
  // toggled back.
  MarkRows(*view, MarkOp::ToggleScore, {positive, art(1), negative, art(6)});
  for (std::int32_t n : {1, 2, 3}) EXPECT_EQ(art(n)->Score, 0) << n;
  for (std::int32_t n : {4, 5, 6}) EXPECT_EQ(art(n)->Score, kTopScore) << n;
  EXPECT_FALSE(art(6)->Has(NodeFlag::ReplyToMe));
  EXPECT_EQ(negative->Score, kTopScore);
  EXPECT_EQ(positive->Score, 0);
  MarkScore(*view, *art(4), MarkOp::HiScore, true);
  EXPECT_TRUE(art(4)->Has(NodeFlag::ReplyToMe));
  MarkScore(*view, *negative, MarkOp::ZeroScore, true);
  EXPECT_FALSE(art(4)->Has(NodeFlag::ReplyToMe));
  EXPECT_EQ(negative->Score, 0);
  EXPECT_TRUE(view->Store()->Modified);
}

// ---------------------------------------------------------------- discard

struct DiscardCase {
  const char* name;
  std::function<void(TGroupView&, TArticle&)> setup;
  bool discarded;
};

class DiscardRefusals : public MarkingTest, public ::testing::WithParamInterface<DiscardCase> {};

TEST_P(DiscardRefusals, KeepTheRecord) {
  openObserved();
  TArticle* a = art(9);
  GetParam().setup(*view, *a);
  view->View().excludedSet.set(9 - view->View().lowMark);
  EXPECT_EQ(MayDiscard(*view, *a), GetParam().discarded);
  EXPECT_EQ(MarkRows(*view, MarkOp::Discard, {a}).size(), 0u);
  const bool gone = art(9) == nullptr;
  EXPECT_EQ(gone, GetParam().discarded);
  EXPECT_EQ(freedObserver.freed == std::vector<TArticle*>{a}, gone);
  EXPECT_EQ(view->View().excludedSet.test(9 - view->View().lowMark), !gone);
  EXPECT_TRUE(view->View().presentSet.test(9 - view->View().lowMark));
  EXPECT_EQ(view->MasterList().size(), gone ? 19u : 20u);
  EXPECT_EQ(view->View().articles, gone ? 19 : 20);
}

INSTANTIATE_TEST_SUITE_P(
    Marking, DiscardRefusals,
    ::testing::Values(
        DiscardCase{"Plain", [](TGroupView&, TArticle&) {}, true},
        DiscardCase{"Current", [](TGroupView& v, TArticle& a) { v.SetCurrentArticle(&a); }, false},
        DiscardCase{"Kept", [](TGroupView& v, TArticle& a) { MarkKeep(v, a, true, false); },
                    false},
        DiscardCase{"PositiveScore", [](TGroupView&, TArticle& a) { a.Score = 1; }, false},
        DiscardCase{"Queued", [](TGroupView&, TArticle& a) { a.QueuePosition = 0; }, false},
        DiscardCase{"ZeroScoreRead",
                    [](TGroupView& v, TArticle& a) { MarkRead(v, a, true, false); }, true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- whole group

struct GroupCase {
  const char* name;
  std::function<void(TGroupView&)> act;
  const char* read;    // the group record's read marks after closing
  const char* other;   // alt.other's
  bool sixKept;
  std::size_t left;    // records in memory
};

class WholeGroup : public MarkingTest, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(WholeGroup, MarksEveryArticle) {
  const GroupCase& c = GetParam();
  server.groups["alt.test"].missing = {3, 4};  // the server lacks them
  record().storage = StorageMode::Bodies;
  openObserved();
  ASSERT_NE(makeThread({1, 2, 5}), nullptr);
  MarkKeep(*view, *art(6), true, false);
  setXref(7, "alt.other:70");
  setXref(8, "alt.other:71");
  art(9)->Score = 50;
  c.act(*view);
  EXPECT_EQ(view->View().unread, 0);
  for (const TNode* row : view->Rows()) EXPECT_TRUE(row->Has(NodeFlag::Read));
  EXPECT_EQ(view->MasterList().size(), c.left);
  ASSERT_NE(art(6), nullptr);
  EXPECT_EQ(art(6)->Has(NodeFlag::Kept), c.sixKept);
  close();
  EXPECT_EQ(record().read.text, c.read);
  EXPECT_EQ(list->FindGroup("alt.other")->read.text, c.other);
  EXPECT_EQ(record().toFetch, c.sixKept ? "6" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Marking, WholeGroup,
    ::testing::Values(
        GroupCase{"MarkAllRead", [](TGroupView& v) { MarkAll(v, MarkOp::Read); }, "1-2,5-20",
                  "70-71", true, 18},
        GroupCase{"CatchUp", [](TGroupView& v) { CatchUp(v, CatchUpKind::Plain); }, "1-20", "",
                  true, 18},
        GroupCase{"CatchUpNoKeep", [](TGroupView& v) { CatchUp(v, CatchUpKind::NoKeep); },
                  "1-20", "", false, 18},
        GroupCase{"CatchUpKillXPost",
                  [](TGroupView& v) { CatchUp(v, CatchUpKind::KillXPost); }, "1-20", "70-71",
                  true, 18},
        GroupCase{"CatchUpPurge", [](TGroupView& v) { CatchUp(v, CatchUpKind::Purge); }, "1-20",
                  "", true, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MarkingTest, MarkAllUnreadAndUndeleteReverseIt) {
  openObserved();
  MarkAll(*view, MarkOp::Delete);
  EXPECT_TRUE(view->Store()->NeedsCompaction);
  EXPECT_TRUE(art(20)->Has(NodeFlag::Deleted));
  MarkAll(*view, MarkOp::Undelete);
  EXPECT_FALSE(art(20)->Has(NodeFlag::Deleted));
  EXPECT_EQ(view->View().unread, 20);
  MarkAll(*view, MarkOp::Read);
  MarkAll(*view, MarkOp::Unread);
  close();
  EXPECT_EQ(record().read.text, "");
}

// ---------------------------------------------------------------- during a download

TEST_F(MarkingTest, MarkingDuringTheDownloadMarksThePresentArticlesOnly) {
  server.groups["alt.test"] = MakeGroup(1, 10);
  FakeTransport* xover = nullptr;
  server.hook = [&](FakeTransport& t, const std::string& line) {
    if (line.rfind("XOVER", 0) != 0) return FakeNewsServer::Action{};
    xover = &t;
    std::string first = "224 Overview follows\r\n";
    for (int n = 1; n <= 6; ++n) first += FakeOverviewLine("alt.test", n) + "\r\n";
    return FakeNewsServer::Action::Answer(first);
  };
  openObserved();
  ASSERT_NE(xover, nullptr);
  ASSERT_EQ(view->MasterList().size(), 6u);
  MarkAll(*view, MarkOp::Read);
  MarkRead(*view, *art(2), false, true);
  std::string rest;
  for (int n = 7; n <= 10; ++n) rest += FakeOverviewLine("alt.test", n) + "\r\n";
  xover->receive(rest + ".\r\n");
  server.pump();
  EXPECT_EQ(freedObserver.downloads, 1);
  EXPECT_EQ(view->MasterList().size(), 10u);
  EXPECT_FALSE(art(7)->Has(NodeFlag::Read));
  EXPECT_EQ(view->View().unread, 5);
  EXPECT_EQ(newsrcAfterSave(), "alt.test: 1,3-6\r\nalt.other:\r\nalt.unsub!\r\n");
}

TEST(MarkingNames, TableNamesEachCommand) {
  EXPECT_EQ(MarkOpByName("acaMark0Score"), MarkOp::ZeroScore);
  EXPECT_EQ(MarkOpByName("acaDiscard"), MarkOp::Discard);
  EXPECT_EQ(MarkOpByName("acaMarkAllRead"), std::nullopt);
  EXPECT_EQ(MarkAllOpByName("acaMarkAllUndelete"), MarkOp::Undelete);
  EXPECT_EQ(CatchUpKindByName("acaCatchUpKillXPost"), CatchUpKind::KillXPost);
  EXPECT_EQ(CatchUpKindByName("acaCatchUpAll"), std::nullopt);
}

}  // namespace
}  // namespace orvel::test
