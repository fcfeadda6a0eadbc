#include "fixture_server/fault.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orvel::fixture {
namespace {

struct SpecCase {
  const char* name;
  const char* text;
  const char* canonical;  // nullptr: the text must be refused
};

void PrintTo(const SpecCase& c, std::ostream* os) { *os << c.name; }

class FaultSpecTest : public testing::TestWithParam<SpecCase> {};

TEST_P(FaultSpecTest, ParsesToCanonicalFormAndBack) {
  const SpecCase& c = GetParam();
  auto parsed = parseFault(c.text);
  if (!c.canonical) {
    EXPECT_TRUE(std::holds_alternative<std::string>(parsed)) << c.text;
    return;
  }
  ASSERT_TRUE(std::holds_alternative<FaultSpec>(parsed)) << std::get<std::string>(parsed);
  std::string text = describeFault(std::get<FaultSpec>(parsed));
  EXPECT_EQ(text, c.canonical);
  auto again = parseFault(text);
  ASSERT_TRUE(std::holds_alternative<FaultSpec>(again));
  EXPECT_EQ(describeFault(std::get<FaultSpec>(again)), text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FaultSpecTest,
    testing::Values(
        SpecCase{"Reset", "cmd=xover reset 1000", "cmd=XOVER reset 1000"},
        SpecCase{"ResetOnceOnTwoCommands", "cmd=XOVER,OVER once reset 0", "cmd=XOVER,OVER uses=1 reset 0"},
        SpecCase{"StallBeforeReply", "stall 2.5", "stall 2.5"},
        SpecCase{"StallAfterBytes", "cmd=XOVER stall 3 after=500", "cmd=XOVER stall 3 after=500"},
        SpecCase{"ModifiersAfterKind", "stall 1 cmd=GROUP conns=2", "cmd=GROUP conns=2 stall 1"},
        SpecCase{"ReplyWithText", "cmd=ARTICLE reply 430 No such article", "cmd=ARTICLE reply 430 No such article"},
        SpecCase{"ReplyDefaultText", "reply 502", "reply 502 Permission denied"},
        SpecCase{"ReplyForOneGroup", "cmd=GROUP group=alt.gone uses=2 reply 411 No such group alt.gone",
                 "cmd=GROUP group=alt.gone uses=2 reply 411 No such group alt.gone"},
        SpecCase{"DripDefault", "drip", "drip 1"},
        SpecCase{"DripPause", "drip 0.5", "drip 0.5"},
        SpecCase{"Omit", "omit 5,7,10-12", "omit 5,7,10-12"},
        SpecCase{"Greeting", "conns=1 greeting 400 Server busy", "conns=1 greeting 400 Server busy"},
        SpecCase{"CloseAfterGreeting", "close-after-greeting", "close-after-greeting"},
        SpecCase{"UnknownKind", "explode 3", nullptr},
        SpecCase{"NoKind", "cmd=XOVER once", nullptr},
        SpecCase{"ResetWithoutBytes", "reset", nullptr},
        SpecCase{"NegativeStall", "stall -1", nullptr},
        SpecCase{"ReplyCodeNotThreeDigits", "reply 43 x", nullptr},
        SpecCase{"OmitBackwardsRange", "omit 9-3", nullptr},
        SpecCase{"ZeroUses", "uses=0 reset 1", nullptr},
        SpecCase{"TrailingWord", "reset 10 extra", nullptr}),
    [](const testing::TestParamInfo<SpecCase>& info) { return std::string(info.param.name); });

FaultSpec spec(const char* text) { return std::get<FaultSpec>(parseFault(text)); }

TEST(FaultTableTest, OnceFiresOnTheFirstMatchingCommandOnly) {
  FaultTable table;
  table.add(spec("cmd=ARTICLE once reply 430"), 1);
  EXPECT_FALSE(table.onCommand(1, "GROUP", "").reply);
  EXPECT_EQ(table.onCommand(1, "ARTICLE", "").reply, "430 No such article");
  EXPECT_FALSE(table.onCommand(1, "ARTICLE", "").reply);
  EXPECT_TRUE(table.list().empty());
}

TEST(FaultTableTest, ConnsLimitsToTheNextConnections) {
  FaultTable table;
  table.add(spec("conns=2 reply 502"), 5);
  EXPECT_FALSE(table.onCommand(4, "GROUP", "").reply);
  EXPECT_TRUE(table.onCommand(5, "GROUP", "").reply);
  EXPECT_TRUE(table.onCommand(6, "GROUP", "").reply);
  EXPECT_FALSE(table.onCommand(7, "GROUP", "").reply);
}

TEST(FaultTableTest, GroupLimitsToThatGroup) {
  FaultTable table;
  table.add(spec("group=alt.a reply 411"), 1);
  EXPECT_FALSE(table.onCommand(1, "GROUP", "alt.b").reply);
  EXPECT_TRUE(table.onCommand(1, "GROUP", "alt.a").reply);
}

TEST(FaultTableTest, GreetingTakesOnlyFaultsThatCanShapeIt) {
  FaultTable table;
  table.add(spec("once reply 502"), 1);     // replies never touch the greeting
  table.add(spec("cmd=XOVER reset 9"), 1);  // limited to another command
  table.add(spec("once stall 2"), 1);
  GreetingFaults g = table.onConnect(1);
  EXPECT_FALSE(g.greeting);
  EXPECT_FALSE(g.delivery.resetAfter);
  EXPECT_EQ(g.delivery.stallAfter, 0);
  EXPECT_EQ(g.delivery.stallSeconds, 2);
  // The stall was used up; the reply fault still waits for a command.
  EXPECT_EQ(table.list().size(), 2u);
  EXPECT_TRUE(table.onCommand(1, "GROUP", "").reply);
}

TEST(FaultTableTest, ErrorGreetingClosesAfterwards) {
  FaultTable table;
  table.add(spec("greeting 502"), 1);
  GreetingFaults g = table.onConnect(1);
  EXPECT_EQ(g.greeting, "502 Permission denied");
  EXPECT_TRUE(g.delivery.closeAfter);
}

TEST(FaultTableTest, OmitCountsOnlyOnListings) {
  FaultTable table;
  table.add(spec("once omit 3-4"), 1);
  EXPECT_TRUE(table.onCommand(1, "GROUP", "").omit.empty());
  CommandFaults f = table.onCommand(1, "XHDR", "");
  EXPECT_TRUE(f.omit.contains(3));
  EXPECT_TRUE(f.omit.contains(4));
  EXPECT_FALSE(f.omit.contains(5));
  EXPECT_TRUE(table.onCommand(1, "XOVER", "").omit.empty());
}

}  // namespace
}  // namespace orvel::fixture
