#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "posting/queued_text.h"

namespace orvel {

// Failures show the message as its queued text, plus what the text leaves out.
void PrintTo(const ComposeMessage& m, std::ostream* os) {
  *os << "\n" << BuildQueuedText(m, 0, 0).text;
  for (const PersonalHeader& h : m.personalHeaders) {
    *os << "\nrow " << h.on << " " << h.name << ": " << h.value;
  }
  *os << "\nserver " << m.server << ", sent " << m.mailSent << m.posted << ", modified "
      << m.modified << ", signature " << m.hasSignature;
}

namespace {

const DateTime kNow = *EncodeDateTime(2026, 12, 8, 10, 30, 5);

// Random messages over the inputs a queued text carries, within what the
// window lets through: no line breaks in header values, no TAB in the
// identity or file names, groups without ":".
class MessageMaker {
 public:
  explicit MessageMaker(unsigned seed) : rng_(seed) {}

  ComposeMessage Make() {
    ComposeMessage m;
    m.groups = Chance(4) ? Text(0) : Text(1);
    std::replace(m.groups.begin(), m.groups.end(), ':', ',');
    if (!m.groups.empty()) {
      m.server = Text(0) + (Chance(3) ? ":119" : "");
      m.followUp = Chance(2) ? Text(0) : "";
    }
    m.mailTo = Chance(2) ? Text(0) + " <a@b.c>" : "";
    m.post = Chance(2);
    m.mail = Chance(2);
    m.subject = Text(2);
    m.noArchive = Chance(2);
    m.newThread = Chance(2);
    m.references = Chance(2) ? "<1@x> <2@y>" : "";
    m.identity = {Text(0), Text(0), Text(0), Text(0), Text(0), Text(0), Text(0)};
    const char* rowNames[] = {"X-Face", "X-Url", "Mail-Copies-To", "Supersedes"};
    for (const char* name : rowNames) {
      if (Chance(2)) m.personalHeaders.push_back({Chance(2), name, Chance(3) ? "" : Text(2)});
    }
    for (int i = Pick(3); i > 0; --i) {
      m.manualHeaders.push_back("X-Manual-" + std::to_string(i) + ":" +
                                std::string(1 + Pick(2), ' ') + Text(2));
    }
    for (int i = Pick(4); i > 0; --i) {
      m.attachments.push_back(
          {"/tmp/f" + std::to_string(i) + Text(0), std::uint64_t(Pick(1 << 20))});
    }
    // The options travel with the attachments only.
    if (!m.attachments.empty())
      m.attachmentOptions = {static_cast<AttachmentMode>(Pick(4)), Chance(2), Chance(2), Chance(2),
                             Pick(1000000)};
    for (int i = Pick(6); i > 0; --i) m.body.push_back({Text(0), Chance(3)});
    if (!m.body.empty()) m.body.back() = {Text(1), false};
    m.keepCopy = Chance(2);
    m.wordWrap = Chance(2);
    return m;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool Chance(int oneIn) { return Pick(oneIn) == 0; }
  // Up to 12 characters, at least minLength, over a mix of the characters
  // a header value meets (blanks, separators, UTF-8).
  std::string Text(int minLength) {
    static const std::string kPieces[] = {"a", "Z", "9", " ",        ".", ",",  ";", "<", ">",
                                          "@", "-", "!", "\xC3\xA9", "%", "\"", "_", ":"};
    std::string s;
    for (int n = minLength + Pick(12); n > 0; --n) s += kPieces[Pick(std::size(kPieces))];
    return s;
  }
  std::mt19937 rng_;
};

TEST(ReadQueuedText, GivesBackTheMessageItWasBuiltFrom) {
  MessageMaker maker(17);
  for (int i = 0; i < 500; ++i) {
    const ComposeMessage m = maker.Make();
    std::map<std::string, std::uint64_t> sizes;
    for (const Attachment& a : m.attachments) sizes[a.path] = a.size;
    std::vector<PersonalHeader> configured = m.personalHeaders;
    for (PersonalHeader& row : configured) {
      if (row.on && !row.value.empty()) row = {false, row.name, ""};
    }
    const std::string text = BuildQueuedText(m, kNow, 0).text;
    ASSERT_TRUE(IsQueuedText(text)) << text;
    std::string error;
    const std::optional<ComposeMessage> back = ReadQueuedText(
        text, configured, [&](const std::string& p) { return sizes[p]; }, error);
    ASSERT_TRUE(back) << error << "\n" << text;
    EXPECT_EQ(*back, m) << "message " << i << ":\n" << text;
  }
}

struct ReopenCase {
  const char* name;
  std::string headers;  // before the empty line
  std::vector<PersonalHeader> configured;
  ComposeMessage expected;
};

void PrintTo(const ReopenCase& c, std::ostream* os) { *os << c.name; }

std::vector<ReopenCase> ReopenCases() {
  auto with = [](auto change) {
    ComposeMessage m;
    change(m);
    return m;
  };
  return {
      {"SentPartsAreNotWantedAgain", "X-Status: 31\r\n", {}, with([](ComposeMessage& m) {
         m.mailSent = m.posted = m.keepCopy = true;
       })},
      {"WantedPartsStillToSend", "X-Status: 69\r\n", {}, with([](ComposeMessage& m) {
         m.mail = m.post = m.newThread = true;
       })},
      {"SupersedesGetsItsRow", "Supersedes: <9@z>\r\n", {}, with([](ComposeMessage& m) {
         m.personalHeaders = {{true, "Supersedes", "<9@z>"}};
       })},
      {"HeaderFillsConfiguredRowAnyCase",
       "x-face: pic\r\nX-Other: v\r\n",
       {{false, "X-Face", ""}, {true, "X-Url", "u"}},
       with([](ComposeMessage& m) {
         m.personalHeaders = {{true, "X-Face", "pic"}, {false, "X-Url", "u"}};
         m.manualHeaders = {"X-Other: v"};
       })},
      {"NoArchiveOnlyForYes",
       "X-No-Archive: YES\r\nX-No-Archive: no\r\n",
       {},
       with([](ComposeMessage& m) {
         m.noArchive = true;
         m.manualHeaders = {"X-No-Archive: no"};
       })},
      {"FoldedLineAndBareLf",
       "Subject: a\n b\r\nNewsgroups: fr.x\n",
       {},
       with([](ComposeMessage& m) {
         m.subject = "a b";
         m.groups = "fr.x";
       })},
  };
}

class ReopenTest : public testing::TestWithParam<ReopenCase> {};

TEST_P(ReopenTest, RestoresTheInputs) {
  const ReopenCase& c = GetParam();
  std::string error;
  const std::optional<ComposeMessage> m =
      ReadQueuedText(c.headers + "\r\n", c.configured, nullptr, error);
  ASSERT_TRUE(m) << error;
  EXPECT_EQ(*m, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, ReopenTest, testing::ValuesIn(ReopenCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadQueuedText, RefusesWhatIsNotAQueuedMessage) {
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"Subject: x\r\nbody", "no empty line after the headers"},
      {"Subject x\r\n\r\n", "not a header line: Subject x"},
      {"X-Status: many\r\n\r\n", "X-Status is not a number: many"},
      {"X-ID: a\tb\r\n\r\n", "X-ID does not hold seven fields"},
      {"X-Attachments: 0;0;1;2;-1;-1\r\n\r\n", "unreadable X-Attachments: 0;0;1;2;-1;-1"},
      {"X-Attachments: 9;0;1;2;-1;-1\tf\r\n\r\n", "unreadable X-Attachments: 9;0;1;2;-1;-1\tf"},
      {"X-Attachments: 0;0;1\tf\r\n\r\n", "unreadable X-Attachments: 0;0;1\tf"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(IsQueuedText(c.text), c.text.starts_with("X-ID")) << c.text;
    EXPECT_FALSE(ReadQueuedText(c.text, {}, nullptr, error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace orvel
