#include "core/bag.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "core/atomic_file.h"
#include "core/ini_file.h"

namespace orvel {
namespace {

class BagTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("orvel-bag-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini"))
                .string();
  }
  void TearDown() override { std::filesystem::remove(path_); }
  void writeFile(const std::string& text) { ASSERT_TRUE(SaveFileAtomically(path_, text)); }
  std::string path_;
};

std::string messageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EBagError& e) {
    return e.what();
  }
  return "no exception";
}

TEST_F(BagTest, IntegerShadowAndNumbers) {
  TBag bag;
  bag.SetString("Color", "$00FF00");
  bag.SetString("Width", "007");
  bag.SetString("Text", "12x");
  EXPECT_EQ(bag.GetInteger("Color", -1), 0);
  EXPECT_EQ(bag.GetNumber("Color", -1), 65280);
  EXPECT_EQ(bag.GetInteger("Width", -1), 7);
  EXPECT_EQ(bag.GetInteger("Text", -1), 0);
  EXPECT_EQ(bag.GetNumber("Text", -1), 0);
  EXPECT_EQ(bag.GetNumber("Absent", -1), -1);
  EXPECT_EQ(bag.count(), 3);
}

TEST_F(BagTest, BoolsAndColors) {
  TBag bag;
  bag.SetBool("On", true);
  bag.SetString("Odd", "yes");
  bag.SetColor("Back", 0x00BBCCDD);
  EXPECT_TRUE(bag.GetBool("On", false));
  EXPECT_FALSE(bag.GetBool("Odd", true));
  EXPECT_TRUE(bag.GetBool("Absent", true));
  EXPECT_EQ(bag.GetString("Back", ""), "$BBCCDD");
}

TEST_F(BagTest, SaveWritesShadowsAndKeepsOrder) {
  writeFile("[Other]\nx=1\n[Misc]\nOld=1\n");
  TBag bag(path_, "Misc");
  bag.LoadFromIni(false);
  bag.SetString("Width", "007");
  bag.SetString("Name", "news");
  bag.SaveToIni(true, false);
  IniFile ini(path_);
  EXPECT_EQ(ini.keys("Misc"), (std::vector<std::string>{"Old", "Width", "Name"}));
  EXPECT_EQ(ini.readString("Misc", "Width"), "7");
  EXPECT_EQ(ini.readString("Other", "x"), "1");
}

TEST_F(BagTest, LoadKeepsFileOrder) {
  writeFile("[Display]\nb=2\na=1\nc=$10\n");
  TBag bag(path_, "Display");
  bag.LoadFromIni(false);
  EXPECT_EQ(bag.names(), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_EQ(bag.GetNumber("c", 0), 16);
}

TEST_F(BagTest, FontLineRoundTripsAndBadLineRaises) {
  TBag bag;
  BagFont f;
  f.style = BagFont::Bold | BagFont::Italic;
  f.pitch = 1;
  f.size = 11;
  f.height = -15;
  f.color = 0x0000FF;
  f.name = "DejaVu Sans Mono";
  f.charset = 0;
  bag.SetFont("Viewer", f);
  EXPECT_EQ(bag.GetString("Viewer", ""), "3,1<11>-15;$0000FF:DejaVu Sans Mono|0");
  EXPECT_EQ(bag.GetFont("Viewer", BagFont{}), f);

  const BagFont base;
  EXPECT_EQ(bag.GetFont("Absent", base), base);
  bag.SetString("Blank", "   ");
  EXPECT_EQ(bag.GetFont("Blank", base), base);
  bag.SetString("Broken", "1,0<10>-13;$000000:Arial");
  EXPECT_EQ(messageOf([&] { bag.GetFont("Broken", base); }),
            "Police Invalide      1,0<10>-13;$000000:Arial");
}

TEST_F(BagTest, ProgrammingFaultsRaiseExactMessages) {
  TBag bag;
  EXPECT_EQ(messageOf([&] { bag.GetString("", ""); }), "Rien de spécifié ");
  EXPECT_EQ(messageOf([&] { bag.LoadFromIni(false); }), "Pas de .ini spécifié.");
  bag.setFileName(path_);
  EXPECT_EQ(messageOf([&] { bag.SaveToIni(false, false); }), "Pas de section spécifiée(ini)");
  bag.setSection("Misc");
  EXPECT_EQ(messageOf([&] { bag.SaveToIni(false, false); }), "Rien à écrire dans le .ini ! ");
}

TEST_F(BagTest, KeyBagsStoreCodesThroughTheCodec) {
  writeFile("[Main]\nacmNew=Ctrl+N\nacmQuit=0\nacmOdd=Hyper+Q\n");
  TBag bag(path_, "Main");
  bag.setShortcutCodec(ShortcutCodec{
      [](std::string_view text) -> std::optional<int> {
        if (text == "Ctrl+N") return 0x404E;
        if (text == "Ctrl+Q") return 0x4051;
        if (text == "0") return 0;
        return std::nullopt;
      },
      [](int code) { return code == 0x404E ? std::string("Ctrl+N") : std::string("Ctrl+Q"); }});
  bag.LoadFromIni(true);
  EXPECT_EQ(bag.GetKey("acmNew"), 0x404E);
  EXPECT_EQ(bag.GetKey("acmQuit"), 0);
  EXPECT_FALSE(bag.GetKey("acmOdd"));  // unknown text: the built-in shortcut stays
  bag.SetKey("acmNew", 0);
  EXPECT_EQ(bag.GetString("acmNew", ""), "0");
  bag.SetKey("acmClose", 0x4051);
  bag.SaveToIni(true, true);
  IniFile ini(path_);
  EXPECT_EQ(ini.readString("Main", "acmNew"), "0");
  EXPECT_EQ(ini.readString("Main", "acmClose"), "Ctrl+Q");
}

TEST_F(BagTest, PlacementLineAndGeometry) {
  TBag bag;
  bag.SetPlacement("main", BagPlacement{0, 1, -1, -1, -1, -1, 10, 20, 810, 620}, true);
  EXPECT_EQ(bag.GetString("main", ""), "0,3,-1,-1,-1,-1,10,20,810,620");
  WindowGeometry g;
  ASSERT_TRUE(bag.GetPlacement("main", true, g));
  EXPECT_EQ(g.x, 10);
  EXPECT_EQ(g.y, 20);
  EXPECT_EQ(g.width, 800);
  EXPECT_EQ(g.height, 600);
  EXPECT_TRUE(g.maximised);
  ASSERT_TRUE(bag.GetPlacement("main", false, g));
  EXPECT_FALSE(g.maximised);

  bag.SetString("short", "1,2,3");
  WindowGeometry untouched{1, 2, 3, 4, false};
  EXPECT_FALSE(bag.GetPlacement("short", true, untouched));
  EXPECT_EQ(untouched.width, 3);
}

}  // namespace
}  // namespace orvel
