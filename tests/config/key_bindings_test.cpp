#include <gtest/gtest.h>

#include <set>

#include "config/actions.h"
#include "config/key_dialog.h"
#include "config/shortcuts.h"
#include "config/temp_base_dir.h"
#include "core/ini_file.h"

namespace orvel {
namespace {

TEST(Actions, EveryWindowHasItsActions) {
  EXPECT_EQ(BuiltInActions(ActionWindow::Main).size(), 19u);
  EXPECT_EQ(BuiltInActions(ActionWindow::GroupList).size(), 25u);
  EXPECT_EQ(BuiltInActions(ActionWindow::GroupView).size(), 120u);
  EXPECT_EQ(BuiltInActions(ActionWindow::Compose).size(), 16u);
  EXPECT_EQ(BuiltInActions(ActionWindow::Folders).size(), 5u);
  for (auto window : {ActionWindow::Main, ActionWindow::GroupList, ActionWindow::GroupView,
                      ActionWindow::Compose, ActionWindow::Folders}) {
    std::set<std::string> names;
    for (const auto& def : BuiltInActions(window)) {
      EXPECT_TRUE(names.insert(def.name).second) << def.name;
      EXPECT_NE(*def.caption, 0) << def.name;
    }
  }
  const TActionDef* mark = FindActionDef(ActionWindow::GroupView, "acaMarkRead");
  ASSERT_NE(mark, nullptr);
  EXPECT_STREQ(mark->caption, "Marquer comme \"LU\"");
  EXPECT_STREQ(mark->handler, "acaMarkExecute");
  // Pop-up lists spell some names differently.
  ActionList view = CreateActionList(ActionWindow::GroupView);
  EXPECT_NE(FindAction(view, "acaFollowup"), nullptr);
}

class KeyBindingsTest : public ::testing::Test {
 protected:
  TBag loadMain(const std::string& text) {
    dir_.write("keys.ini", text);
    TBag bag(dir_.file("keys.ini"), "Main");
    bag.setShortcutCodec(KeysFileCodec());
    bag.LoadFromIni(true);
    return bag;
  }
  static int shortcutOf(ActionList& list, const char* name) {
    return FindAction(list, name)->shortcut;
  }
  test::TempBaseDir dir_;
};

TEST_F(KeyBindingsTest, StoredShortcutsApplyAndMissingOnesAreAdded) {
  TBag bag = loadMain(
      "[Main]\nacmEditScore=Ctrl+Shift+E\nacmViewPlonk=0\nacmRescore=Hyper+Q\n");
  ActionList actions = CreateActionList(ActionWindow::Main);
  ApplyKeyBindings(bag, actions);
  EXPECT_EQ(ShortCutToText(shortcutOf(actions, "acmEditScore")), "Ctrl+Shift+E");
  EXPECT_EQ(shortcutOf(actions, "acmViewPlonk"), 0);                          // "0": none
  EXPECT_EQ(ShortCutToText(shortcutOf(actions, "acmRescore")), "Ctrl+R");     // unknown text
  EXPECT_EQ(ShortCutToText(shortcutOf(actions, "acmHardKill")), "Ctrl+Shift+K");  // absent
  EXPECT_EQ(bag.count(), 19);

  bag.SaveToIni(false, true);
  const IniFile ini(dir_.file("keys.ini"));
  EXPECT_EQ(ini.keys("Main").size(), 19u);
  EXPECT_EQ(ini.readString("Main", "acmViewPlonk"), "0");
  EXPECT_EQ(ini.readString("Main", "acmRescore"), "Ctrl+R");
  EXPECT_EQ(ini.readString("Main", "acmReloadScore"), "0");

  TBag again = loadMain(dir_.read("keys.ini"));
  ActionList reloaded = CreateActionList(ActionWindow::Main);
  ApplyKeyBindings(again, reloaded);
  for (std::size_t i = 0; i < actions.size(); ++i) {
    EXPECT_EQ(reloaded[i].shortcut, actions[i].shortcut) << actions[i].def->name;
  }
}

TEST_F(KeyBindingsTest, ZeroKeyShortcutSurvivesTheFile) {
  dir_.write("keys.ini", "");
  TBag bag(dir_.file("keys.ini"), "Article");
  bag.setShortcutCodec(KeysFileCodec());
  ActionList view = CreateActionList(ActionWindow::GroupView);
  ApplyKeyBindings(bag, view);
  bag.SaveToIni(false, true);
  TBag again(dir_.file("keys.ini"), "Article");
  again.setShortcutCodec(KeysFileCodec());
  again.LoadFromIni(true);
  ActionList reloaded = CreateActionList(ActionWindow::GroupView);
  ApplyKeyBindings(again, reloaded);
  EXPECT_EQ(shortcutOf(reloaded, "acaMark0Score"), '0');
}

class KeyDialogTest : public ::testing::Test {
 protected:
  KeyDialogTest()
      : view_(CreateActionList(ActionWindow::GroupView)),
        main_(CreateActionList(ActionWindow::Main)),
        dialog_(ActionWindow::GroupView, view_, main_) {}
  int rowOf(const char* name) const {
    for (std::size_t i = 0; i < dialog_.rows().size(); ++i) {
      if (dialog_.rows()[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  const KeyDialogModel::Row& row(const char* name) const {
    return dialog_.rows()[static_cast<std::size_t>(rowOf(name))];
  }
  test::TempBaseDir dir_;
  ActionList view_;
  ActionList main_;
  KeyDialogModel dialog_;
};

TEST_F(KeyDialogTest, RowsComeByContextThenMain) {
  ASSERT_EQ(dialog_.rows().size(), 120u + 19u);
  EXPECT_EQ(dialog_.rows().front().context, "Articles");
  EXPECT_EQ(dialog_.rows().back().context, "Main");
  EXPECT_EQ(dialog_.upperLabel(), "");
  EXPECT_EQ(dialog_.setCaption(), "Executer");
  EXPECT_FALSE(dialog_.okEnabled());
  KeyDialogModel alone(std::nullopt, {}, main_);
  EXPECT_EQ(alone.rows().size(), 19u);
}

TEST_F(KeyDialogTest, GivingAMainShortcutToAViewActionTakesItFromMain) {
  dialog_.SelectRow(rowOf("acaThread"));
  EXPECT_EQ(dialog_.upperLabel(), "Articles | Mettre les articles en fils");
  EXPECT_EQ(dialog_.shortcutBoxText(), "");
  EXPECT_FALSE(dialog_.setEnabled());

  dialog_.TypeShortcut(*TextToShortCut("Ctrl+E"));
  EXPECT_EQ(dialog_.lowerLabel(), "Main | Ouvrir le Fichier des scores");
  EXPECT_EQ(dialog_.setCaption(), "Change");
  dialog_.PressEnterInList();
  EXPECT_TRUE(dialog_.okEnabled());
  EXPECT_EQ(row("acaThread").shortcutText, "Ctrl+E");
  EXPECT_EQ(row("acmEditScore").shortcutText, "");
  EXPECT_EQ(row("acmEditScore").code, 0);

  SettingsBags bags;
  bags.mainKeys = TBag(dir_.file("keys.ini"), "Main");
  bags.articleKeys = TBag(dir_.file("keys.ini"), "Article");
  for (TBag* b : {&bags.mainKeys, &bags.articleKeys, &bags.groupKeys, &bags.editKeys}) {
    b->setShortcutCodec(KeysFileCodec());
  }
  std::string error;
  ASSERT_TRUE(dialog_.Ok(bags, &error)) << error;
  EXPECT_EQ(bags.articleKeys.GetKey("acaThread"), *TextToShortCut("Ctrl+E"));
  EXPECT_EQ(bags.mainKeys.GetKey("acmEditScore"), 0);
  EXPECT_EQ(bags.groupKeys.count(), 0);
  const IniFile ini(dir_.file("keys.ini"));
  EXPECT_EQ(ini.readString("Article", "acaThread"), "Ctrl+E");
  EXPECT_EQ(ini.readString("Main", "acmEditScore"), "0");
}

TEST_F(KeyDialogTest, TypingAFreeShortcutOrTheRowsOwn) {
  dialog_.SelectRow(rowOf("acaNextUnread"));
  EXPECT_EQ(dialog_.shortcutBoxText(), "/");
  dialog_.TypeShortcut(*TextToShortCut("/"));  // its own: no conflict
  EXPECT_EQ(dialog_.lowerLabel(), "");
  EXPECT_EQ(dialog_.setCaption(), "Set");
  dialog_.TypeShortcut(*TextToShortCut("Ctrl+Alt+Q"));
  EXPECT_EQ(dialog_.lowerLabel(), "");
  EXPECT_EQ(dialog_.setCaption(), "Set");
  dialog_.PressSet();
  EXPECT_EQ(row("acaNextUnread").shortcutText, "Ctrl+Alt+Q");
}

TEST_F(KeyDialogTest, CancelChangesNothing) {
  dialog_.SelectRow(rowOf("acaKill"));
  dialog_.TypeShortcut(0);
  dialog_.PressSet();
  EXPECT_EQ(row("acaKill").code, 0);
  // Closing without OK: the action lists and the bags were never touched.
  EXPECT_EQ(ShortCutToText(FindAction(view_, "acaKill")->shortcut), "K");
}

}  // namespace
}  // namespace orvel
