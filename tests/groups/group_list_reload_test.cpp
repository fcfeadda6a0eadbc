// Reloading a server's group list from disk: asked first only when
// something would be lost, refused by a view that stays open, and never
// emptying the list when the newsrc cannot be read.

#include <gtest/gtest.h>

#include <filesystem>

#include "groups/group_list_fixture.h"

namespace orvel::test {
namespace {

struct ReloadCase {
  const char* label;
  bool changeFirst;     // a subscription not saved yet
  bool viewRefuses;     // an open view that will not close
  bool unreadable;      // the newsrc turned into something unreadable
  Button answer;        // Button::None: no question expected
  bool reloaded;
};

TEST_F(GroupListTest, ReloadReadsTheFilesAgainOrKeepsTheList) {
  const ReloadCase cases[] = {
      {"nothing unsaved", false, false, false, Button::None, true},
      {"unsaved, yes", true, false, false, Button::Yes, true},
      {"unsaved, no", true, false, false, Button::No, false},
      {"view refuses", false, true, false, Button::Yes, false},
      {"unreadable newsrc", false, false, true, Button::None, false},
  };
  for (const ReloadCase& c : cases) {
    SCOPED_TRACE(c.label);
    std::filesystem::remove_all(dir.file("srv.newsrc"));
    prompter.clear();
    ASSERT_TRUE(open("a: 1-3\r\nb!\r\n"));
    if (c.changeFirst) list->Subscribe({&group("b")}, +1);
    std::optional<FakeView> view;
    if (c.viewRefuses) {
      view.emplace(*list, &group("a"));
      view->allowClose = false;
    }
    if (c.unreadable) {
      std::filesystem::remove(dir.file("srv.newsrc"));
      std::filesystem::create_directory(dir.file("srv.newsrc"));
    } else {
      dir.write("srv.newsrc", "a: 1-3\r\nb!\r\nfresh:\r\n");
    }
    if (c.answer != Button::None) prompter.answer(c.answer);
    EXPECT_EQ(list->Reload(), c.reloaded);
    EXPECT_EQ(prompter.questions().size(), c.answer == Button::None ? 0u : 1u);
    EXPECT_EQ(list->FindGroup("fresh") != nullptr, c.reloaded);
    // What was there stays when nothing was reloaded.
    EXPECT_NE(list->FindGroup("a"), nullptr);
    EXPECT_EQ(list->lists().newsrcChanged, c.changeFirst && !c.reloaded);
    EXPECT_EQ(prompter.messages().size(), c.unreadable ? 1u : 0u);
    view.reset();
    list.reset();
  }
}

}  // namespace
}  // namespace orvel::test
