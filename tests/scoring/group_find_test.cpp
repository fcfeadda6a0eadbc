// "Trouver" in the article list: where the walk starts, what it tests and
// what it skips.

#include "scoring/group_find.h"

#include <gtest/gtest.h>

#include "../articles/thread_builder.h"

namespace orvel::test {
namespace {

struct FindCase {
  const char* name;
  FindOptions options;
  const char* focused;  // Message-ID, "" for none, "[" for the first thread row
  const char* hit;      // Message-ID, "" for none
  std::size_t offset;
};
void PrintTo(const FindCase& c, std::ostream* os) { *os << c.name; }

FindOptions Find(std::string pattern, FindIn in, bool skipBig = false, bool caseSensitive = false) {
  return {std::move(pattern), caseSensitive, skipBig, in};
}

class GroupFindTest : public testing::TestWithParam<FindCase> {};

// Roots: the thread <t1> "Trip" <- <t2> "Re: Trip" (collapsed), then <s1>
// "Re: news" by Ann (stored, big), then <s2> "Notes" by Bob (stored).
TEST_P(GroupFindTest, FindsTheNextHit) {
  const FindCase& c = GetParam();
  ThreadBuilder b;
  b.Add("Trip", "<t1>", "", 1);
  b.Add("Re: Trip", "<t2>", "<t1>", 2);
  ArticleSpec s1{"Re: news", "<s1>", "", "Ann <ann@example.com>", 1500, 3};
  b.Add(s1)->BodyOffset = 0;
  ArticleSpec s2{"Notes", "<s2>", "", "Bob <bob@example.com>", 10, 4};
  b.Add(s2)->BodyOffset = 10;
  b.Thread();
  ASSERT_EQ(b.lists.rootList.size(), 3u);
  b.SetExpanded(*b.lists.rootList[0]->AsThread(), false);

  const TNode* focused = nullptr;
  if (std::string_view(c.focused) == "[") {
    focused = b.lists.rootList[0];
  } else if (*c.focused) {
    focused = b.ById(c.focused);
  }
  GroupFind find;
  ASSERT_FALSE(find.SetOptions(c.options));
  std::vector<std::string> read;
  const auto body = [&](const TArticle& a) -> std::optional<std::string> {
    read.emplace_back(a.MessageID.view());
    return "Hello\r\nthe body of " + std::string(a.MessageID.view()) + "\r\n";
  };
  const auto hit = find.Next(b.lists.rootList, focused, body);
  EXPECT_EQ(hit ? std::string(hit->article->MessageID.view()) : "", c.hit);
  if (hit && c.options.in == FindIn::Bodies) {
    EXPECT_EQ(hit->offset, c.offset);
    EXPECT_EQ(hit->length, c.options.pattern.size());
  }
  // Only stored articles are read, and only for a body search.
  for (const std::string& id : read) {
    EXPECT_NE(id.rfind("<s", 0), std::string::npos) << id;
  }
  if (c.options.in != FindIn::Bodies) {
    EXPECT_TRUE(read.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Walks, GroupFindTest,
    testing::Values(
        FindCase{"FromTheTopIntoACollapsedThread", Find("trip", FindIn::Subjects), "", "<t1>", 0},
        FindCase{"AfterTheFocusedArticle", Find("trip", FindIn::Subjects), "<t1>", "<t2>", 0},
        FindCase{"AThreadRowStartsAtItsFirstArticle", Find("trip", FindIn::Subjects), "[", "<t1>",
                 0},
        FindCase{"EndOfTheListFindsNothing", Find("trip", FindIn::Subjects), "<t2>", "", 0},
        FindCase{"SubjectWithoutRe", Find("^re", FindIn::Subjects), "", "", 0},
        FindCase{"AuthorAddress", Find("bob@", FindIn::Authors), "", "<s2>", 0},
        FindCase{"AuthorsAndSubjects", Find("ann|notes", FindIn::AuthorsAndSubjects), "", "<s1>",
                 0},
        FindCase{"BigArticlesSkipped", Find("ann|notes", FindIn::AuthorsAndSubjects, true), "",
                 "<s2>", 0},
        FindCase{"CaseSensitive", Find("TRIP", FindIn::Subjects, false, true), "", "", 0},
        FindCase{"StoredBodies", Find("body of <s1", FindIn::Bodies), "", "<s1>", 11},
        FindCase{"StoredBodiesSkippingBig", Find("body", FindIn::Bodies, true), "", "<s2>", 11}),
    [](const testing::TestParamInfo<FindCase>& info) { return std::string(info.param.name); });

TEST(GroupFindStop, StopEndsTheWalkAndABadPatternKeepsTheLastSearch) {
  ThreadBuilder b;
  b.Add("a", "<a>");
  b.Add("b", "<b>");
  b.Thread();
  GroupFind find;
  ASSERT_FALSE(find.SetOptions(Find("b", FindIn::Subjects)));
  EXPECT_FALSE(find.Next(b.lists.rootList, nullptr, {}, [] { return true; }));
  EXPECT_TRUE(find.SetOptions(Find("(", FindIn::Subjects)));
  EXPECT_EQ(find.Options().pattern, "b");
  EXPECT_TRUE(find.Next(b.lists.rootList, nullptr, {}));
}

}  // namespace
}  // namespace orvel::test
