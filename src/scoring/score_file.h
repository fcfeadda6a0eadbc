#pragma once
// The score file: sections of rules that give each article a score. A
// section selects groups by a regular expression; each rule adds to (or
// sets) the score when its field tests match the article's overview fields
// or extra headers. The file is parsed into a list of sections whose regexes
// are compiled once per load; the parsed types keep the file's line numbers
// so an evaluation can say which lines decided a score.
//
// Loading stops at the first error, which is reported with the rest of the
// line and the line number, and leaves the list empty. Expired rules are
// either reported or removed from the file, which is then rewritten (a
// ".bak.ini" copy of the old one is kept).

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_format.h"
#include "core/perlre.h"

namespace orvel {

class Prompter;

enum class ScoreKey : std::uint8_t {
  Subject = 0,
  From = 1,
  MessageID = 3,
  Lines = 4,
  References = 5,
  XRef = 6,
  Bytes = 7,
  Header = 8,  // any other header, fetched with XHDR
};

struct TScoreField {
  ScoreKey keyType = ScoreKey::Subject;
  std::unique_ptr<TPerlre> regex;  // none for Lines and Bytes
  // What every match contains (lowered when caseless): a text without it is
  // turned down without the regex. Empty: none known.
  std::string literal;
  bool caseless = false;
  // Fields testing the same text for the same literal share a number, so
  // an article's text is searched for it once (-1: no literal).
  int literalId = -1;
  bool literalIsPattern = false;  // the pattern is plain text: its literal
  std::int32_t number = 0;
  bool invert = false;
  std::string headerName;  // ScoreKey::Header
  int line = 0;            // 1-based line in the file
  std::string text;        // the line as written, blanks trimmed
  bool limitReported = false;  // a match that gave up was reported once

  bool IsNumeric() const { return keyType == ScoreKey::Lines || keyType == ScoreKey::Bytes; }
};

struct TScoreTest {
  static constexpr std::uint8_t kAny = 1;     // one true field suffices ("Score::")
  static constexpr std::uint8_t kAssign = 2;  // the score replaces the total ("=")
  static constexpr std::uint8_t kPlay = 1;    // action: play the sound file

  std::int32_t score = 0;
  std::uint8_t flags = 0;
  std::uint8_t action = 0;
  std::string soundFile;
  std::vector<TScoreField> fields;
  int line = 0;  // its "Score:" line, 1-based
};

struct TScoreSection {
  std::string pattern;
  TPerlre groupRegex{true, TPerlre::kCaseless};
  bool invert = false;
  std::vector<TScoreTest> rules;
  int line = 0;  // its "[...]" line, 1-based
  bool limitReported = false;
};

// Sections are shared: a group view keeps those of its group while a reload
// replaces the application's list.
using ScoreSectionList = std::vector<std::shared_ptr<TScoreSection>>;

// Steps one match of a score regex may take before it gives up (as no match).
inline constexpr std::uint32_t kScoreMatchLimit = 200000;
inline constexpr std::uint32_t kScoreDepthLimit = 2000;

struct ScoreLoadOptions {
  int expiredScoreOpt = 0;  // 0 remove expired rules from the file, 1 keep and report
  std::tm today{};          // tm_year, tm_mon, tm_mday
  DateFormatSettings dates;
};

// What parsing a score file's text found.
struct ScoreParse {
  ScoreSectionList sections;
  std::string error;   // the status text of the first error; empty when none
  int errorLine = 0;   // 1-based
  // ExpiredScoreOpt 1: the 0-based indexes of the expired rules' "Expires:" lines.
  std::vector<int> expiredLines;
  // ExpiredScoreOpt 0: the lines to take out of the file.
  std::vector<bool> removedLines;
  // Sections that lost their last rule to expiry: index in sections and the
  // 0-based index of the header line.
  struct Emptied {
    std::size_t section;
    int headerLine;
  };
  std::vector<Emptied> emptied;

  bool ok() const { return error.empty(); }
  bool hasRemovals() const;
};

ScoreParse ParseScoreText(std::string_view text, const ScoreLoadOptions& options);

// The question asked when expiry empties a section.
std::string EmptiedSectionQuestion(std::string_view pattern);
// "Scores expirés, lignes : 3,9".
std::string ExpiredLinesText(const std::vector<int>& lines);

struct ScoreLoadResult {
  bool ok = true;
  std::string error;          // the load error's status text
  std::string expiredReport;  // ExpiredScoreOpt 1, when rules expired
  bool rewritten = false;     // expired rules were removed from the file
  std::string writeError;     // the rewrite failed (the file is untouched)
};

// Parses the file at path into sections (emptied first; left empty after an
// error). A missing file gives no rules. The error and the expired report
// go to the prompter's status; removing expired rules asks about each
// section it empties, then rewrites the file after a ".bak.ini" copy.
ScoreLoadResult LoadScoreFile(ScoreSectionList& sections, const std::string& path,
                              const ScoreLoadOptions& options, Prompter& prompter);

// The backup path of a score file: its extension replaced by ".bak.ini".
std::string ScoreBackupPath(const std::string& path);

// The two lines a new score file holds.
inline constexpr const char* kNewScoreFileText =
    "% des scores effectu\xC3\xA9s\n% Explications dans: \"scoring.txt\"\n";

}  // namespace orvel
