#include "scoring/literal_set.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "articles/string_pool.h"
#include "scoring/author_literals.h"

namespace orvel {
namespace {

// The plain search the set must agree with: ASCII letters folded when
// caseless (the literal is lowered then).
bool contains(std::string_view text, std::string_view literal, bool caseless) {
  for (std::size_t at = 0; at + literal.size() <= text.size(); ++at) {
    std::size_t i = 0;
    while (i < literal.size() &&
           (caseless ? std::tolower(static_cast<unsigned char>(text[at + i])) : text[at + i]) ==
               literal[i]) {
      ++i;
    }
    if (i == literal.size()) return true;
  }
  return false;
}

struct SetCase {
  const char* name;
  bool caseless;
  std::vector<std::string> literals;
};

// Each literal at every offset, as it stands, in capitals, with its last
// byte changed, and where the bytes that bit 0x20 confuses stand in for its
// own; the shortest literal sets how many positions are skipped.
TEST(LiteralSet, FindsWhatAPlainSearchFinds) {
  const SetCase cases[] = {
      {"step one", true, {"ab", "abcdef", "zq"}},
      {"step two", true, {"a@b", "x[y", "mon", "money"}},
      {"step three", true, {"review0", "review1", "review", "free"}},
      {"step four", true, {"abcdefghij", "hijkl", "ghijk"}},
      {"case kept", false, {"Smith", "ith", "Kelvin"}},
  };
  for (const SetCase& c : cases) {
    LiteralSet set(c.caseless);
    for (std::size_t i = 0; i < c.literals.size(); ++i) set.Add(c.literals[i], i);
    std::vector<std::string> texts = {"", "a", "a`b x{y", "A@B", "MONEY!", "ReViEw2 fre",
                                      "abcdefghi jkl", "smith SMITH"};
    for (const std::string& literal : c.literals) {
      std::string upper = literal, changed = literal, confused = literal;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      changed.back() = changed.back() == 'q' ? 'r' : 'q';
      for (char& ch : confused) ch = ch == '@' ? '`' : ch == '[' ? '{' : ch;
      for (const std::string& form : {literal, upper, changed, confused}) {
        for (std::size_t offset = 0; offset < 6; ++offset) {
          texts.push_back(std::string(offset, '.') + form);
          texts.push_back(std::string(offset, '-') + form + "..........");
        }
      }
    }
    for (const std::string& text : texts) {
      BitWords found(1, 0), sure(1, 0);
      set.Find(text, found, sure);
      for (std::size_t i = 0; i < c.literals.size(); ++i) {
        const bool expected = contains(text, c.literals[i], c.caseless);
        EXPECT_EQ(TestBit(found, i), expected) << c.name << ": " << c.literals[i] << " in " << text;
        EXPECT_EQ(TestBit(sure, i), expected) << c.name << ": " << c.literals[i] << " in " << text;
      }
    }
  }
}

// An entry made for an author record is trusted only for the same name and
// address: a freed pool may put another author at the same place.
TEST(AuthorLiterals, TrustsOnlyTheSameNameAndAddress) {
  StringPool pool;
  const TAuthor* ann = pool.InternAuthor("Ann", "a@x");
  const TAuthor* bob = pool.InternAuthor("Bob", "b@x");
  AuthorLiterals cache(1);
  const BitWords found{0b01}, sure{0b10};
  cache.Store(ann, "Ann", "a@x", found, sure);
  struct Row {
    const TAuthor* author;
    const char* name;
    const char* address;
    bool known;
  } rows[] = {
      {ann, "Ann", "a@x", true},   {ann, "Anna", "@x", false}, {ann, "Ann", "b@x", false},
      {ann, "Bob", "a@x", false},  {bob, "Ann", "a@x", false},
  };
  for (const Row& row : rows) {
    const std::uint64_t* bits = cache.Lookup(row.author, row.name, row.address);
    ASSERT_EQ(bits != nullptr, row.known) << row.name << " " << row.address;
    if (bits) {
      EXPECT_EQ(bits[0], found[0]);
      EXPECT_EQ(bits[1], sure[0]);
    }
  }
}

}  // namespace
}  // namespace orvel
