#include "scoring/score_rule.h"

#include <cmath>
#include <ctime>

#include "articles/article.h"
#include "core/atomic_file.h"
#include "core/perlre.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr std::string_view kInvalidExpression = "Expression invalide";
constexpr std::string_view kCrlf = "\r\n";
constexpr const char* kFieldNames[kRuleFieldCount] = {"Subject", "From",  "References",
                                                      "XRef",    "Lines", "Message-ID"};

const char* fieldName(RuleField f) { return kFieldNames[static_cast<int>(f)]; }

bool inverted(MatchMode mode) {
  return mode == MatchMode::NotMatches || mode == MatchMode::NotMatchesCase;
}
bool caseSensitive(MatchMode mode) {
  return mode == MatchMode::MatchesCase || mode == MatchMode::NotMatchesCase;
}

// The subject without its "Re:" prefix and the blanks after it; empty when
// it has none.
std::string_view withoutRe(std::string_view subject) {
  if (!startsWithNoCase(subject, "Re:")) return {};
  return trimLeftView(subject.substr(3));
}

// The first Message-ID of References (the thread head), empty when none.
std::string threadHeadOf(std::string_view references) {
  TPerlre re;
  if (!re.CompileAndMatch("^\\s*(<[^>]+>)", references)) return {};
  return re.SubExp(1);
}

std::string domainOf(std::string_view messageId) {
  TPerlre re;
  if (!re.CompileAndMatch("@(.+)>", messageId)) return {};
  return re.SubExp(1);
}

std::string regexError(std::string_view pattern, bool caseSensitive) {
  TPerlre re(false, caseSensitive ? 0 : TPerlre::kCaseless);
  try {
    re.Compile(pattern);
  } catch (const EPerlRe& e) {
    return e.what();
  }
  return {};
}

std::string scoreText(const ScoreRule& rule) {
  switch (rule.choice) {
    case ScoreChoice::Kill: return "-9999";
    case ScoreChoice::Top: return "9999";
    case ScoreChoice::Value: break;
  }
  return std::to_string(rule.value);
}

std::string fieldLine(const ScoreRule& rule, RuleField f) {
  const RuleFieldChoice& c = rule.field(f);
  std::string line = inverted(c.mode) ? "~" : "";
  line += fieldName(f);
  if (f == RuleField::Lines) return line + ": " + c.value;
  line += caseSensitive(c.mode) ? "= " : ": ";
  return line + (f == RuleField::References ? ReferencesValue(rule) : c.value);
}

std::vector<std::string> linesOf(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  }
  return lines;
}

}  // namespace

RuleArticle RuleArticleOf(const TArticle& article) {
  RuleArticle a;
  a.subject = article.Subject.str();
  a.fromName = std::string(article.FromName());
  a.fromAddress = std::string(article.FromAddress());
  a.messageId = article.MessageID.str();
  a.references = article.References.str();
  a.xref = article.Xref.str();
  a.lines = article.Lines;
  return a;
}

std::string EscapeRegex(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

ScoreRule FillScoreRule(const RuleArticle& article, std::string_view group,
                        std::vector<std::string> sectionPatterns) {
  ScoreRule rule;
  rule.sections = std::move(sectionPatterns);
  rule.newSection = rule.sections.empty();
  rule.section = static_cast<int>(rule.sections.size()) - 1;
  rule.newPattern = "^" + EscapeRegex(group) + "$";

  const std::string_view bare = withoutRe(article.subject);
  auto& subject = rule.field(RuleField::Subject).offers;
  if (bare.empty()) {
    subject.push_back(EscapeRegex(article.subject));
  } else {
    subject.push_back(EscapeRegex(bare));
    subject.push_back(EscapeRegex(article.subject));
  }
  rule.field(RuleField::From).offers = {EscapeRegex(article.fromName),
                                        EscapeRegex(article.fromAddress)};
  rule.thisId = EscapeRegex(article.messageId);
  const std::string head = threadHeadOf(article.references);
  rule.headId = head.empty() ? rule.thisId : EscapeRegex(head);
  rule.field(RuleField::References).offers = {rule.thisId};
  if (!head.empty()) rule.field(RuleField::References).offers.push_back(rule.headId);
  for (const auto& word : splitChar(article.xref, ' ')) {
    if (!word.empty()) rule.field(RuleField::XRef).offers.push_back(EscapeRegex(word));
  }
  rule.field(RuleField::Lines).value = std::to_string(article.lines);
  auto& id = rule.field(RuleField::MessageID).offers;
  id.push_back(rule.thisId);
  if (const std::string domain = domainOf(article.messageId); !domain.empty()) {
    id.push_back(EscapeRegex(domain));
  }
  for (auto& f : rule.fields) {
    if (!f.offers.empty()) f.value = f.offers.front();
  }
  return rule;
}

std::string FieldError(const ScoreRule& rule, RuleField field) {
  const RuleFieldChoice& c = rule.field(field);
  if (field == RuleField::Lines) {
    return parseDecimal(trimView(c.value)) ? std::string() : std::string(kInvalidExpression);
  }
  const std::string value = field == RuleField::References ? ReferencesValue(rule) : c.value;
  // The score file refuses a field without a value.
  if (c.checked && value.empty()) return std::string(kInvalidExpression);
  return regexError(value, caseSensitive(c.mode));
}

std::string SectionError(const ScoreRule& rule) {
  if (!rule.newSection) return {};
  if (rule.newPattern.empty()) return std::string(kInvalidExpression);
  return regexError(rule.newPattern, false);
}

bool RuleIsValid(const ScoreRule& rule) {
  if (!SectionError(rule).empty()) return false;
  if (!rule.newSection && (rule.section < 0 || rule.section >= static_cast<int>(rule.sections.size()))) {
    return false;
  }
  for (int f = 0; f < kRuleFieldCount; ++f) {
    if (!FieldError(rule, static_cast<RuleField>(f)).empty()) return false;
  }
  return true;
}

std::string ReferencesValue(const ScoreRule& rule) {
  switch (rule.referencesSource) {
    case ReferencesSource::Edited: return rule.field(RuleField::References).value;
    case ReferencesSource::ThisArticle: return rule.thisId;
    case ReferencesSource::ThreadHead: return rule.headId;
    case ReferencesSource::OthersOfThread: return rule.thisId + "|" + rule.headId;
  }
  return {};
}

void ApplyPreset(ScoreRule& rule, RulePreset preset, std::string_view group) {
  const std::string pattern = "^" + EscapeRegex(group) + "$";
  rule.newSection = true;
  rule.newPattern = pattern;
  rule.allBut = false;
  for (std::size_t i = 0; i < rule.sections.size(); ++i) {
    if (rule.sections[i] == pattern) {
      rule.newSection = false;
      rule.section = static_cast<int>(i);
    }
  }
  rule.expires = true;
  rule.any = true;
  const bool kill = preset == RulePreset::KillThread || preset == RulePreset::KillFromHere;
  rule.choice = kill ? ScoreChoice::Kill : ScoreChoice::Top;
  const bool wholeThread =
      preset == RulePreset::KillThread || preset == RulePreset::MarkThreadImportant;
  rule.referencesSource = wholeThread ? ReferencesSource::ThreadHead : ReferencesSource::ThisArticle;
  for (auto& f : rule.fields) f.checked = false;
  for (RuleField f : {RuleField::References, RuleField::MessageID}) {
    rule.field(f).checked = true;
    rule.field(f).mode = MatchMode::Matches;
  }
  rule.field(RuleField::References).value = ReferencesValue(rule);
  rule.field(RuleField::MessageID).value = wholeThread ? rule.headId : rule.thisId;
}

std::string SectionHeader(const ScoreRule& rule) {
  if (rule.newSection) return (rule.allBut ? "[~" : "[") + rule.newPattern + "]";
  return "[" + rule.sections.at(static_cast<std::size_t>(rule.section)) + "]";
}

std::string RuleText(const ScoreRule& rule, RuleTextUse use, DateTime now,
                     const DateFormatSettings& formats) {
  const bool copy = use == RuleTextUse::Copy;
  std::string text;
  if (rule.newSection) {
    text = SectionHeader(rule);
  } else if (copy) {
    text = "%" + SectionHeader(rule);
  }
  if (copy) text += kCrlf;
  text += kCrlf;
  text += "    % Cr\u00e9\u00e9 par Orvel le:    " +
          formatDateTime("ddd dd mmm yyyy hh:nn:ss", TmOf(now), formats);
  text += kCrlf;
  text += std::string("    Score") + (rule.any ? ":: " : ": ") + (rule.assign ? "=" : "") +
          scoreText(rule);
  if (rule.expires) {
    text += kCrlf;
    text += "        Expires: " +
            formatDateTime(formats.shortDateFormat, TmOf(std::floor(now) + rule.days), formats);
  }
  for (int i = 0; i < kRuleFieldCount; ++i) {
    const auto f = static_cast<RuleField>(i);
    if (!rule.field(f).checked && !copy) continue;
    text += kCrlf;
    text += "        ";
    if (!rule.field(f).checked) text += '%';
    text += fieldLine(rule, f);
  }
  text += kCrlf;
  text += kCrlf;
  return text;
}

bool WriteRule(const std::string& path, const ScoreRule& rule, std::string_view ruleText,
               std::string* error) {
  std::string data;
  ReadWholeFile(path, data);
  std::vector<std::string> lines = linesOf(data);
  const std::vector<std::string> ruleLines = linesOf(ruleText);
  if (rule.newSection) {
    lines.insert(lines.end(), ruleLines.begin(), ruleLines.end());
  } else {
    const std::string header = SectionHeader(rule);
    auto at = lines.begin();
    while (at != lines.end() && !trimLeftView(*at).starts_with(header)) ++at;
    if (at == lines.end()) {
      lines.emplace_back();
      lines.push_back(header);
      at = lines.end();
    } else {
      ++at;
      while (at != lines.end() && !trimLeftView(*at).starts_with("[")) ++at;
    }
    lines.insert(at, ruleLines.begin(), ruleLines.end());
  }
  std::string out;
  for (const auto& line : lines) {
    out += line;
    out += kCrlf;
  }
  return SaveFileAtomically(path, out, error);
}

}  // namespace orvel
