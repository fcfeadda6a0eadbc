#include "config/shortcuts.h"

#include <gtest/gtest.h>

#include "config/actions.h"

namespace orvel {
namespace {

struct ShortcutCase {
  const char* text;
  int code;
};
void PrintTo(const ShortcutCase& c, std::ostream* os) { *os << c.text; }

class ShortcutTextTest : public ::testing::TestWithParam<ShortcutCase> {};

TEST_P(ShortcutTextTest, RoundTripsExactly) {
  const ShortcutCase& c = GetParam();
  EXPECT_EQ(TextToShortCut(c.text), c.code);
  EXPECT_EQ(ShortCutToText(c.code), c.text);
}

constexpr int S = kShortcutShift, C = kShortcutCtrl, A = kShortcutAlt;

INSTANTIATE_TEST_SUITE_P(
    Texts, ShortcutTextTest,
    ::testing::Values(ShortcutCase{"Ctrl+Shift+K", C | S | 'K'}, ShortcutCase{"Shift+/", S | 191},
                      ShortcutCase{"Alt+Ins", A | 45}, ShortcutCase{"Del", 46},
                      ShortcutCase{"Ctrl+Backspace", C | 8}, ShortcutCase{"F12", 123},
                      ShortcutCase{"`", 192}, ShortcutCase{";", 186}, ShortcutCase{"'", 222},
                      ShortcutCase{",", 188}, ShortcutCase{".", 190}, ShortcutCase{"[", 219},
                      ShortcutCase{"]", 221}, ShortcutCase{"=", 187}, ShortcutCase{"-", 189},
                      ShortcutCase{"Ctrl+-", C | 189}, ShortcutCase{"0", '0'},
                      ShortcutCase{"Ctrl+3", C | '3'}, ShortcutCase{"Alt+Left", A | 37},
                      ShortcutCase{"Ctrl+Alt+Shift+F24", C | A | S | 135},
                      ShortcutCase{"Num +", 107}, ShortcutCase{"", 0}),
    [](const auto& info) {
      std::string name;
      for (const char c : std::string(info.param.text)) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? std::string(1, c)
                                                            : "_" + std::to_string(int(c));
      }
      return name.empty() ? std::string("None") : name;
    });

TEST(Shortcuts, ReadingIsLenient) {
  EXPECT_EQ(TextToShortCut("shift+ctrl+k"), C | S | 'K');
  EXPECT_EQ(TextToShortCut(" Control+Delete "), C | 46);
  EXPECT_EQ(TextToShortCut("BkSp"), 8);
  EXPECT_EQ(TextToShortCut("f1"), 112);
  for (const char* bad : {"Ctrl+", "Ctrl", "F25", "F0", "Hyper+K", "KK", "+", "Shift+Ctrl+"}) {
    EXPECT_FALSE(TextToShortCut(bad).has_value()) << bad;
  }
  EXPECT_EQ(ShortCutToText(C | 0x07), "");  // no key of that code
}

TEST(Shortcuts, EveryBuiltInShortcutRoundTrips) {
  for (auto window : {ActionWindow::Main, ActionWindow::GroupList, ActionWindow::GroupView,
                      ActionWindow::Compose, ActionWindow::Folders}) {
    for (const auto& def : BuiltInActions(window)) {
      const auto code = TextToShortCut(def.shortcut);
      ASSERT_TRUE(code.has_value()) << def.name;
      EXPECT_EQ(ShortCutToText(*code), def.shortcut) << def.name;
      EXPECT_EQ(*code == 0, *def.shortcut == 0) << def.name;
    }
  }
}

TEST(Shortcuts, KeysFileKeepsNoneApartFromTheZeroKey) {
  const ShortcutCodec codec = KeysFileCodec();
  EXPECT_EQ(codec.textToCode("0"), 0);
  EXPECT_EQ(codec.textToCode("Digit0"), '0');
  EXPECT_EQ(codec.codeToText('0'), "Digit0");
  EXPECT_EQ(codec.textToCode(codec.codeToText(C | '0')), C | '0');
  EXPECT_EQ(codec.codeToText(S | 191), "Shift+/");
  EXPECT_FALSE(codec.textToCode("nonsense").has_value());
}

}  // namespace
}  // namespace orvel
