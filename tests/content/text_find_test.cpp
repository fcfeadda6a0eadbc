// Finding a regex in the viewer's text from the caret, and placing a match
// of the stored text in the shown text.

#include "content/text_find.h"

#include <gtest/gtest.h>

namespace orvel::test {
namespace {

std::string show(const std::optional<TextMatch>& m) {
  return m ? std::to_string(m->offset) + "+" + std::to_string(m->length) : "none";
}

TEST(FindFrom, SearchesFromTheCaretWithoutWrapping) {
  const struct {
    const char* name;
    const char* pattern;
    std::size_t caret;
    const char* found;
  } rows[] = {
      {"hit at the caret", "ab", 0, "0+2"},
      {"next hit after a selection", "ab", 2, "6+2"},
      {"only hits before the caret", "x", 4, "none"},
      {"no hit at all", "zz", 0, "none"},
      {"caret past the end", "ab", 99, "none"},
      {"caseless", "AB", 1, "6+2"},
  };
  const std::string text = "abx   ab";
  for (const auto& r : rows) {
    TPerlre re(true, TPerlre::kCaseless);
    re.Compile(r.pattern);
    EXPECT_EQ(show(FindFrom(re, text, r.caret)), r.found) << r.name;
  }
}

TEST(LocateMatch, PrefersTheHitWithTheSameTextElseTheFirst) {
  const struct {
    const char* name;
    const char* matched;
    const char* found;
  } rows[] = {
      {"same text later", "Foo", "8+3"},
      {"same text first", "foo", "0+3"},
      {"decoded differently", "f=6Fo", "0+3"},
  };
  const std::string shown = "foo bar Foo";
  for (const auto& r : rows) {
    TPerlre re(true, TPerlre::kCaseless);
    re.Compile("foo");
    EXPECT_EQ(show(LocateMatch(re, shown, r.matched)), r.found) << r.name;
  }
  TPerlre re(true, TPerlre::kCaseless);
  re.Compile("qux");
  EXPECT_EQ(show(LocateMatch(re, shown, "qux")), "none");
}

}  // namespace
}  // namespace orvel::test
