// The commands of the missing-parts search and the thread reconstruction:
// pattern escaping, which selected threads are searched, the thread root.

#include "articles/part_search.h"

#include <gtest/gtest.h>

#include "thread_builder.h"

namespace orvel::test {
namespace {

TEST(EscapeSearchPattern, EscapesWildcardsAndTurnsBlanksIntoAnyCharacter) {
  const struct {
    const char* text;
    const char* pattern;
  } rows[] = {
      {"!", "\\!"},   {"*", "\\*"},   {"+", "\\+"},   {"-", "\\-"},
      {"?", "\\?"},   {"[", "\\["},   {"]", "\\]"},   {"\\", "\\\\"},
      {"^", "\\^"},   {"a b  c", "a?b??c"},
      {"file.rar (", "file.rar?("},  // other characters stay
      {"<a-b@x.y>", "<a\\-b@x.y>"},
      {"", ""},
  };
  for (const auto& r : rows) EXPECT_EQ(EscapeSearchPattern(r.text), r.pattern) << r.text;
}

TEST(MissingPartsCommand, LeavesThePartNumberOpenInTheFirstSubject) {
  const struct {
    const char* subject;
    std::optional<std::string> command;
  } rows[] = {
      {"Holiday - file.rar (01/15)", "Subject 1- Holiday?\\-?file.rar?(*/15)"},
      {"pics [3/7] - a-b.jpg", "Subject 1- pics?\\[*/7\\]?\\-?a\\-b.jpg"},
      {"\"x+y.zip\" yEnc (1/2)", "Subject 1- \"x\\+y.zip\"?yEnc?(*/2)"},
      {"no part numbers", std::nullopt},
  };
  for (const auto& r : rows) {
    ThreadBuilder b;
    TAThread thread;
    thread.Articles.push_back(b.Add(r.subject, "<1@x>"));
    EXPECT_EQ(MissingPartsCommand(thread), r.command) << r.subject;
  }
}

// Two multi-part posts (one complete, one lacking a part) and a discussion.
class SelectionTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* s : {"done (1/2)", "done (2/2)", "short (1/3)", "short (3/3)"}) {
      ArticleSpec spec;
      spec.subject = s;
      spec.messageId = std::string("<") + s + ">";
      spec.lines = 500;
      b.Add(spec);
    }
    b.Add("talk", "<t@x>");
    b.Add("Re: talk", "<u@x>", "<t@x>");
    b.Thread();
    for (TNode* row : b.lists.rowList) {
      if (const TAThread* t = row->AsThread()) {
        if (t->IsMultiPart()) (t->PartsPresent == t->PartsTotal ? complete : lacking) = row;
      } else if (row->Subject.view() == "short (3/3)") {
        lackingPart = row;
      }
    }
    ASSERT_TRUE(complete && lacking && lackingPart);
  }

  ThreadBuilder b;
  TNode* complete = nullptr;
  TNode* lacking = nullptr;
  TNode* lackingPart = nullptr;
};

TEST_F(SelectionTest, PlainSearchTakesOnlyThreadsLackingPartsAndEachOnce) {
  const std::string done = "Subject 1- done?(*/2)";
  const std::string shortPost = "Subject 1- short?(*/3)";
  const struct {
    const char* name;
    std::vector<TNode*> rows;
    bool extended;
    std::vector<std::string> commands;
  } rows[] = {
      {"every row, plain", b.lists.rowList, false, {shortPost}},
      {"every row, extended", b.lists.rowList, true, {done, shortPost}},
      {"a part's row stands for its thread", {lackingPart}, false, {shortPost}},
      {"thread and part selected", {lacking, lackingPart}, true, {shortPost}},
      {"complete thread, plain", {complete}, false, {}},
      {"no multi-part thread", {b.lists.rowList.back()}, true, {}},
  };
  for (const auto& r : rows) EXPECT_EQ(MissingPartsCommands(r.rows, r.extended), r.commands) << r.name;
}

TEST(ThreadRootId, IsTheFirstReferenceThatOpensTheFieldElseTheOwnId) {
  const struct {
    const char* references;
    const char* root;
  } rows[] = {
      {"<a@x> <b@x>", "<a@x>"},
      {" \t<a@x>", "<a@x>"},
      {"", "<own@x>"},
      {"junk <a@x>", "<own@x>"},
      {"<> <a@x>", "<own@x>"},
      {"<unclosed@x", "<own@x>"},
  };
  for (const auto& r : rows) {
    ThreadBuilder b;
    EXPECT_EQ(ThreadRootId(*b.Add("s", "<own@x>", r.references)), r.root) << r.references;
  }
}

TEST(ReconstructionCommands, SearchTheRootByIdOnlyWhenItIsNotTheArticle) {
  const struct {
    const char* id;
    const char* references;
    std::vector<std::string> commands;
  } rows[] = {
      {"<own@x>", "", {"References 1- *<own@x>*"}},
      {"<own@x>", "<r@x> <p@x>", {"References 1- *<r@x>*", "Message-ID 1- <r@x>"}},
      // Escaping alone makes the root differ from the article's own id.
      {"<a-b@x>", "", {"References 1- *<a\\-b@x>*", "Message-ID 1- <a\\-b@x>"}},
  };
  for (const auto& r : rows) {
    ThreadBuilder b;
    EXPECT_EQ(ReconstructionCommands(*b.Add("s", r.id, r.references)), r.commands) << r.id;
  }
}

}  // namespace
}  // namespace orvel::test
