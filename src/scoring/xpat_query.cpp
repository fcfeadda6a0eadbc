#include "scoring/xpat_query.h"

#include "core/perlre.h"
#include "core/text.h"

namespace orvel {

bool XpatRangeValid(std::string_view range) {
  TPerlre re;
  return re.CompileAndMatch("^(?:\\d+|\\d+\\-|\\d+\\-\\d+)\\z", range);
}

XpatCheck CheckXpatForm(const XpatForm& form) {
  if (!XpatRangeValid(form.range)) return XpatCheck::BadRange;
  if (form.pattern.empty()) return XpatCheck::EmptyPattern;
  if (form.header == XpatHeader::Other && form.otherName.empty()) return XpatCheck::EmptyHeader;
  return XpatCheck::Ok;
}

std::string BracketLetters(std::string_view pattern) {
  std::string out;
  out.reserve(pattern.size() * 4);
  for (const char c : pattern) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
      out += '[';
      out += toUpperAscii(c);
      out += toLowerAscii(c);
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

std::string_view XpatHeaderName(const XpatForm& form) {
  switch (form.header) {
    case XpatHeader::Subject:
      return "Subject";
    case XpatHeader::Author:
      return "From";
    case XpatHeader::References:
      return "References";
    case XpatHeader::MessageID:
      return "Message-ID";
    case XpatHeader::Keywords:
      return "Keywords";
    case XpatHeader::Other:
      return form.otherName;
  }
  return "Subject";
}

std::string XpatCommandText(const XpatForm& form) {
  const std::string pattern = form.caseSensitive ? form.pattern : BracketLetters(form.pattern);
  return std::string(XpatHeaderName(form)) + " " + form.range + " " + pattern;
}

XpatSearch::XpatSearch(TGroupView& view, ServerSearch& search) : view_(view), search_(search) {
  search_.SetHit([this](std::int32_t number) { hit(number); });
}

XpatSearch::~XpatSearch() { search_.SetHit(nullptr); }

bool XpatSearch::Run(const XpatForm& form, XpatMemory& memory) {
  if (CheckXpatForm(form) != XpatCheck::Ok) return false;
  memory.score = form.score;
  memory.range = form.range;
  score_ = form.score;
  loaded_.clear();
  indexed_ = false;
  view_.View().searchScore = score_;
  search_.Queue(XpatCommandText(form));
  return search_.Start(false);
}

void XpatSearch::hit(std::int32_t number) {
  if (!indexed_) {
    for (TArticle* a : view_.MasterList()) loaded_.emplace(a->Number, a);
    indexed_ = true;
  }
  const auto found = loaded_.find(number);
  if (found == loaded_.end()) return;
  TArticle& article = *found->second;
  article.SetScore(score_, view_.View().options.score);
  view_.Observer().rowChanged(article);
  if (article.Thread) view_.Observer().rowChanged(*article.Thread);
}

}  // namespace orvel
