// Reading a server's CAPABILITIES: INN 2.7's own reply and the keywords
// in other spellings and combinations.

#include "net/nntp_capabilities.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace orvel {
namespace {

using C = NntpCapability;

struct CapsCase {
  const char* name;
  std::vector<std::string> lines;
  std::set<C> offered;
  int version;
  std::vector<std::string> lists;  // LIST variants offered (asked in lower case)
  std::vector<std::string> sasl;
  std::string implementation = {};
};

void PrintTo(const CapsCase& c, std::ostream* os) { *os << c.name; }

// INN 2.7's reply on its open port (the live reply is checked by the
// integration test).
std::vector<std::string> innLines() {
  return {"VERSION 2", "IMPLEMENTATION INN 2.7.1", "AUTHINFO SASL", "COMPRESS DEFLATE", "HDR",
          "LIST ACTIVE ACTIVE.TIMES COUNTS DISTRIB.PATS DISTRIBUTIONS HEADERS MODERATORS MOTD "
          "NEWSGROUPS OVERVIEW.FMT SUBSCRIPTIONS",
          "NEWNEWS", "OVER", "POST", "READER",
          "SASL SCRAM-SHA-512 SCRAM-SHA-384 SCRAM-SHA-256 SCRAM-SHA-224 SCRAM-SHA-1 DIGEST-MD5 "
          "CRAM-MD5 NTLM",
          "STARTTLS", "XPAT"};
}

class Capabilities : public ::testing::TestWithParam<CapsCase> {};

TEST_P(Capabilities, Parse) {
  const CapsCase& c = GetParam();
  NntpCapabilities caps;
  for (const auto& line : c.lines) caps.add(line);
  for (int i = 0; i < static_cast<int>(C::Count); ++i) {
    const C cap = static_cast<C>(i);
    EXPECT_EQ(caps.offers(cap), c.offered.count(cap) == 1) << "capability " << i;
  }
  EXPECT_EQ(caps.compressDeflate(), c.offered.count(C::CompressDeflate) == 1);
  EXPECT_EQ(caps.startTls(), c.offered.count(C::StartTls) == 1);
  EXPECT_EQ(caps.version(), c.version);
  EXPECT_EQ(caps.implementation(), c.implementation);
  for (const auto& l : c.lists) EXPECT_TRUE(caps.offersList(l)) << l;
  for (const auto& m : c.sasl) EXPECT_TRUE(caps.offersSasl(m)) << m;
  EXPECT_FALSE(caps.offersList("xyzzy"));
  EXPECT_EQ(caps.lines(), c.lines);
}

const std::set<C> kInnOpen = {C::AuthInfoSasl, C::CompressDeflate, C::Hdr, C::NewNews,
                              C::Over, C::Post, C::Reader, C::StartTls};

INSTANTIATE_TEST_SUITE_P(
    NntpCapabilities, Capabilities,
    ::testing::Values(
        CapsCase{"InnOpenPort", innLines(), kInnOpen, 2,
                 {"active", "overview.fmt", "newsgroups", "headers"}, {"cram-md5"}, "INN 2.7.1"},
        CapsCase{"LowerCaseKeywords",
                 {"version 2", "mode-reader", "over msgid", "authinfo user", "compress deflate",
                  "list active newsgroups"},
                 {C::ModeReader, C::Over, C::OverMsgId, C::AuthInfoUser, C::CompressDeflate}, 2,
                 {"ACTIVE", "NEWSGROUPS"}, {}},
        CapsCase{"OtherCompressionOnly", {"VERSION 2", "COMPRESS GZIP", "OVER"}, {C::Over}, 2, {}, {}},
        CapsCase{"HighestVersionAndExtraSpaces",
                 {"VERSION 3  2", "  HDR  ", "X-UNKNOWN DEFLATE STARTTLS", ""}, {C::Hdr}, 3, {}, {}},
        CapsCase{"NoVersion", {"READER", "implementation  My Server 1.0 "}, {C::Reader}, 0, {}, {},
                 "My Server 1.0"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
