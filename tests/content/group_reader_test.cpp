#include "content/group_reader.h"

#include <gtest/gtest.h>

#include "articles/marking.h"
#include "content/group_content_options.h"
#include "group_content_fixture.h"
#include "viewer_test_support.h"

namespace orvel::test {
namespace {

struct RowObserver : RecordingObserver {
  std::vector<const TNode*> changed;
  void rowChanged(const TNode& row) override { changed.push_back(&row); }
};

class GroupReaderTest : public GroupContentTest {
 protected:
  GroupReaderTest() { observer.progress.clear(); }

  GroupReader& openReader(OpenMode mode = OpenMode::Download) {
    open(mode);
    view->SetObserver(&rows);
    reader = std::make_unique<GroupReader>(*view, viewer, prompter);
    return *reader;
  }

  bool shows(std::string_view text) const {
    for (const RenderedLine& line : viewer.lines()) {
      if (line.text == text) return true;
    }
    return false;
  }

  RecordingLauncher launcher;
  ArticleView viewer{ViewerSettings{}, ViewerServices{prompter, launcher, {}}};
  RowObserver rows;
  std::unique_ptr<GroupReader> reader;
};

enum class Ask { Article, Head, Reference };

struct RequestCase {
  const char* name;
  Ask ask;
  std::int32_t number;     // the record asked for (Article, Head)
  std::string reference;   // the Message-ID asked for (Reference)
  std::string command;     // what the server receives
  std::string shownLine;   // a line the viewer then shows
  bool marksRead;
  std::string title;
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class ReaderRequests : public GroupReaderTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(ReaderRequests, SendTheCommandAndRenderTheReply) {
  const RequestCase& c = GetParam();
  GroupReader& r = openReader();
  server.commands.clear();
  TArticle* a = c.number ? numbered(c.number) : nullptr;
  switch (c.ask) {
    case Ask::Article: ASSERT_TRUE(r.ShowArticle(a)); break;
    case Ask::Head: ASSERT_TRUE(r.ShowHeader(a)); break;
    case Ask::Reference: ASSERT_TRUE(r.ShowByMessageId(c.reference)); break;
  }
  EXPECT_TRUE(r.Busy());
  server.pump();
  EXPECT_FALSE(r.Busy());
  EXPECT_FALSE(view->FetchingArticle());
  EXPECT_EQ(server.commandsStarting("ARTICLE").size() + server.commandsStarting("HEAD").size(), 1u);
  EXPECT_FALSE(server.commandsStarting(c.command).empty()) << server.commands.back();
  // A connection already in the group is not asked to select it again.
  EXPECT_TRUE(server.commandsStarting("GROUP").empty());
  EXPECT_TRUE(shows(c.shownLine));
  EXPECT_EQ(r.Title(), c.title);
  if (a) {
    EXPECT_EQ(a->Has(NodeFlag::Read), c.marksRead);
    EXPECT_FALSE(a->Has(NodeFlag::Fetching));
  }
  EXPECT_FALSE(view->Slots().AnyTaken());
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ReaderRequests,
    ::testing::Values(
        RequestCase{"ArticleByNumberInItsGroup", Ask::Article, 3, "", "ARTICLE 3",
                    "Subject: Server subject 3", true, "Subject 3"},
        RequestCase{"DottedBodyLineIsUnstuffed", Ask::Article, 2, "", "ARTICLE 2", ".dotted line",
                    true, "Subject 2"},
        RequestCase{"HeadShowsEveryHeader", Ask::Head, 4, "", "HEAD 4",
                    "Xref: fake.invalid alt.test:4", false, ""},
        RequestCase{"ReferenceByMessageId", Ask::Reference, 0, "<9.alt.test@example.invalid>",
                    "ARTICLE <9.alt.test@example.invalid>", "Body of 9", false,
                    "[Ref] Server subject 9"},
        RequestCase{"BareMessageIdGetsItsBrackets", Ask::Reference, 0, "7.alt.test@example.invalid",
                    "ARTICLE <7.alt.test@example.invalid>", "Body of 7", false,
                    "[Ref] Server subject 7"}),
    [](const ::testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

TEST_F(GroupReaderTest, FetchedArticleUpdatesItsRecordAndRow) {
  GroupReader& r = openReader();
  std::vector<TArticle*> shown;
  r.SetShownListener([&](TArticle* article) { shown.push_back(article); });
  TArticle* a = numbered(3);
  r.ShowArticle(a);
  server.pump();
  EXPECT_EQ(a->Subject.view(), "Server subject 3");
  EXPECT_EQ(a->Lines, 2);
  EXPECT_NE(std::find(rows.changed.begin(), rows.changed.end(), a), rows.changed.end());
  EXPECT_EQ(shown, std::vector<TArticle*>{a});
  EXPECT_EQ(r.Current(), a);
}

TEST_F(GroupReaderTest, ReadMarkReachesTheGroupRecord) {
  GroupReader& r = openReader();
  r.ShowArticle(numbered(2));
  server.pump();
  reader.reset();
  close();
  EXPECT_EQ(record().read.text, "2");
}

TEST_F(GroupReaderTest, StoredBodyIsShownWithoutTheServer) {
  record().storage = StorageMode::Bodies;
  GroupReader& r = openReader();
  TArticle* a = numbered(4);
  r.ShowArticle(a);
  server.pump();
  ASSERT_GE(a->BodyOffset, 0);
  MarkRead(*view, *a, false, false);
  texts.clear();  // the server has nothing any more
  server.commands.clear();
  EXPECT_TRUE(r.ShowArticle(a));
  EXPECT_FALSE(r.Busy());
  EXPECT_TRUE(server.commands.empty());
  EXPECT_TRUE(shows("Body of 4"));
  EXPECT_TRUE(a->Has(NodeFlag::Read));
  // Reopened, the store still has it.
  reader.reset();
  close();
  GroupReader& again = openReader(OpenMode::StoredOnly);
  EXPECT_TRUE(again.ShowArticle(numbered(4)));
  EXPECT_TRUE(shows("Body of 4"));
}

TEST_F(GroupReaderTest, WithoutBodyStorageNothingIsStored) {
  GroupReader& r = openReader();
  TArticle* a = numbered(1);
  r.ShowArticle(a);
  server.pump();
  EXPECT_LT(a->BodyOffset, 0);
}

TEST_F(GroupReaderTest, SecondRequestWaitsForTheFirst) {
  GroupReader& r = openReader();
  ASSERT_TRUE(r.ShowArticle(numbered(1)));
  EXPECT_FALSE(r.ShowArticle(numbered(2)));
  EXPECT_FALSE(r.ShowByMessageId("<5.alt.test@example.invalid>"));
  server.pump();
  EXPECT_TRUE(r.ShowArticle(numbered(2)));
  server.pump();
  EXPECT_EQ(server.commandsStarting("ARTICLE").size(), 2u);
}

TEST_F(GroupReaderTest, ReplyArrivingByteByByteRendersTheSame) {
  GroupReader& r = openReader();
  onArticle = [](FakeTransport& t, const std::string& key) {
    t.receiveBytewise("220 " + key + " <id>\r\n" + DotStuffed(PlainArticle(5)));
    return FakeNewsServer::Action{FakeNewsServer::Action::Silence, {}};
  };
  r.ShowArticle(numbered(5));
  server.pump();
  EXPECT_FALSE(r.Busy());
  EXPECT_TRUE(shows("Body of 5"));
  EXPECT_TRUE(shows(".dotted line"));
  EXPECT_TRUE(numbered(5)->Has(NodeFlag::Read));
}

TEST_F(GroupReaderTest, RefusedArticleTriesTheAlternativesThenGoesMissing) {
  auto alt = [](const char* alias, const char* host) {
    auto p = std::make_shared<TProfile>();
    p->alias = alias;
    p->host = host;
    return p;
  };
  main.profiles = {profile, alt("alt1", "192.0.2.8"), alt("alt2", "192.0.2.9")};
  main.settings.altServers = "alt1|alt2";
  GroupReader& r = openReader();
  texts.clear();  // every server answers 430
  TArticle* a = numbered(3);
  r.ShowArticle(a);
  server.pump();
  for (int i = 0; i < 3; ++i) {
    clock.advance(1000);
    server.pump();
  }
  EXPECT_EQ(server.commandsStarting("ARTICLE").size(), 3u);
  EXPECT_EQ(server.commandsStarting("ARTICLE <3.alt.test@example.invalid>").size(), 2u);
  EXPECT_TRUE(a->Has(NodeFlag::Missing));
  EXPECT_FALSE(a->Has(NodeFlag::Fetching));
  EXPECT_FALSE(a->Has(NodeFlag::Read));
  EXPECT_FALSE(r.Busy());
  bool tried = false;
  for (const auto& p : rows.progress) tried = tried || p.find("; trying alt1") != std::string::npos;
  EXPECT_TRUE(tried);
}

TEST_F(GroupReaderTest, ResetConnectionResumesTheArticle) {
  GroupReader& r = openReader();
  bool broken = false;
  onArticle = [&](FakeTransport&, const std::string&) {
    if (std::exchange(broken, true)) return FakeNewsServer::Action{};
    return FakeNewsServer::Action{FakeNewsServer::Action::Reset, {}};
  };
  TArticle* a = numbered(2);
  r.ShowArticle(a);
  server.pump();
  EXPECT_FALSE(r.Busy());
  EXPECT_TRUE(view->Slots().ResumptionRunning());
  clock.advance(20000);
  server.pump();
  EXPECT_TRUE(shows("Body of 2"));
  EXPECT_TRUE(a->Has(NodeFlag::Read));
}

TEST(GroupContentOptionsTest, GroupDirectoriesWinOverTheProgramOnes) {
  Settings settings;
  settings.decodeDir = "/d/";
  settings.attachDir = "/a/";
  settings.decodeOpt = 1;
  settings.useSmartDecode = false;
  GroupProps props;
  GroupContentOptions o = GroupContentOptions::FromSettings(settings, props);
  EXPECT_EQ(o.batch.decodeDir, "/d/");
  EXPECT_EQ(o.batch.saveDir, "/d/");
  EXPECT_EQ(o.attachmentDir, "/a/");
  EXPECT_EQ(o.batch.decodeOpt, 1);
  EXPECT_FALSE(o.batch.useSmartDecode);
  props.decodeDir = "/group/d/";
  props.attachDir = "/group/a/";
  props.fullScreen = true;
  settings.saveDir = "/s/";
  o = GroupContentOptions::FromSettings(settings, props);
  EXPECT_EQ(o.batch.decodeDir, "/group/d/");
  EXPECT_EQ(o.batch.saveDir, "/s/");
  EXPECT_EQ(o.attachmentDir, "/group/a/");
  EXPECT_FALSE(o.toggles.splitScreen);
}

}  // namespace
}  // namespace orvel::test
