// Article files as a batch sees them: a bare encoded body is told from an
// article by its first line, and the part counter comes from the subject,
// the message/partial parameters or the "=ybegin" line.

#include "content/article_files.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

struct BodyCase {
  const char* name;
  const char* text;
  bool bare;
  friend void PrintTo(const BodyCase& c, std::ostream* os) { *os << c.name; }
};

class BareBodies : public ::testing::TestWithParam<BodyCase> {};

TEST_P(BareBodies, FirstLineDecides) { EXPECT_EQ(IsBareBody(GetParam().text), GetParam().bare); }

INSTANTIATE_TEST_SUITE_P(
    Table, BareBodies,
    ::testing::Values(BodyCase{"Uuencode", "begin 644 a.bin\nM86)C\n`\nend\n", true},
                      BodyCase{"YEnc", "=ybegin part=1 line=128 size=3 name=a: b.bin\r\n", true},
                      BodyCase{"UuenviewSectionLines", "\n_=_ \n_=_ Part 001 of 003\n", true},
                      BodyCase{"BlankLinesThenUuencode", "\r\n\r\nbegin 644 a\r\n", true},
                      BodyCase{"WordsBeforeAColon", "Part 1: the data\n", true},
                      BodyCase{"Article", "Subject: x\r\nFrom: y\r\n\r\nbody\r\n", false},
                      BodyCase{"HeaderWithoutBlank", "X-Y:z\n\nbody\n", false},
                      BodyCase{"BlankLinesThenHeaders", "\n\nSubject: x\n\nbody\n", false},
                      BodyCase{"MailboxFromLine", "From jo@example.org Sun Dec  6 12:00:00 2026\n"
                                                  "Subject: x\n\nbody\n",
                               false},
                      BodyCase{"Empty", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct PartCase {
  const char* name;
  const char* subject;
  const char* text;
  bool headerless;
  int number;
  int total;
  const char* series;
  friend void PrintTo(const PartCase& c, std::ostream* os) { *os << c.name; }
};

class PartCounters : public ::testing::TestWithParam<PartCase> {};

TEST_P(PartCounters, AreFound) {
  const PartCase& c = GetParam();
  const ArticlePart part = ArticlePartOf(c.subject, c.text, c.headerless);
  EXPECT_EQ(part.number, c.number);
  EXPECT_EQ(part.total, c.total);
  EXPECT_EQ(part.series, c.series);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PartCounters,
    ::testing::Values(
        PartCase{"Subject", "pics - a.jpg (02/13)", "", false, 2, 13, "pics - a.jpg (~~/13)"},
        PartCase{"Partial", "a file",
                 "Content-Type: message/partial; id=\"x\"; number=3; total=4\r\n\r\n", false, 3, 4,
                 ""},
        PartCase{"YBegin", "", "=ybegin part=5 total=9 line=128 size=9 name=x\r\n", true, 5, 9, ""},
        PartCase{"YBeginWithoutTotal", "", "=ybegin part=2 line=128 size=9 name=x\r\n", true, 2, -1,
                 ""},
        PartCase{"HugeNumberIsNone", "", "=ybegin part=99999999999 size=9 name=x\r\n", true, -1, -1,
                 ""},
        PartCase{"Nothing", "hello", "Subject: hello\r\n\r\ntext\r\n", false, -1, -1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
