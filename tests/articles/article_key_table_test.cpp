#include "articles/article_key_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "articles/article_arena.h"

namespace orvel {
namespace {

// Operations on a table of articles named by index: "+i" adds article i,
// "-id" removes id, "?id=i" finds article i under id ("?id=" finds none).
struct TableCase {
  const char* name;
  std::vector<std::string> ids;  // the Message-ID of each article
  std::vector<std::string> steps;
  std::size_t capacity;  // entries the table is sized for
  // kOneHash: every key with one hash, so one probe sequence holds them all
  // and the order of duplicates and the removal markers meet on every step.
  // kOneHome: the same probe sequence, but the hash bits kept in the slot
  // differ between keys, so look-ups step over the others' entries.
  enum Hashing { kOwnHash, kOneHash, kOneHome } hashing = kOwnHash;
};
void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class MessageIdTableTest : public testing::TestWithParam<TableCase> {};

TEST_P(MessageIdTableTest, AnswersInInsertionOrder) {
  const TableCase& c = GetParam();
  ArticleArena arena;
  std::vector<TArticle*> articles;
  for (const std::string& id : c.ids) {
    articles.push_back(arena.New());
    if (!id.empty()) articles.back()->MessageID = arena.Strings().Store(id);
  }
  const auto hashOf = [&](std::string_view id) {
    switch (c.hashing) {
      case TableCase::kOneHash: return std::uint64_t{42};
      case TableCase::kOneHome: return std::uint64_t{42} << 48 | (MessageIdTable::HashOf(id) & 0xffff);
      case TableCase::kOwnHash: break;
    }
    return MessageIdTable::HashOf(id);
  };
  MessageIdTable table(c.capacity);
  for (const std::string& step : c.steps) {
    const std::string arg = step.substr(1);
    if (step[0] == '+') {
      TArticle* a = articles.at(std::stoul(arg));
      table.Add(a, hashOf(a->MessageID));
    } else if (step[0] == '-') {
      EXPECT_TRUE(table.Remove(arg, hashOf(arg))) << step;
    } else {
      const std::size_t eq = arg.find('=');
      const std::string id = arg.substr(0, eq);
      const std::string want = arg.substr(eq + 1);
      TArticle* expected = want.empty() ? nullptr : articles.at(std::stoul(want));
      EXPECT_EQ(table.Find(id, hashOf(id)), expected) << step;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, MessageIdTableTest,
    testing::Values(
        TableCase{"Distinct", {"<a@x>", "<b@x>", "<c@x>"}, {"+0", "+1", "+2", "?<a@x>=0", "?<b@x>=1", "?<c@x>=2", "?<d@x>="}, 3},
        TableCase{"DuplicatesAnswerTheFirstStillThere",
                  {"<a@x>", "<a@x>", "<a@x>"},
                  {"+0", "+1", "+2", "?<a@x>=0", "-<a@x>", "?<a@x>=1", "-<a@x>", "?<a@x>=2", "-<a@x>", "?<a@x>="},
                  3},
        TableCase{"CollidingKeysCompareTheText",
                  {"<a@x>", "<b@x>", "<a@x>", "<c@x>"},
                  {"+0", "+1", "+2", "+3", "?<b@x>=1", "-<a@x>", "?<a@x>=2", "?<b@x>=1", "?<c@x>=3", "-<b@x>", "?<c@x>=3", "?<d@x>="},
                  4, TableCase::kOneHash},
        TableCase{"SharedHomeComparesTheHashBitsFirst",
                  {"<a@x>", "<b@x>", "<a@x>", "<c@x>"},
                  {"+0", "+1", "+2", "+3", "?<b@x>=1", "-<a@x>", "?<a@x>=2", "?<b@x>=1", "?<c@x>=3", "-<b@x>", "?<c@x>=3", "?<d@x>="},
                  4, TableCase::kOneHome},
        TableCase{"CollidingInsertAfterRemoveKeepsOrder",
                  {"<a@x>", "<a@x>", "<a@x>"},
                  {"+0", "+1", "-<a@x>", "+2", "?<a@x>=1", "-<a@x>", "?<a@x>=2"},
                  3, TableCase::kOneHash},
        TableCase{"EmptyIdsAreNotIndexed", {"", "<a@x>"}, {"+0", "+1", "?=", "?<a@x>=1"}, 2},
        TableCase{"FullToTheSizeGiven",
                  {"<0@x>", "<1@x>", "<2@x>", "<3@x>", "<4@x>", "<5@x>", "<6@x>", "<7@x>", "<8@x>", "<9@x>",
                   "<10@x>", "<11@x>", "<12@x>", "<13@x>", "<14@x>", "<15@x>", "<16@x>", "<17@x>"},
                  {"+0", "+1", "+2", "+3", "+4", "+5", "+6", "+7", "+8", "+9", "+10", "+11", "+12", "+13",
                   "+14", "+15", "+16", "+17", "?<0@x>=0", "?<9@x>=9", "?<17@x>=17", "?<18@x>="},
                  18}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageIdTableTest, RemovingAMissingIdFails) {
  ArticleArena arena;
  TArticle* a = arena.New();
  a->MessageID = arena.Strings().Store("<a@x>");
  MessageIdTable table(1);
  table.Add(a, MessageIdTable::HashOf("<a@x>"));
  EXPECT_FALSE(table.Remove("<b@x>", MessageIdTable::HashOf("<b@x>")));
  EXPECT_FALSE(table.Remove("", MessageIdTable::HashOf("")));
  EXPECT_EQ(table.Find("<a@x>", MessageIdTable::HashOf("<a@x>")), a);
}

// Past the size given the table doubles; duplicates and the removal before
// the growth must read the same after it.
TEST(MessageIdTableTest, GrowingKeepsEntriesAndTheirOrder) {
  ArticleArena arena;
  std::vector<TArticle*> articles;
  const auto add = [&](const std::string& id) {
    articles.push_back(arena.New());
    articles.back()->MessageID = arena.Strings().Store(id);
    return articles.back();
  };
  const auto hash = [](std::string_view id) { return MessageIdTable::HashOf(id); };
  MessageIdTable table(1);
  const std::size_t slots = table.SlotCount();
  TArticle* first = add("<dup@x>");
  TArticle* second = add("<dup@x>");
  TArticle* third = add("<dup@x>");
  for (TArticle* a : {first, second, third}) table.Add(a, hash("<dup@x>"));
  ASSERT_TRUE(table.Remove("<dup@x>", hash("<dup@x>")));
  for (int i = 0; i < 100; ++i) table.Add(add("<" + std::to_string(i) + "@x>"), hash("<" + std::to_string(i) + "@x>"));
  EXPECT_GE(table.SlotCount(), 4 * slots);
  for (std::size_t i = 3; i < articles.size(); ++i) {
    EXPECT_EQ(table.Find(articles[i]->MessageID, hash(articles[i]->MessageID)), articles[i]) << i;
  }
  EXPECT_EQ(table.Find("<dup@x>", hash("<dup@x>")), second);
  ASSERT_TRUE(table.Remove("<dup@x>", hash("<dup@x>")));
  EXPECT_EQ(table.Find("<dup@x>", hash("<dup@x>")), third);
}

TEST(SubjectTableTest, KeysOnTheSubjectWithoutRe) {
  ArticleArena arena;
  const auto article = [&](std::string_view subject) {
    TArticle* a = arena.New();
    a->Subject = arena.Strings().Store(subject);
    return a;
  };
  TArticle* reply = article("Re: Party");
  TArticle* root = article("Party");
  TArticle* untitled = article("");
  SubjectTable table(0);
  table.Add(reply, SubjectTable::HashOf("Party"));
  table.Add(root, SubjectTable::HashOf("Party"));
  table.Add(untitled, SubjectTable::HashOf(""));
  EXPECT_EQ(table.Find("Party", SubjectTable::HashOf("Party")), reply);
  EXPECT_EQ(table.Find("Re: Party", SubjectTable::HashOf("Re: Party")), nullptr);
  EXPECT_EQ(table.Find("", SubjectTable::HashOf("")), nullptr);
}

}  // namespace
}  // namespace orvel
