// The wire pieces against the real INN 2 of scripts/test-servers: its
// CAPABILITIES read through the reply framer, then COMPRESS DEFLATE and an
// overview fetched through Compressor, Decompressor and the framer must
// give exactly the lines of the same fetch without compression.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/deflate_stream.h"
#include "net/nntp_capabilities.h"
#include "net/nntp_reply_framer.h"
#include "support/test_servers.h"
#include "tools/fixture_server/nntp_test_client.h"

namespace orvel::test {
namespace {

struct Reply {
  int code = 0;
  std::vector<std::string> lines;
};

// One NNTP client on 127.0.0.1 over a blocking socket, compressed after
// compress().
class Client {
 public:
  explicit Client(const TestServers& s) : socket_(s.port("ORVEL_NNTP_PORT")) {}

  void compress() { compressing_ = true; }

  // Sends the commands in one write, each expected in order.
  void send(const std::vector<std::string>& commands) {
    std::string batch;
    for (const auto& c : commands) {
      framer_.expect(ClassifyNntpCommand(c));
      batch += c + "\r\n";
    }
    socket_.sendRaw(compressing_ ? std::string(compressor_.compress(batch)) : batch);
  }

  // The next whole reply; code 0 when the stream broke or ended.
  Reply read() {
    Reply reply;
    while (true) {
      const NntpEvent e = framer_.next();
      switch (e.kind) {
        case NntpEvent::Kind::Status:
          reply.code = e.code;
          if (!e.multiLine) return reply;
          break;
        case NntpEvent::Kind::DataLine: reply.lines.emplace_back(e.text); break;
        case NntpEvent::Kind::DataEnd: return reply;
        case NntpEvent::Kind::NeedMore:
          if (!receive()) return {};
          break;
        default: ADD_FAILURE() << "framing failed: " << e.text; return {};
      }
    }
  }

  std::size_t wireBytes() const { return wireBytes_; }

 private:
  bool receive() {
    const std::string bytes = socket_.readSome(kReadSize);
    if (bytes.empty()) return false;
    wireBytes_ += bytes.size();
    if (!compressing_) {
      framer_.receive(bytes);
      return true;
    }
    std::string_view plain = decompressor_.feed(bytes);
    while (true) {
      framer_.receive(plain);
      if (!decompressor_.more()) break;
      plain = decompressor_.feed({});
    }
    EXPECT_FALSE(decompressor_.failed()) << decompressor_.error();
    return !decompressor_.failed();
  }

  static constexpr std::size_t kReadSize = 16384;
  NntpTestClient socket_;
  NntpReplyFramer framer_;
  Compressor compressor_;
  Decompressor decompressor_;
  bool compressing_ = false;
  std::size_t wireBytes_ = 0;
};

constexpr const char* kGroup = "test.big";

// Greeting and capabilities of a fresh connection.
NntpCapabilities greet(Client& client) {
  NntpCapabilities caps;
  EXPECT_EQ(client.read().code, 200);
  client.send({"CAPABILITIES"});
  const Reply reply = client.read();
  EXPECT_EQ(reply.code, 101);
  for (const auto& line : reply.lines) caps.add(line);
  return caps;
}

TEST(CompressDeflateInn, OverviewOverCompressedStreamEqualsPlain) {
  ORVEL_REQUIRE_TEST_SERVERS(servers);

  Client plain(servers);
  const NntpCapabilities caps = greet(plain);
  EXPECT_EQ(caps.version(), 2);
  EXPECT_TRUE(caps.offers(NntpCapability::Reader));
  EXPECT_TRUE(caps.offers(NntpCapability::Over));
  EXPECT_TRUE(caps.offersList("OVERVIEW.FMT"));
  if (!caps.compressDeflate()) GTEST_SKIP() << "this INN does not offer COMPRESS DEFLATE";

  const std::vector<std::string> fetch = {std::string("GROUP ") + kGroup, "XOVER 1-10000"};
  plain.send(fetch);
  ASSERT_EQ(plain.read().code, 211);
  const Reply expected = plain.read();
  ASSERT_EQ(expected.code, 224);
  ASSERT_GE(expected.lines.size(), 10000u);

  Client packed(servers);
  ASSERT_TRUE(greet(packed).compressDeflate());
  packed.send({"COMPRESS DEFLATE"});
  ASSERT_EQ(packed.read().code, 206);
  packed.compress();
  const std::size_t before = packed.wireBytes();
  packed.send(fetch);
  ASSERT_EQ(packed.read().code, 211);
  const Reply got = packed.read();
  ASSERT_EQ(got.code, 224);
  EXPECT_EQ(got.lines, expected.lines);
  // The overview really came compressed (its text repeats a lot).
  EXPECT_LT(packed.wireBytes() - before, plain.wireBytes() / 2);

  packed.send({"QUIT"});
  EXPECT_EQ(packed.read().code, 205);
}

}  // namespace
}  // namespace orvel::test
