// Header commands sent ahead of their replies: the same commands, articles
// and extra header values as one command at a time, and a download broken
// off resumes at the oldest reply that did not end.

#include "group_view_fixture.h"

namespace orvel::test {
namespace {

struct Outcome {
  std::vector<std::string> commands;  // XHDR and XOVER, in the order sent
  std::set<std::int32_t> numbers;
  std::size_t articles = 0;
  std::vector<std::string> extras;  // "n=X-A,X-B" for every number with values
  std::size_t largestBatch = 0;
};

class PipelineTest : public GroupViewTest, public ::testing::WithParamInterface<int> {
 protected:
  // A server of today that takes pipelined commands; read marks split the
  // group into five ranges, and two extra headers make each range three
  // commands.
  void SetUp() override {
    profile->extensions = true;
    profile->compress = false;
    profile->pipelining = GetParam();
    server.capabilities = {"VERSION 2", "READER"};
    FakeGroup group = MakeGroup(1, 400);
    group.missing = {5, 150, 151, 152, 399};
    server.groups["alt.test"] = group;
    for (int n = 1; n <= 400; n += 3) {
      server.headers["X-A:" + std::to_string(n)] = "a" + std::to_string(n);
      server.headers["X-B:" + std::to_string(n + 1)] = "b" + std::to_string(n + 1);
    }
    readMarks("21-50,81-130,200-260,301-330");
  }

  Outcome download() {
    TGroupView& v = open(OpenMode::StoredOnly);
    v.View().extraNames = {"X-A", "X-B"};
    v.Refresh();
    server.pump();
    return outcome();
  }

  Outcome outcome() const {
    Outcome o;
    for (const auto& c : server.commands) {
      if (c.rfind("X", 0) == 0 || c.rfind("OVER", 0) == 0 || c.rfind("HDR", 0) == 0) {
        o.commands.push_back(c);
      }
    }
    const auto all = numbers();
    o.articles = all.size();
    o.numbers = {all.begin(), all.end()};
    if (const auto* values = view->View().extraValues.get()) {
      for (int n = 1; n <= 400; ++n) {
        const auto* v = values->Find(std::to_string(n));
        if (!v) continue;
        std::string text = std::to_string(n) + "=";
        for (const auto& s : *v) text += s + ",";
        o.extras.push_back(text);
      }
    }
    o.largestBatch = server.largestBatch;
    return o;
  }
};

constexpr std::pair<int, int> kRanges[] = {{1, 20}, {51, 80}, {131, 199}, {261, 300}, {331, 400}};

std::vector<std::string> rangeCommands(int a, int b, const std::string& hdr = "XHDR",
                                       const std::string& over = "XOVER") {
  const std::string range = " " + std::to_string(a) + "-" + std::to_string(b);
  return {hdr + " X-A" + range, hdr + " X-B" + range, over + range};
}

std::vector<std::string> expectedCommands() {
  std::vector<std::string> out;
  for (const auto& [a, b] : kRanges) {
    for (auto& c : rangeCommands(a, b)) out.push_back(c);
  }
  return out;
}

std::set<std::int32_t> expectedNumbers() {
  std::set<std::int32_t> out;
  for (const auto& [a, b] : kRanges) {
    for (int n = a; n <= b; ++n) {
      if (n != 5 && (n < 150 || n > 152) && n != 399) out.insert(n);
    }
  }
  return out;
}

// Every number of the ranges the server has a value for, missing articles
// included: XHDR answers for them too.
std::vector<std::string> expectedExtras() {
  std::vector<std::string> out;
  for (const auto& [a, b] : kRanges) {
    for (int n = a; n <= b; ++n) {
      const std::string id = std::to_string(n);
      if (n % 3 == 1) out.push_back(id + "=a" + id + ",,");
      if (n % 3 == 2) out.push_back(id + "=,b" + id + ",");
    }
  }
  return out;
}

TEST_P(PipelineTest, SendsTheSameCommandsAndLoadsTheSameHeadersAtEveryDepth) {
  const Outcome o = download();
  EXPECT_EQ(o.largestBatch, static_cast<std::size_t>(std::min(GetParam(), 15)));
  EXPECT_EQ(o.commands, expectedCommands());
  EXPECT_EQ(o.numbers, expectedNumbers());
  EXPECT_EQ(o.articles, o.numbers.size());
  EXPECT_EQ(o.extras, expectedExtras());
  EXPECT_EQ(prompter.lastStatus(), kReadyText);
  EXPECT_FALSE(view->Slots().AnyTaken());
}

TEST_P(PipelineTest, AnOlderServerGetsOneCommandAtATime) {
  server.capabilities.clear();
  const Outcome o = download();
  EXPECT_EQ(o.largestBatch, 1u);
  EXPECT_EQ(o.commands, expectedCommands());
  EXPECT_EQ(o.numbers, expectedNumbers());
}

TEST_P(PipelineTest, ABreakResumesAtTheOldestUnfinishedReply) {
  bool cut = true;
  server.hook = [&](FakeTransport& t, const std::string& line) {
    if (line != "XOVER 51-80" || !cut) return FakeNewsServer::Action{};
    cut = false;
    std::string text = "224 follows\r\n";
    for (int n = 51; n <= 60; ++n) text += FakeOverviewLine("alt.test", n) + "\r\n";
    t.receive(text);
    return FakeNewsServer::Action{FakeNewsServer::Action::Reset, {}};
  };
  download();
  clock.advance(20000);
  server.pump();
  const Outcome o = outcome();
  EXPECT_EQ(o.numbers, expectedNumbers());
  EXPECT_EQ(o.articles, o.numbers.size());
  // What was sent behind the broken reply is asked again after it.
  std::vector<std::string> expected = expectedCommands();
  const auto resumed = rangeCommands(61, 80);
  expected.insert(expected.begin() + 6, resumed.begin(), resumed.end());
  EXPECT_EQ(o.commands, expected);
  EXPECT_EQ(prompter.lastStatus(), kReadyText);
}

// Pipelined by OVER and HDR, ranges are cut into pieces; a piece without
// articles (331-370) is refused with 423, which reads as an empty list.
TEST_P(PipelineTest, ByOverAndHdrPipelinedRangesAreCutIntoPieces) {
  options.download.pipelinedRange = 40;
  server.capabilities.insert(server.capabilities.end(), {"OVER", "HDR"});
  for (int n = 331; n <= 370; ++n) server.groups["alt.test"].missing.insert(n);
  const Outcome o = download();
  std::vector<std::string> expected;
  for (const auto& [a, b] : kRanges) {
    const int piece = GetParam() > 1 ? 40 : b - a + 1;
    for (int first = a; first <= b; first += piece) {
      for (auto& c : rangeCommands(first, std::min(first + piece - 1, b), "HDR", "OVER")) {
        expected.push_back(c);
      }
    }
  }
  EXPECT_EQ(o.commands, expected);
  std::set<std::int32_t> numbers = expectedNumbers();
  std::erase_if(numbers, [](std::int32_t n) { return n >= 331 && n <= 370; });
  EXPECT_EQ(o.numbers, numbers);
  EXPECT_EQ(o.extras, expectedExtras());
  EXPECT_EQ(prompter.lastStatus(), kReadyText);
}

// The refusal of a range without articles by XOVER or XHDR is an error:
// ranges stay whole where the server lacks OVER, or HDR for extra headers.
TEST_P(PipelineTest, ByXoverRangesStayWhole) {
  options.download.pipelinedRange = 40;
  open(OpenMode::StoredOnly).Refresh();
  server.pump();
  std::vector<std::string> expected;
  for (const auto& [a, b] : kRanges) expected.push_back(rangeCommands(a, b).back());
  EXPECT_EQ(outcome().commands, expected);
}

TEST_P(PipelineTest, WithoutHdrRangesStayWhole) {
  options.download.pipelinedRange = 40;
  server.capabilities.push_back("OVER");
  const Outcome o = download();
  std::vector<std::string> expected;
  for (const auto& [a, b] : kRanges) {
    for (auto& c : rangeCommands(a, b, "XHDR", "OVER")) expected.push_back(c);
  }
  EXPECT_EQ(o.commands, expected);
  EXPECT_EQ(o.numbers, expectedNumbers());
}

// The limit counts headers that arrived, and some numbers of a range may be
// missing: ranges go out ahead only as far as the limit reaches, and the
// download still ends with exactly the first headers up to it.
TEST_P(PipelineTest, UnderALimitRangesGoAheadOnlyWithinIt) {
  options.download.pipelinedRange = 40;
  server.capabilities.push_back("OVER");
  TGroupView& v = open(OpenMode::StoredOnly);
  v.Download().SetLimits(100, -1);
  prompter.answer(Button::No);  // keeps the stored headers, of which there are none
  v.Refresh();
  server.pump();
  const Outcome o = outcome();
  std::set<std::int32_t> first100;
  for (std::int32_t n : expectedNumbers()) {
    if (first100.size() < 100) first100.insert(n);
  }
  EXPECT_EQ(o.numbers, first100);
  EXPECT_EQ(o.articles, 100u);
  // 1-20, 51-80, 131-170 and 171-180 ask for the limit's 100 numbers.
  EXPECT_EQ(o.largestBatch, static_cast<std::size_t>(std::min(GetParam(), 4)));
}

INSTANTIATE_TEST_SUITE_P(Depths, PipelineTest, ::testing::Values(1, 2, 4, 16));

}  // namespace
}  // namespace orvel::test
