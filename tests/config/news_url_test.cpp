#include "config/news_url.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

using Kind = NewsUrlAction::Kind;

ProfileList profiles() {
  TProfile a;
  a.alias = "home";
  a.host = "news.example.net";
  TProfile b;
  b.alias = "other";
  b.host = "news.other.org";
  b.port = 8119;
  TProfile c;
  c.alias = "secure";
  c.host = "ssl.example.net";
  c.port = 563;
  c.tls = true;
  return {std::make_shared<TProfile>(a), std::make_shared<TProfile>(b),
          std::make_shared<TProfile>(c)};
}

struct UrlCase {
  const char* name;
  const char* url;
  int defaultProfile;
  Kind kind;
  int profile;
  const char* group;
  const char* messageId;
  const char* host;
  int port;
  bool tls;
  friend void PrintTo(const UrlCase& c, std::ostream* os) { *os << c.name; }
};

class NewsUrl : public ::testing::TestWithParam<UrlCase> {};

TEST_P(NewsUrl, Decides) {
  const UrlCase& c = GetParam();
  const NewsUrlAction a = DecideNewsUrl(c.url, profiles(), c.defaultProfile);
  EXPECT_EQ(a.kind, c.kind);
  EXPECT_EQ(a.profileIndex, c.profile);
  EXPECT_EQ(a.group, c.group);
  EXPECT_EQ(a.messageId, c.messageId);
  EXPECT_EQ(a.host, c.host);
  EXPECT_EQ(a.port, c.port);
  EXPECT_EQ(a.tls, c.tls);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NewsUrl,
    ::testing::Values(
        UrlCase{"NewsGroup", "news:comp.lang.c++", 0, Kind::OpenDefaultGoToGroup, 0,
                "comp.lang.c++", "", "", 0, false},
        UrlCase{"NewsGroupOtherDefault", "NEWS:alt.test", 1, Kind::OpenDefaultGoToGroup, 1,
                "alt.test", "", "", 0, false},
        UrlCase{"NewsMessageId", "news:abc$1@host.example", 0, Kind::FetchMessageId, 0, "",
                "<abc$1@host.example>", "", 0, false},
        UrlCase{"NewsWithoutDefaultProfile", "news:comp.lang.c", -1, Kind::Nothing, -1, "", "",
                "", 0, false},
        UrlCase{"NotANewsUrl", "http://example.com/", 0, Kind::Nothing, -1, "", "", "", 0,
                false},
        UrlCase{"BlankInside", "news:comp lang", 0, Kind::Nothing, -1, "", "", "", 0, false},
        UrlCase{"HostWithGroup", "news://NEWS.example.net/alt.test", 0,
                Kind::OpenProfileGoToGroup, 0, "alt.test", "", "", 0, false},
        UrlCase{"Port119MatchesPort0", "nntp://news.example.net:119/alt.test", 0,
                Kind::OpenProfileGoToGroup, 0, "alt.test", "", "", 0, false},
        UrlCase{"StarOpensProfileOnly", "news://news.example.net/*", 0, Kind::OpenProfile, 0,
                "", "", "", 0, false},
        UrlCase{"HostOnly", "news://news.example.net", 0, Kind::OpenProfile, 0, "", "", "", 0,
                false},
        UrlCase{"HostSlashOnly", "news://news.example.net/", 0, Kind::OpenProfile, 0, "", "",
                "", 0, false},
        UrlCase{"HostWithMessageId", "news://news.other.org:8119/a@b", 0,
                Kind::OpenProfileFetchMessageId, 1, "", "<a@b>", "", 0, false},
        UrlCase{"WrongPortIsAnotherServer", "news://news.other.org/alt.test", 0,
                Kind::OfferNewProfile, -1, "alt.test", "", "news.other.org", 0, false},
        UrlCase{"UnknownHostOffersProfile", "nntp://news.new.net:abc/g.h", 0,
                Kind::OfferNewProfile, -1, "g.h", "", "news.new.net", 0, false},
        UrlCase{"UnknownHostWithMessageId", "news://news.new.net/x@y", 0,
                Kind::OfferNewProfile, -1, "", "", "news.new.net", 0, false},
        UrlCase{"SecureDefaultsTo563", "snews://ssl.example.net/alt.test", 0,
                Kind::OpenProfileGoToGroup, 2, "alt.test", "", "", 0, false},
        UrlCase{"SecureNewHost", "snews://news.new.net/g", 0, Kind::OfferNewProfile, -1, "g",
                "", "news.new.net", 0, true},
        UrlCase{"Ipv6Literal", "news://[::1]:1119/g", 0, Kind::OfferNewProfile, -1, "g", "",
                "::1", 1119, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
