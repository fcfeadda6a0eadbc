// Duplicate removal by server order and subject editing on a group view.

#include <filesystem>

#include "articles/list_edits.h"
#include "marking_fixture.h"

namespace orvel::test {
namespace {

std::shared_ptr<TProfile> serverProfile(const std::string& alias, const std::string& host) {
  auto p = std::make_shared<TProfile>();
  p->alias = alias;
  p->host = host;
  return p;
}

// Article 3 (A) and article 4 (D, met first from the end) carry one
// Message-ID. Origins: "" is the view's own server.
struct DupCase {
  const char* name;
  const char* aServer;
  const char* dServer;
  std::function<void(TGroupView&, TArticle& a, TArticle& d)> setup;
  bool aStays;
  bool dStays;
};

class Duplicates : public MarkingTest, public ::testing::WithParamInterface<DupCase> {};

TEST_P(Duplicates, GoByServerOrder) {
  const DupCase& c = GetParam();
  main.settings.altServers = "second|third";
  main.profiles = {profile, serverProfile("second", "192.0.2.8"),
                   serverProfile("third", "192.0.2.9")};
  openObserved();
  TArticle* a = art(3);
  TArticle* d = art(4);
  a->MessageID = d->MessageID;
  if (*c.aServer) setXref(3, std::string(c.aServer) + ":alt.test");
  if (*c.dServer) setXref(4, std::string(c.dServer) + ":alt.test");
  c.setup(*view, *a, *d);
  const std::size_t gone = DeleteDuplicates(*view);
  EXPECT_EQ(art(3) != nullptr, c.aStays);
  EXPECT_EQ(art(4) != nullptr, c.dStays);
  EXPECT_EQ(gone, freedObserver.freed.size());
  EXPECT_EQ(view->MasterList().size() + gone, 20u);
  if (gone > 0) {
    EXPECT_FALSE(view->Store()->Modified);  // saved
    EXPECT_TRUE(std::filesystem::exists(view->Store()->HeaderPath()));
  }
}

void nothing(TGroupView&, TArticle&, TArticle&) {}

INSTANTIATE_TEST_SUITE_P(
    ListEdits, Duplicates,
    ::testing::Values(
        DupCase{"BothFromTheServerInUse", "", "", nothing, true, false},
        DupCase{"LaterListedServerGoes", "third", "", nothing, false, true},
        DupCase{"EarlierListedServerStays", "second", "third", nothing, true, false},
        DupCase{"SameServerGoes", "second", "second", nothing, false, true},
        DupCase{"UnlistedServerComesLast", "elsewhere", "third", nothing, false, true},
        DupCase{"HostNamesTheServer", "192.0.2.9", "second", nothing, false, true},
        DupCase{"ReadCopyStays", "third", "",
                [](TGroupView& v, TArticle& a, TArticle&) { MarkRead(v, a, true, false); }, true,
                false},
        DupCase{"StoredBodyStays", "third", "",
                [](TGroupView&, TArticle& a, TArticle&) { a.BodyOffset = 0; }, true, false},
        DupCase{"NewerCopyStays", "third", "",
                [](TGroupView&, TArticle& a, TArticle& d) { a.Date = d.Date + 1; }, true, false},
        DupCase{"QueuedCopyIsNeverRemoved", "", "",
                [](TGroupView&, TArticle&, TArticle& d) { d.QueuePosition = 0; }, false, true},
        DupCase{"CurrentCopyIsNeverRemoved", "", "",
                [](TGroupView& v, TArticle&, TArticle& d) { v.SetCurrentArticle(&d); }, false,
                true},
        DupCase{"QueuedFromALaterServerStays", "third", "",
                [](TGroupView&, TArticle& a, TArticle&) { a.QueuePosition = 0; }, true, false},
        DupCase{"BothQueuedStay", "", "",
                [](TGroupView&, TArticle& a, TArticle& d) {
                  a.QueuePosition = 0;
                  d.QueuePosition = 1;
                },
                true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MarkingTest, DuplicatesAreLeftWhileATransferRuns) {
  server.hook = FakeNewsServer::On({"XOVER"}, FakeNewsServer::Action::Silence);
  server.groups["alt.test"] = MakeGroup(1, 20);
  open(OpenMode::StoredOnly);
  view->Refresh();
  server.pump();
  ASSERT_TRUE(TransferRunning(*view));
  EXPECT_EQ(DeleteDuplicates(*view), 0u);
}

// ---------------------------------------------------------------- subjects

struct SubjectCase {
  const char* name;
  std::int32_t row;  // the article, 0 for the thread row of 1 and 2
  const char* text;
  bool changed;
  const char* rowSubject;
  const char* articleSubject;  // of article 2
  const char* threadSubject;
};

class Subjects : public MarkingTest, public ::testing::WithParamInterface<SubjectCase> {};

TEST_P(Subjects, EditTheRow) {
  const SubjectCase& c = GetParam();
  openObserved();
  TAThread* thread = makeThread({1, 2});
  TNode& row = c.row == 0 ? static_cast<TNode&>(*thread) : *art(c.row);
  view->Store()->Modified = false;
  EXPECT_EQ(EditSubject(*view, row, c.text), c.changed);
  EXPECT_EQ(row.Subject.view(), c.rowSubject);
  EXPECT_EQ(art(2)->Subject.view(), c.articleSubject);
  EXPECT_EQ(view->Store()->Modified, c.changed);
  if (c.row == 0 && c.changed) {
    EXPECT_EQ(art(1)->Subject.view(), c.articleSubject);
  }
  EXPECT_EQ(thread->Subject.view(), c.threadSubject);
}

INSTANTIATE_TEST_SUITE_P(
    ListEdits, Subjects,
    ::testing::Values(
        SubjectCase{"Thread", 0, "New", true, "New", "Re: New", "New"},
        SubjectCase{"ThreadTextWithRe", 0, "Re: New", true, "Re: New", "Re: New", "Re: New"},
        SubjectCase{"ThreadTextWithUpperRe", 0, "RE:New", true, "RE:New", "Re: New", "RE:New"},
        SubjectCase{"Reply", 2, "Re: Other", true, "Re: Other", "Re: Other", "Subject 1"},
        SubjectCase{"FirstArticleIsTheThreadsSubject", 1, "Other", true, "Other", "Subject 2",
                    "Other"},
        SubjectCase{"BlankChangesNothing", 0, "  ", false, "Subject 1", "Subject 2",
                    "Subject 1"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel::test
