#include "core/wrap_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace orvel {
namespace {

struct WrapCase {
  const char* name;
  std::string input;
  bool join;
  int width;
  std::string expected;
};

class WrapTextTest : public testing::TestWithParam<WrapCase> {};

TEST_P(WrapTextTest, Wraps) {
  const WrapCase& c = GetParam();
  EXPECT_EQ(WrapText(c.input, c.join, c.width), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapTextTest,
    testing::Values(
        WrapCase{"LineOfExactlyWidthStays", "abcdefgh\r\nxy", false, 8, "abcdefgh\r\nxy"},
        WrapCase{"QuotedWordsBreakWithPrefix", "> aaaa bbbb", false, 8, "> aaaa\r\n> bbbb "},
        WrapCase{"LongWordCutHardAtWidthPlusOne", "> abcdefghijkl", false, 8,
                 "> abcdefg\r\n> hijkl "},
        WrapCase{"BreakLeavingOneCharacterCutsHard", "a bbbbbbbbbb", false, 8,
                 "a bbbbbbb\r\nbbb "},
        WrapCase{"JoinMakesOneLine", "> one\r\n> two", true, 72, "> one two "},
        WrapCase{"WithoutJoinShortLinesStay", "> one\r\n> two", false, 72, "> one\r\n> two"},
        WrapCase{"OverflowFlowsIntoNextLine", "aaa bbb ccc\r\nddd", false, 8,
                 "aaa bbb\r\nccc ddd"},
        WrapCase{"PrefixOnlyLineSeparates", "> aa\r\n>\r\n> bb", true, 72,
                 "> aa \r\n>\r\n> bb "},
        WrapCase{"IndentedLineNotJoined", "text\r\n  indented", true, 72,
                 "text \r\n  indented "},
        WrapCase{"EmptyLineIsParagraphBreak", "a\r\nb\r\n\r\nc\r\n", true, 72, "a b \r\n\r\nc "},
        WrapCase{"TrailingEmptyLineKept", "abc\r\n\r\n", false, 72, "abc\r\n\r\n"},
        WrapCase{"ColumnsCountCharacters", "\xC2\xBB \xC3\xA9\xC3\xA9 \xC3\xA0\xC3\xA0", false, 5,
                 "\xC2\xBB \xC3\xA9\xC3\xA9\r\n\xC2\xBB \xC3\xA0\xC3\xA0 "},
        WrapCase{"DeeperPrefixStartsNewLine", "> a\r\n>> b\r\n> c", true, 72,
                 "> a \r\n>> b \r\n> c "},
        WrapCase{"WidthBelowPrefixStillEnds", ">>>> abc", false, 2,
                 ">>>> a\r\n>>>> b\r\n>>>> c"}),
    [](const testing::TestParamInfo<WrapCase>& info) { return std::string(info.param.name); });

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

// The characters of the text after each line's prefix, blanks left out.
std::string TextCharacters(const std::string& text) {
  const QuoteMarks marks;
  std::string kept;
  for (const std::string& line : Lines(text)) {
    for (char c : line.substr(marks.PrefixLength(line, kMaxWrapPrefix))) {
      if (c != ' ') kept += c;
    }
  }
  return kept;
}

// Lines without trailing blanks: a join leaves a space at the end of a line
// whose next word did not fit.
std::vector<std::string> TrimmedLines(const std::string& text) {
  std::vector<std::string> lines = Lines(text);
  for (std::string& line : lines) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
  }
  return lines;
}

std::size_t Characters(const std::string& line) {
  std::size_t count = 0;
  for (unsigned char c : line) count += (c & 0xC0) != 0x80;
  return count;
}

std::string RandomText(std::mt19937& random, int width) {
  const std::vector<std::string> prefixes = {"", "> ", ">> ", "  ", "\xC2\xBB ", "> > "};
  const std::vector<std::string> letters = {"a", "b", "z", "\xC3\xA9", "Q"};
  std::string text;
  const int lines = std::uniform_int_distribution<int>(1, 12)(random);
  for (int i = 0; i < lines; ++i) {
    if (i > 0) text += "\r\n";
    text += prefixes[random() % prefixes.size()];
    const int words = std::uniform_int_distribution<int>(0, 14)(random);
    for (int w = 0; w < words; ++w) {
      if (w > 0) text += ' ';
      // Mostly short words, now and then one longer than the line.
      const int length = random() % 10 == 0 ? width + 3 : 1 + static_cast<int>(random() % 7);
      for (int k = 0; k < length; ++k) text += letters[random() % letters.size()];
    }
  }
  return text;
}

TEST(WrapTextProperty, StableBoundedAndLossless) {
  std::mt19937 random(1717);
  for (int round = 0; round < 3000; ++round) {
    const int width = std::uniform_int_distribution<int>(12, 40)(random);
    const bool join = round % 2 == 0;
    const std::string input = RandomText(random, width);
    const std::string wrapped = WrapText(input, join, width);
    SCOPED_TRACE(testing::Message() << "width " << width << " join " << join << "\n" << input);
    EXPECT_EQ(TrimmedLines(WrapText(wrapped, join, width)), TrimmedLines(wrapped));
    for (const std::string& line : TrimmedLines(wrapped)) {
      EXPECT_LE(Characters(line), static_cast<std::size_t>(width) + 1) << line;
    }
    EXPECT_EQ(TextCharacters(wrapped), TextCharacters(input));
  }
}

}  // namespace
}  // namespace orvel
