// Cutting received bytes into SMTP replies: multi-line replies, line ends,
// limits; every case also arrives one byte at a time.

#include "net/smtp_reply.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

using Lines = std::vector<std::string>;

struct ReplyCase {
  const char* name;
  std::string bytes;
  std::vector<Lines> replies;  // each reply's lines, in order
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.name; }

std::vector<Lines> drain(SmtpReplyReader& reader) {
  std::vector<Lines> out;
  SmtpReply reply;
  while (reader.next(reply) == SmtpReplyReader::Result::Reply) out.push_back(reply.lines);
  return out;
}

class ReplyReader : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyReader, Whole) {
  SmtpReplyReader reader;
  reader.append(GetParam().bytes);
  EXPECT_EQ(drain(reader), GetParam().replies);
}

TEST_P(ReplyReader, ByteAtATime) {
  SmtpReplyReader reader;
  std::vector<Lines> got;
  for (char c : GetParam().bytes) {
    reader.append(std::string_view(&c, 1));
    for (auto& r : drain(reader)) got.push_back(std::move(r));
  }
  EXPECT_EQ(got, GetParam().replies);
}

const ReplyCase kCases[] = {
    {"OneLine", "220 ready\r\n", {{"220 ready"}}},
    {"MultiLineIsOneReply", "220-first\r\n220-second\r\n220 last\r\n",
     {{"220-first", "220-second", "220 last"}}},
    {"TwoRepliesInOneRead", "250 ok\r\n354 go\r\n", {{"250 ok"}, {"354 go"}}},
    {"BareLineFeed", "250-a\n250 b\n", {{"250-a", "250 b"}}},
    {"IncompleteLineWaits", "250 o", {}},
    {"IncompleteReplyWaits", "250-a\r\n250-b\r\n", {}},
    {"NulBytesDropped", std::string("25\0" "0 ok\r\n", 9), {{"250 ok"}}},
    {"DigitsWithoutDashEnd", "250 - ok\r\n", {{"250 - ok"}}},
    {"DashWithoutDigitsEnds", "-250 x\r\n", {{"-250 x"}}},
    {"AnyDigitCountContinues", "2-a\r\n25 b\r\n", {{"2-a", "25 b"}}},
    {"TextWithoutCodeEnds", "hello\r\n", {{"hello"}}},
    {"EmptyLineEnds", "\r\n", {{""}}},
};

INSTANTIATE_TEST_SUITE_P(All, ReplyReader, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A peer that never ends its line or its reply: TooLong one step past the
// limit, then the reader starts afresh.
TEST(ReplyReaderLimits, PastTheLimitIsTooLongAndForgotten) {
  const std::string longLine = "250-" + std::string(1000, 'x') + "\r\n";
  std::string manyLines, longLines;
  for (std::size_t i = 0; i < SmtpReplyReader::kMaxReplyLines; ++i) manyLines += "250-x\r\n";
  while (longLines.size() + longLine.size() < SmtpReplyReader::kMaxReplyBytes) longLines += longLine;
  const struct {
    const char* name;
    std::string atLimit;
    std::string past;
  } cases[] = {
      {"endless line", std::string(SmtpReplyReader::kMaxReplyBytes, 'x'), "y"},
      {"too many lines", manyLines, "250-x\r\n"},
      {"long lines add up", longLines, longLine},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SmtpReplyReader reader;
    SmtpReply reply;
    reader.append(c.atLimit);
    EXPECT_EQ(reader.next(reply), SmtpReplyReader::Result::NeedMore);
    reader.append(c.past);
    EXPECT_EQ(reader.next(reply), SmtpReplyReader::Result::TooLong);
    reader.append("250 ok\r\n");
    ASSERT_EQ(reader.next(reply), SmtpReplyReader::Result::Reply);
    EXPECT_EQ(reply.lines, Lines{"250 ok"});
  }
}

TEST(ReplyReaderLimits, ClearDropsAPartialReply) {
  SmtpReplyReader reader;
  SmtpReply reply;
  reader.append("250-a\r\n250-b");
  EXPECT_EQ(reader.next(reply), SmtpReplyReader::Result::NeedMore);
  reader.clear();
  reader.append("221 bye\r\n");
  ASSERT_EQ(reader.next(reply), SmtpReplyReader::Result::Reply);
  EXPECT_EQ(reply.lines, Lines{"221 bye"});
}

}  // namespace
}  // namespace orvel
