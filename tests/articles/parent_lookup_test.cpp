// The parent of an article: its record when the view holds it, else the
// Message-ID to fetch.

#include "articles/parent_lookup.h"

#include <gtest/gtest.h>

#include "thread_builder.h"

namespace orvel::test {
namespace {

TEST(FindParent, IsTheRecordOfTheLastReferenceElseItsId) {
  ThreadBuilder b;
  b.Add("root", "<r@x>");
  b.Add("Re: root", "<p@x>", "<r@x>");
  b.Add("Re: root", "<c@x>", "<r@x> <p@x>");
  TArticle* split = b.Add("Re: other", "<o@x>", "<r@x>");
  b.Add("Re: gone", "<g@x>", "<r@x> <absent@x>");
  b.Add("alone", "<a@x>");
  b.Thread();
  // A thread split off from its parent's: the parent is found in the list.
  TAThread own;
  own.Articles.push_back(split);
  split->Thread = &own;
  const struct {
    const char* id;
    const char* parentRecord;  // nullptr: not in the view
    const char* parentId;
  } rows[] = {
      {"<c@x>", "<p@x>", "<p@x>"},
      {"<o@x>", "<r@x>", "<r@x>"},
      {"<g@x>", nullptr, "<absent@x>"},
      {"<a@x>", nullptr, ""},
  };
  for (const auto& r : rows) {
    const ParentLookup found = FindParent(*b.ById(r.id), b.lists.masterList);
    EXPECT_EQ(found.record, r.parentRecord ? b.ById(r.parentRecord) : nullptr) << r.id;
    EXPECT_EQ(found.messageId, r.parentId) << r.id;
  }
}

}  // namespace
}  // namespace orvel::test
