#include "config/alt_servers.h"

#include <gtest/gtest.h>

#include "config/main_state.h"

namespace orvel {
namespace {

class AltServersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* alias : {"a", "b", "c", "d"}) {
      auto p = std::make_shared<TProfile>();
      p->alias = alias;
      p->host = std::string(alias) + ".example.net";
      main_.profiles.push_back(p);
    }
  }
  void setAltServers(const std::string& value) { main_.settings.altServers = value; }
  std::vector<std::string> aliases(const TAltServs& alt) const {
    std::vector<std::string> out;
    for (const auto& p : alt.servers()) out.push_back(p->alias);
    return out;
  }
  std::shared_ptr<TProfile> profile(int i) { return main_.profiles[static_cast<std::size_t>(i)]; }
  MainState main_;
};

TEST_F(AltServersTest, BuildFromTheAltServersValue) {
  struct Case {
    const char* value;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"*", {"a", "b", "c", "d"}},
      {"d|x|b", {"c", "d", "b"}},       // own server first, unknown aliases skipped
      {"~a|b", {"c", "d"}},
      {"~c", {"c", "a", "b", "d"}},  // own server comes back in front
      {"", {"c"}},
  };
  for (const auto& c : cases) {
    setAltServers(c.value);
    TAltServs alt(main_, profile(2), "g");
    alt.Build(profile(2), "g");
    EXPECT_EQ(aliases(alt), c.expected) << c.value;
    EXPECT_EQ(alt.index(), -1);
  }
}

TEST_F(AltServersTest, ListKeptWhileTheValueIsTheSame) {
  setAltServers("b|c");
  TAltServs alt(main_, profile(0), "g");
  alt.Build(profile(0), "g");
  ASSERT_TRUE(alt.NextServer(*profile(0), false));
  EXPECT_EQ(alt.index(), 1);
  alt.Build(profile(0), "g");
  EXPECT_EQ(alt.index(), 1);  // same value: list and index kept
  setAltServers("c");
  alt.Build(profile(0), "g");
  EXPECT_EQ(alt.index(), -1);
  EXPECT_EQ(aliases(alt), (std::vector<std::string>{"a", "c"}));
}

TEST_F(AltServersTest, NextServerWithoutWrapEndsAndRestarts) {
  setAltServers("b|c");
  TAltServs alt(main_, profile(0), "g");
  EXPECT_EQ(alt.SubjectCaption(), "Sujet   ");
  auto next = alt.NextServer(*profile(0), false);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->alias, "b");
  EXPECT_TRUE(alt.inUse());
  EXPECT_EQ(alt.SubjectCaption(), "Sujet   + a|b|c");
  EXPECT_EQ(alt.CurrentServer()->alias, "b");
  next = alt.NextServer(*profile(1), false);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->alias, "c");
  EXPECT_FALSE(alt.NextServer(*profile(2), false));
  EXPECT_FALSE(alt.inUse());
  EXPECT_EQ(alt.index(), -1);
  EXPECT_EQ(alt.SubjectCaption(), "Sujet   a|b|c");
  EXPECT_THROW(
      {
        try {
          alt.CurrentServer();
        } catch (const EAltServs& e) {
          EXPECT_STREQ(e.what(), "Faux Index de serveur ");
          throw;
        }
      },
      EAltServs);
}

TEST_F(AltServersTest, NextServerWithWrapTakesTheFirstAgain) {
  setAltServers("b");
  TAltServs alt(main_, profile(0), "g");
  ASSERT_EQ(alt.NextServer(*profile(0), true)->alias, "b");
  const auto again = alt.NextServer(*profile(1), true);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->alias, "a");  // the view's own server, without the equality test
  EXPECT_EQ(alt.index(), 0);
  EXPECT_TRUE(alt.inUse());
}

TEST_F(AltServersTest, SameServerUnderAnotherAliasIsSkipped) {
  auto twin = std::make_shared<TProfile>(*profile(0));
  twin->alias = "twin";
  main_.profiles.push_back(twin);
  setAltServers("twin|b");
  TAltServs alt(main_, profile(0), "g");
  alt.Build(profile(0), "g");
  EXPECT_EQ(aliases(alt), (std::vector<std::string>{"twin", "b"}));  // own server already listed
  EXPECT_EQ(alt.NextServer(*profile(0), false)->alias, "b");
}

TEST_F(AltServersTest, GroupPropertySetGivesTheValue) {
  main_.groupProps = ReadGroupProps(IniFile::FromText("[bin]\nregex=binaries\nAltServers=d\n"));
  setAltServers("b");
  TAltServs alt(main_, profile(0), "alt.binaries.x");
  EXPECT_EQ(alt.NextServer(*profile(0), false)->alias, "d");
}

}  // namespace
}  // namespace orvel
