#pragma once
// TPerlre: one compiled Perl-compatible pattern and one subject, walked match
// by match. Every regular expression of the program goes through it.
//
// Patterns run in PCRE2's UTF mode on UTF-8 subjects; a subject that is not
// valid UTF-8 (a Latin-1 article) is matched byte by byte instead, so its
// bytes never stop a match. The subject is not copied: the caller
// keeps it alive while matching. Compiling uses the JIT when it is available.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvel {

class EPerlRe : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPerlre {
 public:
  // Option bits of the program's files and settings.
  static constexpr std::uint32_t kCaseless = 0x1;
  static constexpr std::uint32_t kUngreedy = 0x200;
  // Room for the whole match and 13 sub-expressions.
  static constexpr int kMaxSubExps = 14;

  explicit TPerlre(bool study = true, std::uint32_t options = 0);
  ~TPerlre();
  TPerlre(TPerlre&&) noexcept;
  TPerlre& operator=(TPerlre&&) noexcept;
  TPerlre(const TPerlre&) = delete;
  TPerlre& operator=(const TPerlre&) = delete;

  // Compiles with the current options; raises EPerlRe "Perlre: " + the
  // library's message on a bad pattern (the object then has no pattern).
  void Compile(std::string_view pattern);
  void CompileIfChanged(std::string_view pattern);
  void SetCaseSensitive(std::string_view pattern, bool caseSensitive);

  std::uint32_t Options() const { return options_; }
  void SetOptions(std::uint32_t options) { options_ = options; }
  const std::string& Pattern() const { return pattern_; }
  bool IsCompiled() const;
  const std::string& ErrorText() const { return errorText_; }

  void SetSubject(std::string_view text);
  bool Match(std::string_view text, std::size_t startOffset = 0);
  // Match for a caller that already knows whether text is valid UTF-8 (it
  // matches many patterns against the same text).
  bool MatchChecked(std::string_view text, bool validUtf8);
  // Matches the text up to its first CR.
  bool MatchLine(std::string_view text);
  bool CompileAndMatch(std::string_view pattern, std::string_view text);
  bool SetOptionsCompileAndMatch(std::uint32_t options, std::string_view pattern,
                                 std::string_view text);
  // The next match from the end of the previous one (plus startOffset). A
  // match of zero length moves the walk on by one character.
  bool NextMatch(std::size_t startOffset = 0);

  // Position (1-based in the whole subject) and length of sub-expression i;
  // a sub-expression that took no part in the match gives (0, 0).
  std::pair<int, int> SubExpPos(int index) const;
  std::string SubExp(int index) const;
  std::string_view SubExpView(int index) const;
  // Number of sub-expressions of the last match (the whole match not counted).
  int SubExpCount() const;
  // The last exec result: captured pairs, or -1 before any match or after a failure.
  int ResultCount() const { return resultCount_; }

  // Bounds the work of one match (backtracking steps, and nesting depth of
  // the interpreter), so a pattern that backtracks catastrophically gives up
  // instead of hanging; 0 keeps the library's default. A match that gives up
  // counts as no match and is counted in LimitHits.
  void SetMatchLimits(std::uint32_t matchLimit, std::uint32_t depthLimit = 0);
  std::uint64_t LimitHits() const { return limitHits_; }

  // Appends to target the pieces of text between successive matches of the
  // pattern (trimmed with trim), then the rest when it is not empty.
  void Split(std::string_view pattern, std::string_view text, bool trim,
             std::vector<std::string>* target);

 private:
  struct Code;
  void checkSubExp(int index) const;
  void applyLimits();

  std::unique_ptr<Code> code_;
  std::string pattern_;
  std::string errorText_;
  std::string_view subject_;
  bool subjectIsUtf8_ = true;
  std::size_t matchStart_ = 0;
  std::size_t nextPos_ = 0;
  std::size_t ovector_[2 * kMaxSubExps] = {};
  int resultCount_ = -1;
  std::uint32_t options_ = 0;
  bool study_ = true;
  std::uint32_t matchLimit_ = 0;
  std::uint32_t depthLimit_ = 0;
  std::uint64_t limitHits_ = 0;
};

// The regex tester's matching: the result text ("** Match **" or "No match")
// and, on a match, one "%.2d) %s" line per sub-expression from 0 to the count.
struct RegexTestResult {
  std::string result;
  std::vector<std::string> lines;
};
RegexTestResult RunRegexTest(std::string_view pattern, std::string_view subject,
                             bool caseSensitive);

}  // namespace orvel
