#include "net/tdns.h"

#include <gtest/gtest.h>

#include "support/fake_network.h"

namespace orvel::test {
namespace {

TEST(NumericAddress, AcceptsOnlyNumericForms) {
  const std::pair<const char*, const char*> rows[] = {
      {"192.0.2.1", "192.0.2.1"},
      {" 127.0.0.1 ", "127.0.0.1"},
      {"::1", "::1"},
      {"[::1]", "::1"},
      {"2001:DB8:0:0::7", "2001:db8::7"},
      {"1.example.com", nullptr},
      {"256.1.1.1", nullptr},
      {"127.1", nullptr},
      {"news.example.com", nullptr},
      {"", nullptr},
  };
  for (const auto& [in, out] : rows) {
    const auto got = NumericAddress(in);
    if (out) {
      ASSERT_TRUE(got.has_value()) << in;
      EXPECT_EQ(*got, out) << in;
    } else {
      EXPECT_FALSE(got.has_value()) << in << " -> " << got.value_or("");
    }
  }
}

TEST(TDNS, NumericCompletesAtOnceWithoutThePlatform) {
  FakeResolver resolver;
  TDNS dns(resolver);
  int done = 0;
  dns.onDone = [&](TDNS& d) {
    ++done;
    EXPECT_EQ(d.errorCode(), 0);
    EXPECT_EQ(d.address(), "192.0.2.1");
  };
  dns.Lookup("192.0.2.1");
  EXPECT_EQ(done, 1);
  EXPECT_TRUE(resolver.hostsLookedUp().empty());
}

TEST(TDNS, NameCompletesLaterAndANewLookupCancelsTheOld) {
  FakeResolver resolver;
  TDNS dns(resolver);
  std::vector<std::string> seen;
  dns.onDone = [&](TDNS& d) { seen.push_back(d.host() + "=" + d.address()); };
  dns.Lookup("a.example");
  EXPECT_TRUE(dns.pending());
  dns.Lookup("b.example");
  EXPECT_EQ(resolver.cancels(), 1);
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(resolver.complete(0, "198.51.100.2", "b.example"));
  EXPECT_FALSE(resolver.complete(0, "198.51.100.1", "a.example"));
  EXPECT_EQ(seen, std::vector<std::string>{"b.example=198.51.100.2"});
  EXPECT_FALSE(dns.pending());
}

TEST(TDNS, FailureKeepsTheCodeAndNoAddress) {
  FakeResolver resolver;
  TDNS dns(resolver);
  dns.Lookup("nowhere.invalid");
  resolver.complete(11001, "ignored");
  EXPECT_EQ(dns.errorCode(), 11001);
  EXPECT_EQ(dns.address(), "");
}

TEST(TDNS, DestroyCancelsThePendingLookup) {
  FakeResolver resolver;
  {
    TDNS dns(resolver);
    dns.onDone = [](TDNS&) { FAIL() << "completion after destroy"; };
    dns.Lookup("a.example");
  }
  EXPECT_EQ(resolver.pending(), 0);
  EXPECT_EQ(resolver.cancels(), 1);
}

}  // namespace
}  // namespace orvel::test
