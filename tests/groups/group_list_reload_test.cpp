// Reloading a server's group list from disk: asked first only when
// something would be lost, and never emptying the list when the newsrc
// cannot be read.

#include <gtest/gtest.h>

#include <filesystem>

#include "groups/group_list_fixture.h"

namespace orvel::test {
namespace {

TEST_F(GroupListTest, ReloadReadsTheFilesAgainOrKeepsTheList) {
  struct Case {
    bool unsaved;     // a subscription not saved yet
    bool unreadable;  // the newsrc turned into a directory
    Button answer;    // Button::None: no question expected
    bool reloaded;
  };
  const Case cases[] = {{false, false, Button::None, true},
                        {true, false, Button::No, false},
                        {true, false, Button::Yes, true},
                        {false, true, Button::None, false}};
  for (const Case& c : cases) {
    std::filesystem::remove_all(dir.file("srv.newsrc"));
    prompter.clear();
    ASSERT_TRUE(open("a: 1-3\r\nb!\r\n"));
    if (c.unsaved) list->Subscribe({&group("b")}, +1);
    if (c.unreadable) {
      std::filesystem::remove(dir.file("srv.newsrc"));
      std::filesystem::create_directory(dir.file("srv.newsrc"));
    } else {
      dir.write("srv.newsrc", "a: 1-3\r\nfresh:\r\n");
    }
    if (c.answer != Button::None) prompter.answer(c.answer);
    EXPECT_EQ(list->Reload(), c.reloaded);
    EXPECT_EQ(prompter.questions().size(), c.answer == Button::None ? 0u : 1u);
    EXPECT_EQ(list->FindGroup("fresh") != nullptr, c.reloaded);
    EXPECT_EQ(list->FindGroup("b") != nullptr, !c.reloaded);
    list.reset();
  }
}

}  // namespace
}  // namespace orvel::test
