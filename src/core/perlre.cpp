#include "core/perlre.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include "core/charset.h"
#include "core/text.h"

namespace orvel {

// The pattern compiled for UTF-8 subjects and, on first need, for subjects
// that are not valid UTF-8 (Latin-1 articles), where each byte is a character.
struct TPerlre::Code {
  pcre2_code* code = nullptr;
  pcre2_code* byteCode = nullptr;
  bool byteCodeTried = false;
  pcre2_match_data* matchData = nullptr;
  pcre2_match_context* context = nullptr;  // only with limits set

  ~Code() {
    pcre2_match_context_free(context);
    pcre2_match_data_free(matchData);
    pcre2_code_free(byteCode);
    pcre2_code_free(code);
  }
};

namespace {

std::uint32_t pcreOptions(std::uint32_t options, bool utf) {
  std::uint32_t out = utf ? PCRE2_UTF | PCRE2_MATCH_INVALID_UTF : 0;
  if (options & TPerlre::kCaseless) out |= PCRE2_CASELESS;
  if (options & TPerlre::kUngreedy) out |= PCRE2_UNGREEDY;
  return out;
}

std::string errorMessage(int code) {
  PCRE2_UCHAR buffer[256];
  const int n = pcre2_get_error_message(code, buffer, sizeof buffer);
  return n > 0 ? std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n))
               : std::string("unknown error");
}

// Length of the character at pos, so an empty match moves on by a whole
// UTF-8 character when the text is valid there, else by one byte.
std::size_t charLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t n = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
  if (pos + n > text.size()) return 1;
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

pcre2_code* compileCode(const std::string& pattern, std::uint32_t options, bool utf,
                        int* errorCode, bool jit) {
  PCRE2_SIZE errorOffset = 0;
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   pcreOptions(options, utf), errorCode, &errorOffset, nullptr);
  if (code && jit) pcre2_jit_compile(code, PCRE2_JIT_COMPLETE);  // failure: interpreted matching
  return code;
}

}  // namespace

TPerlre::TPerlre(bool study, std::uint32_t options) : options_(options), study_(study) {}
TPerlre::~TPerlre() = default;
TPerlre::TPerlre(TPerlre&&) noexcept = default;
TPerlre& TPerlre::operator=(TPerlre&&) noexcept = default;

bool TPerlre::IsCompiled() const { return code_ != nullptr; }

void TPerlre::Compile(std::string_view pattern) {
  pattern_ = std::string(pattern);
  code_.reset();
  int errorCode = 0;
  pcre2_code* code = compileCode(pattern_, options_, true, &errorCode, study_);
  subject_ = {};
  subjectIsUtf8_ = true;
  matchStart_ = nextPos_ = 0;
  resultCount_ = -1;
  if (!code) {
    errorText_ = errorMessage(errorCode);
    throw EPerlRe("Perlre: " + errorText_);
  }
  errorText_.clear();
  code_ = std::make_unique<Code>();
  code_->code = code;
  code_->matchData = pcre2_match_data_create(kMaxSubExps, nullptr);
  applyLimits();
}

void TPerlre::applyLimits() {
  if (!code_) return;
  if (!matchLimit_ && !depthLimit_) {
    pcre2_match_context_free(code_->context);
    code_->context = nullptr;
    return;
  }
  if (!code_->context) code_->context = pcre2_match_context_create(nullptr);
  if (matchLimit_) pcre2_set_match_limit(code_->context, matchLimit_);
  if (depthLimit_) pcre2_set_depth_limit(code_->context, depthLimit_);
}

void TPerlre::SetMatchLimits(std::uint32_t matchLimit, std::uint32_t depthLimit) {
  matchLimit_ = matchLimit;
  depthLimit_ = depthLimit;
  applyLimits();
}

void TPerlre::CompileIfChanged(std::string_view pattern) {
  if (!code_ || pattern != pattern_) Compile(pattern);
}

void TPerlre::SetCaseSensitive(std::string_view pattern, bool caseSensitive) {
  if (caseSensitive) {
    options_ &= ~kCaseless;
  } else {
    options_ |= kCaseless;
  }
  Compile(pattern);
}

void TPerlre::SetSubject(std::string_view text) {
  subject_ = text;
  subjectIsUtf8_ = IsValidUtf8(text);
  matchStart_ = 0;
  nextPos_ = 0;
}

bool TPerlre::Match(std::string_view text, std::size_t startOffset) {
  SetSubject(text);
  return NextMatch(startOffset);
}

bool TPerlre::MatchChecked(std::string_view text, bool validUtf8) {
  subject_ = text;
  subjectIsUtf8_ = validUtf8;
  matchStart_ = 0;
  nextPos_ = 0;
  return NextMatch();
}

bool TPerlre::MatchLine(std::string_view text) {
  const std::size_t cr = text.find('\r');
  return Match(cr == std::string_view::npos ? text : text.substr(0, cr));
}

bool TPerlre::CompileAndMatch(std::string_view pattern, std::string_view text) {
  Compile(pattern);
  return Match(text);
}

bool TPerlre::SetOptionsCompileAndMatch(std::uint32_t options, std::string_view pattern,
                                        std::string_view text) {
  options_ = options;
  return CompileAndMatch(pattern, text);
}

bool TPerlre::NextMatch(std::size_t startOffset) {
  if (!code_) throw EPerlRe("Aucune regex présente   ");
  const std::size_t start = nextPos_ + startOffset;
  if (start > subject_.size()) {
    resultCount_ = -1;
    return false;
  }
  // An empty subject still needs a valid pointer.
  const char* data = subject_.data() ? subject_.data() : "";
  pcre2_code* code = code_->code;
  if (!subjectIsUtf8_) {
    if (!code_->byteCodeTried) {
      int errorCode = 0;
      code_->byteCode = compileCode(pattern_, options_, false, &errorCode, study_);
      code_->byteCodeTried = true;
    }
    if (code_->byteCode) code = code_->byteCode;
  }
  const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(data), subject_.size(),
                             start, 0, code_->matchData, code_->context);
  if (rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT ||
      rc == PCRE2_ERROR_JIT_STACKLIMIT) {
    ++limitHits_;
  }
  if (rc <= 0) {
    resultCount_ = rc == 0 ? kMaxSubExps : -1;
    if (rc < 0) return false;
  } else {
    resultCount_ = rc;
  }
  const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(code_->matchData);
  for (int i = 0; i < 2 * kMaxSubExps; ++i) ovector_[i] = ov[i];
  matchStart_ = ovector_[0];
  nextPos_ = ovector_[1];
  if (ovector_[1] == ovector_[0]) {
    // An empty match: the next walk starts one character further on.
    nextPos_ = nextPos_ < subject_.size() ? nextPos_ + charLength(subject_, nextPos_)
                                          : subject_.size() + 1;
  }
  return true;
}

void TPerlre::checkSubExp(int index) const {
  if (resultCount_ <= 0) throw EPerlRe("Perlre: SubExp se matche pas   ");
  if (index < 0 || index >= resultCount_) throw EPerlRe("PerleRe: Index Hors limite             ");
}

std::pair<int, int> TPerlre::SubExpPos(int index) const {
  checkSubExp(index);
  const std::size_t begin = ovector_[2 * index];
  const std::size_t end = ovector_[2 * index + 1];
  if (begin == PCRE2_UNSET) return {0, 0};
  return {static_cast<int>(begin) + 1, static_cast<int>(end - begin)};
}

std::string_view TPerlre::SubExpView(int index) const {
  checkSubExp(index);
  const std::size_t begin = ovector_[2 * index];
  if (begin == PCRE2_UNSET) return {};
  return subject_.substr(begin, ovector_[2 * index + 1] - begin);
}

std::string TPerlre::SubExp(int index) const { return std::string(SubExpView(index)); }

int TPerlre::SubExpCount() const {
  if (resultCount_ <= 0) throw EPerlRe("Perlre: SubExpCount ne matche pas   ");
  return resultCount_ - 1;
}

void TPerlre::Split(std::string_view pattern, std::string_view text, bool trim,
                    std::vector<std::string>* target) {
  if (!target) throw EPerlRe("PerleRe: Regexp incorrecte         ");
  Compile(pattern);
  SetSubject(text);
  std::size_t pieceStart = 0;
  auto add = [&](std::string_view piece) {
    target->emplace_back(trim ? trimView(piece) : piece);
  };
  while (NextMatch()) {
    const std::size_t begin = ovector_[0];
    const std::size_t end = ovector_[1];
    if (begin == end && begin == pieceStart) {
      // An empty match where the piece starts separates nothing.
      if (begin >= text.size()) break;
      continue;
    }
    add(text.substr(pieceStart, begin - pieceStart));
    pieceStart = end;
  }
  if (pieceStart < text.size()) {
    std::string_view rest = text.substr(pieceStart);
    if (!trim || !trimView(rest).empty()) add(rest);
  }
}

RegexTestResult RunRegexTest(std::string_view pattern, std::string_view subject,
                             bool caseSensitive) {
  TPerlre re(true, TPerlre::kCaseless);
  re.SetCaseSensitive(pattern, caseSensitive);
  RegexTestResult out;
  if (!re.Match(subject)) {
    out.result = "No match";
    return out;
  }
  out.result = "** Match **";
  for (int i = 0; i <= re.SubExpCount(); ++i) {
    out.lines.push_back(format("%.2d) %s", i, re.SubExp(i).c_str()));
  }
  return out;
}

}  // namespace orvel
