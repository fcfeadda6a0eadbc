#include "scoring/score_file.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <tuple>

#include "core/atomic_file.h"
#include "core/prompter.h"
#include "core/text.h"
#include "scoring/required_literal.h"

namespace orvel {

namespace {

constexpr std::string_view kCreatedMark = "% Cr\xC3\xA9\xC3\xA9 par Orvel    ";

struct KeyName {
  std::string_view name;
  ScoreKey key;
};
// Tried in this order, so "XRef" is not mistaken for a header.
constexpr KeyName kKeyNames[] = {
    {"Subject", ScoreKey::Subject},       {"From", ScoreKey::From},
    {"Lines", ScoreKey::Lines},           {"Bytes", ScoreKey::Bytes},
    {"References", ScoreKey::References}, {"XRef", ScoreKey::XRef},
    {"Message-ID", ScoreKey::MessageID},
};

bool isBlankChar(char c) { return c == ' ' || c == '\t'; }

std::string_view skipBlanks(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && isBlankChar(s[i])) ++i;
  return s.substr(i);
}

bool isEmptyLine(std::string_view line) { return skipBlanks(line).empty(); }

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

struct ParseError {
  const char* message;
  std::string_view rest;
};

class Parser {
 public:
  Parser(std::string_view text, const ScoreLoadOptions& options)
      : lines_(splitLines(text)), options_(options) {
    out_.removedLines.assign(lines_.size(), false);
  }

  ScoreParse Run() {
    for (index_ = 0; index_ < static_cast<int>(lines_.size()); ++index_) {
      if (auto error = parseLine(skipBlanks(lines_[index_]))) {
        out_.error = std::string(error->message) + " \"" + std::string(error->rest) +
                     "\" ligne   " + std::to_string(index_ + 1);
        out_.errorLine = index_ + 1;
        out_.sections.clear();
        out_.emptied.clear();
        return std::move(out_);
      }
    }
    finishRule();
    finishSection();
    return std::move(out_);
  }

 private:
  std::optional<ParseError> parseLine(std::string_view p) {
    if (p.empty() || p[0] == '%') return std::nullopt;
    if (p[0] == '[') {
      finishRule();
      finishSection();
      return parseSection(p.substr(1));
    }
    if (startsWithNoCase(p, "Score:")) {
      finishRule();
      if (!section_) return ParseError{"Expecting new section; found", p};
      return parseScore(p.substr(6));
    }
    if (rule_ && rule_->fields.empty() && !ruleExpired_) {
      if (startsWithNoCase(p, "action:")) return parseAction(p.substr(7));
      if (startsWithNoCase(p, "Expires:")) return parseExpires(p.substr(8));
    }
    if (!rule_) return ParseError{"Nouveau score trouv\xC3\xA9      ", p};
    ruleLastLine_ = index_;
    if (ruleExpired_) return std::nullopt;
    return parseField(p);
  }

  std::optional<ParseError> parseSection(std::string_view p) {
    auto section = std::make_shared<TScoreSection>();
    if (!p.empty() && p[0] == '~') {
      section->invert = true;
      p.remove_prefix(1);
    }
    const std::size_t close = p.rfind(']');
    if (close == std::string_view::npos) return ParseError{"Expecting \"[group_expr]\"; found", p};
    section->pattern = std::string(p.substr(0, close));
    try {
      section->groupRegex.Compile(section->pattern);
    } catch (const EPerlRe&) {
      return ParseError{"Expression invalide     ", p.substr(0, close)};
    }
    section->groupRegex.SetMatchLimits(kScoreMatchLimit, kScoreDepthLimit);
    section->line = index_ + 1;
    out_.sections.push_back(std::move(section));
    section_ = out_.sections.back().get();
    sectionHeader_ = index_;
    sectionLostRules_ = false;
    return std::nullopt;
  }

  std::optional<ParseError> parseScore(std::string_view p) {
    TScoreTest rule;
    if (!p.empty() && p[0] == ':') {
      rule.flags |= TScoreTest::kAny;
      p.remove_prefix(1);
    }
    p = skipBlanks(p);
    if (!p.empty() && p[0] == '=') {
      rule.flags |= TScoreTest::kAssign;
      p = skipBlanks(p.substr(1));
    }
    const auto value = parseDecimal(trimRightView(p));
    if (!value || *value < INT32_MIN || *value > INT32_MAX) {
      return ParseError{"Expression invalide    ", p};
    }
    rule.score = static_cast<std::int32_t>(*value);
    rule.line = index_ + 1;
    rule_ = std::move(rule);
    ruleExpired_ = false;
    ruleStart_ = ruleLastLine_ = index_;
    return std::nullopt;
  }

  std::optional<ParseError> parseAction(std::string_view p) {
    ruleLastLine_ = index_;
    p = skipBlanks(p);
    std::size_t end = 0;
    while (end < p.size() && !isBlankChar(p[end])) ++end;
    if (equalsNoCase(p.substr(0, end), "play")) {
      rule_->action = TScoreTest::kPlay;
      rule_->soundFile = trim(p.substr(end));
    }
    return std::nullopt;
  }

  std::optional<ParseError> parseExpires(std::string_view p) {
    ruleLastLine_ = index_;
    p = skipBlanks(p);
    const auto date = parseShortDate(trimRightView(p), options_.dates);
    if (!date) return ParseError{"Date invalide          ", p};
    const std::tm& today = options_.today;
    if (std::tie(today.tm_year, today.tm_mon, today.tm_mday) >=
        std::tie(date->tm_year, date->tm_mon, date->tm_mday)) {
      ruleExpired_ = true;
      if (options_.expiredScoreOpt == 1) out_.expiredLines.push_back(index_);
    }
    return std::nullopt;
  }

  std::optional<ParseError> parseField(std::string_view p) {
    TScoreField field;
    field.line = index_ + 1;
    field.text = std::string(trimRightView(p));
    if (!p.empty() && p[0] == '~') {
      field.invert = true;
      p = skipBlanks(p.substr(1));
    }
    std::size_t nameEnd = std::string_view::npos;
    for (const KeyName& k : kKeyNames) {
      if (!startsWithNoCase(p, k.name)) continue;
      const std::string_view after = skipBlanks(p.substr(k.name.size()));
      if (!after.empty() && (after[0] == ':' || after[0] == '=')) {
        field.keyType = k.key;
        nameEnd = p.size() - after.size();
        break;
      }
    }
    if (nameEnd == std::string_view::npos) {
      nameEnd = p.find_first_of(":=");
      const std::string_view name = trimRightView(p.substr(0, nameEnd));
      if (nameEnd == std::string_view::npos || name.empty()) {
        return ParseError{"Expression invalide    ", p};
      }
      field.keyType = ScoreKey::Header;
      field.headerName = std::string(name);
    }
    const bool caseless = p[nameEnd] == ':';
    const std::string_view value = skipBlanks(p.substr(nameEnd + 1));
    if (value.empty()) return ParseError{"Expression invalide    ", value};
    if (field.IsNumeric()) {
      const auto number = parseDecimal(trimRightView(value));
      if (!number || *number < INT32_MIN || *number > INT32_MAX) {
        return ParseError{"Expression invalide    ", value};
      }
      field.number = static_cast<std::int32_t>(*number);
    } else {
      field.regex = std::make_unique<TPerlre>(true, caseless ? TPerlre::kCaseless : 0);
      try {
        field.regex->Compile(value);
      } catch (const EPerlRe&) {
        return ParseError{"Expression invalide    ", value};
      }
      field.regex->SetMatchLimits(kScoreMatchLimit, kScoreDepthLimit);
      field.caseless = caseless;
      field.literal = RequiredLiteral(value, caseless);
      // Every character of the pattern is in its literal only when it is
      // plain text: finding the literal is then a match.
      field.literalIsPattern = !field.literal.empty() && field.literal.size() == value.size();
    }
    rule_->fields.push_back(std::move(field));
    return std::nullopt;
  }

  void finishRule() {
    if (!rule_) return;
    if (ruleExpired_) {
      sectionLostRules_ = true;
      if (options_.expiredScoreOpt == 0) removeExpired();
    } else if (!rule_->fields.empty()) {
      section_->rules.push_back(std::move(*rule_));
    }
    rule_.reset();
  }

  // The rule's lines, the rule builder's mark line above it, and the empty
  // lines above those.
  void removeExpired() {
    for (int i = ruleStart_; i <= ruleLastLine_; ++i) out_.removedLines[i] = true;
    int above = ruleStart_ - 1;
    if (above >= 0 && lines_[above].find(kCreatedMark) != std::string_view::npos) {
      out_.removedLines[above--] = true;
    }
    removeEmptyAbove(above);
  }

  void removeEmptyAbove(int i) {
    for (; i >= 0 && isEmptyLine(lines_[i]); --i) out_.removedLines[i] = true;
  }

  void finishSection() {
    if (!section_) return;
    if (options_.expiredScoreOpt == 0 && sectionLostRules_ && section_->rules.empty()) {
      out_.emptied.push_back({out_.sections.size() - 1, sectionHeader_});
    }
    section_ = nullptr;
  }

  std::vector<std::string_view> lines_;
  const ScoreLoadOptions& options_;
  ScoreParse out_;
  int index_ = 0;
  TScoreSection* section_ = nullptr;
  int sectionHeader_ = 0;
  bool sectionLostRules_ = false;
  std::optional<TScoreTest> rule_;  // from its "Score:" line to the next rule or section
  bool ruleExpired_ = false;
  int ruleStart_ = 0;
  int ruleLastLine_ = 0;
};

// The kept lines, each ended as the file ended its first line.
std::string keptText(std::string_view text, const std::vector<std::string_view>& lines,
                     const std::vector<bool>& removed) {
  const std::size_t firstEnd = text.find('\n');
  const std::string eol = firstEnd != std::string_view::npos && firstEnd > 0 &&
                                  text[firstEnd - 1] == '\r'
                              ? "\r\n"
                              : "\n";
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (removed[i]) continue;
    out.append(lines[i]);
    out += eol;
  }
  return out;
}

}  // namespace

bool ScoreParse::hasRemovals() const {
  return std::find(removedLines.begin(), removedLines.end(), true) != removedLines.end();
}

namespace {

void numberLiterals(ScoreSectionList& sections) {
  std::map<std::tuple<ScoreKey, bool, std::string_view>, int> ids;
  for (const auto& section : sections) {
    for (TScoreTest& rule : section->rules) {
      for (TScoreField& field : rule.fields) {
        if (field.literal.empty()) continue;
        const auto key = std::make_tuple(field.keyType, field.caseless, std::string_view(field.literal));
        field.literalId = ids.try_emplace(key, static_cast<int>(ids.size())).first->second;
      }
    }
  }
}

}  // namespace

ScoreParse ParseScoreText(std::string_view text, const ScoreLoadOptions& options) {
  ScoreParse parse = Parser(text, options).Run();
  numberLiterals(parse.sections);
  return parse;
}

std::string EmptiedSectionQuestion(std::string_view pattern) {
  return "Section Score:[" + std::string(pattern) +
         "]  vid\xC3\xA9" "e.      \r\nVoulez-vous la supprimer?";
}

std::string ExpiredLinesText(const std::vector<int>& lines) {
  std::string out = "Scores expir\xC3\xA9s, lignes : ";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += ',';
    out += std::to_string(lines[i]);
  }
  return out;
}

std::string ScoreBackupPath(const std::string& path) {
  return std::filesystem::path(path).replace_extension(".bak.ini").string();
}

ScoreLoadResult LoadScoreFile(ScoreSectionList& sections, const std::string& path,
                              const ScoreLoadOptions& options, Prompter& prompter) {
  sections.clear();
  ScoreLoadResult result;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return result;
  std::string text;
  if (!ReadWholeFile(path, text)) {
    result.ok = false;
    result.error = "Impossible de lire " + path;
    prompter.status(result.error);
    return result;
  }
  ScoreParse parse = ParseScoreText(text, options);
  if (!parse.ok()) {
    result.ok = false;
    result.error = parse.error;
    prompter.status(result.error);
    return result;
  }
  if (!parse.expiredLines.empty()) {
    result.expiredReport = ExpiredLinesText(parse.expiredLines);
    prompter.status(result.expiredReport);
  }
  const std::vector<std::string_view> lines = splitLines(text);
  // Dropped from the back so the indexes of the others stay valid.
  for (auto it = parse.emptied.rbegin(); it != parse.emptied.rend(); ++it) {
    if (prompter.ask(EmptiedSectionQuestion(parse.sections[it->section]->pattern), kYesNo) !=
        Button::Yes) {
      continue;
    }
    parse.removedLines[it->headerLine] = true;
    for (int i = it->headerLine - 1; i >= 0 && isEmptyLine(lines[i]); --i) {
      parse.removedLines[i] = true;
    }
    parse.sections.erase(parse.sections.begin() + static_cast<std::ptrdiff_t>(it->section));
  }
  if (parse.hasRemovals()) {
    std::filesystem::copy_file(path, ScoreBackupPath(path),
                               std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
      result.writeError = ScoreBackupPath(path) + ": " + ec.message();
    } else if (SaveFileAtomically(path, keptText(text, lines, parse.removedLines),
                                  &result.writeError)) {
      result.rewritten = true;
    }
    if (!result.writeError.empty()) prompter.message(result.writeError, MessageKind::Error);
  }
  sections = std::move(parse.sections);
  return result;
}

}  // namespace orvel
