// The folder search over group stores written in a temporary base directory:
// what it matches, in steps or in one run, and what it says about stores it
// cannot read.

#include "content/store_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "articles/mailbox.h"
#include "articles/thread_builder.h"
#include "config/temp_base_dir.h"
#include "content/searchable_store.h"

namespace orvel::test {
namespace {

struct StoredArticle {
  const char* subject;
  const char* from;
  std::int32_t lines;
  const char* text;
};

class StoreSearchTest : public testing::Test, public StoreSearchListener {
 protected:
  void SetUp() override { populate(); }

  void populate() {
    std::filesystem::remove_all(dir.file("data"));
    std::filesystem::create_directories(dir.file("data"));
    writeStore("fx", "alt.a",
               {{"Hello", "Ann <ann@x.invalid>", 3, "Subject: Hello\r\n\r\nfoo bar FOO\r\n"},
                {"Big", "<big@x.invalid>", 1000, "Subject: Big\r\n\r\nfoo\r\n"}});
    writeStore("fx", "alt/b", {{"Other", "Bob <bob@x.invalid>", 2, "Subject: Other\r\n\r\nbaz\r\n"}});
    writeStore("gone", "alt.c", {{"Elsewhere", "Cid <cid@x.invalid>", 2, "foo\r\n"}});
    stores = ListGroupStores(dir.path(), {"fx"});
  }

  void writeStore(const std::string& alias, const std::string& group,
                  const std::vector<StoredArticle>& articles) {
    TCacheBox box(StoreBodyPath(dir.path(), alias, group), nullptr);
    box.ApplyStorageChoice(kStoreHeadersAndBodies);
    ThreadBuilder b;
    for (const StoredArticle& s : articles) {
      ArticleSpec spec;
      spec.subject = s.subject;
      spec.messageId = "<" + std::string(s.subject) + "@x.invalid>";
      spec.from = s.from;
      spec.lines = s.lines;
      ASSERT_TRUE(box.StoreBody(*b.Add(spec), s.text));
    }
    box.Modified = true;
    ASSERT_TRUE(box.SaveHeaders(b.lists.masterList, false));
  }

  std::vector<SearchableStore*> all() const {
    std::vector<SearchableStore*> out;
    for (const auto& s : stores) out.push_back(s.get());
    return out;
  }

  static std::vector<std::string> describe(const std::vector<SearchRow>& rows) {
    std::vector<std::string> out;
    for (const SearchRow& r : rows) {
      out.push_back(r.folder + " " + r.subject + " " + r.author + " " +
                    std::to_string(StoreSearch::Position(r)) + "+" + std::to_string(r.length) +
                    " " + r.matched);
    }
    return out;
  }

  void folderText(std::string_view text) override { said.emplace_back(text); }
  void progress(std::string_view text, std::size_t, std::size_t) override {
    said.emplace_back(text);
  }
  void storeFailed(std::string_view name, std::string_view reason) override {
    said.push_back("failed " + std::string(name) + ": " + std::string(reason));
  }

  TempBaseDir dir;
  std::vector<std::unique_ptr<SearchableStore>> stores;
  std::vector<std::string> said;
};

TEST_F(StoreSearchTest, ListsTheProfilesGroupStoresByName) {
  std::vector<std::string> names;
  for (const auto& s : stores) names.push_back(s->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"fx:alt.a", "fx:alt/b"}));
}

TEST_F(StoreSearchTest, MatchesByTheChosenOptions) {
  const struct {
    const char* name;
    StoreSearchOptions options;
    std::vector<std::string> rows;
  } cases[] = {
      {"caseless",
       {"fo+"},
       {"fx:alt.a Hello Ann 19+3 foo", "fx:alt.a Hello Ann 27+3 FOO",
        "fx:alt.a Big big@x.invalid 17+3 foo"}},
      {"case sensitive", {"FO+", true}, {"fx:alt.a Hello Ann 27+3 FOO"}},
      {"skip big", {"foo", false, true},
       {"fx:alt.a Hello Ann 19+3 foo", "fx:alt.a Hello Ann 27+3 FOO"}},
      {"one per article", {"foo", false, false, true},
       {"fx:alt.a Hello Ann 19+3 foo", "fx:alt.a Big big@x.invalid 17+3 foo"}},
      {"headers searched too", {"^Subject: O\\w+", false, false, true},
       {"fx:alt/b Other Bob 1+14 Subject: Other"}},
  };
  for (const auto& c : cases) {
    StoreSearch search;
    ASSERT_EQ(search.Start(c.options, all()), std::nullopt) << c.name;
    EXPECT_FALSE(search.Step(100)) << c.name;
    EXPECT_EQ(describe(search.Rows()), c.rows) << c.name;
  }
}

TEST_F(StoreSearchTest, StepByStepGivesTheRowsAndProgressOfOneRun) {
  StoreSearch whole;
  ASSERT_EQ(whole.Start({"o"}, all()), std::nullopt);
  whole.Step(1000);
  StoreSearch paused(this);
  ASSERT_EQ(paused.Start({"o"}, all()), std::nullopt);
  int steps = 0;
  while (paused.Step(1)) ++steps;
  EXPECT_EQ(steps, 3);
  EXPECT_FALSE(paused.Running());
  EXPECT_EQ(describe(paused.Rows()), describe(whole.Rows()));
  EXPECT_EQ(said, (std::vector<std::string>{"Dossier fx:alt.a", "Recherche 1 de 2 articles",
                                            "Recherche 2 de 2 articles", "Dossier fx:alt/b",
                                            "Recherche 1 de 1 articles"}));
}

TEST_F(StoreSearchTest, BadRegexKeepsThePreviousSearch) {
  StoreSearch search;
  ASSERT_EQ(search.Start({"bar"}, all()), std::nullopt);
  search.Step(1);
  const auto error = search.Start({"(bar"}, all());
  ASSERT_TRUE(error);
  EXPECT_EQ(search.Rows().size(), 1u);
  EXPECT_NE(error->find("missing closing parenthesis"), std::string::npos) << *error;
  EXPECT_TRUE(search.Running());
  search.Step(100);
  EXPECT_EQ(describe(search.Rows()), (std::vector<std::string>{"fx:alt.a Hello Ann 23+3 bar"}));
}

TEST_F(StoreSearchTest, UnreadableStoresAreReportedAndTheSearchGoesOn) {
  const struct {
    const char* name;
    const char* removed;
    std::vector<std::string> said;
  } cases[] = {
      {"header file", "data/[fx] alt.a.hdr",
       {"Dossier fx:alt.a", "failed fx:alt.a: Impossible de lire " + dir.path() +
                                "data/[fx] alt.a.hdr",
        "Dossier fx:alt/b", "Recherche 1 de 1 articles"}},
      {"body file", "data/[fx] alt%2fb.mbx",
       {"Dossier fx:alt.a", "Recherche 1 de 2 articles", "Recherche 2 de 2 articles",
        "Dossier fx:alt/b", "Recherche 1 de 1 articles",
        "failed fx:alt/b: Impossible de lire l'article <Other@x.invalid>"}},
  };
  for (const auto& c : cases) {
    populate();
    said.clear();
    ASSERT_TRUE(std::filesystem::remove(dir.file(c.removed))) << c.name;
    StoreSearch search(this);
    ASSERT_EQ(search.Start({"foo", false, false, true}, all()), std::nullopt);
    search.Step(100);
    EXPECT_EQ(said, c.said) << c.name;
  }
}

}  // namespace
}  // namespace orvel::test
