// Servers written as the user writes them, with or without a port.

#include "net/host_port.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

struct HostPortCase {
  const char* name;
  const char* text;
  bool valid;
  const char* host;
  int port;
};

void PrintTo(const HostPortCase& c, std::ostream* os) { *os << c.name; }

class SplitHost : public ::testing::TestWithParam<HostPortCase> {};

TEST_P(SplitHost, GivesHostAndPort) {
  const HostPortCase& c = GetParam();
  const auto got = SplitHostPort(c.text, 25);
  ASSERT_EQ(got.has_value(), c.valid);
  if (!c.valid) return;
  EXPECT_EQ(got->host, c.host);
  EXPECT_EQ(got->port, c.port);
}

const HostPortCase kCases[] = {
    {"NameTakesDefault", "mail.example", true, "mail.example", 25},
    {"NameWithPort", "mail.example:2525", true, "mail.example", 2525},
    {"BlanksAround", "  mail.example:587 ", true, "mail.example", 587},
    {"Ipv4WithPort", "192.0.2.1:26", true, "192.0.2.1", 26},
    {"BracketedIpv6", "[::1]", true, "::1", 25},
    {"BracketedIpv6WithPort", "[2001:db8::1]:2525", true, "2001:db8::1", 2525},
    {"BareIpv6HasNoPort", "2001:db8::25", true, "2001:db8::25", 25},
    {"HighestPort", "h:65535", true, "h", 65535},
    {"PortZero", "h:0", false, "", 0},
    {"PortTooHigh", "h:65536", false, "", 0},
    {"PortNotNumber", "h:smtp", false, "", 0},
    {"PortSigned", "h:+25", false, "", 0},
    {"EmptyPort", "h:", false, "", 0},
    {"Empty", "   ", false, "", 0},
    {"PortOnly", ":25", false, "", 0},
    {"UnclosedBracket", "[::1:25", false, "", 0},
    {"JunkAfterBracket", "[::1]x25", false, "", 0},
    {"EmptyBrackets", "[]:25", false, "", 0},
};

INSTANTIATE_TEST_SUITE_P(All, SplitHost, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
