#include "scoring/pass_filter.h"

#include <cmath>

#include "core/text.h"

namespace orvel {

namespace {

std::int64_t dayNumber(DateTime d) { return static_cast<std::int64_t>(std::floor(d)); }

bool containsText(std::string_view haystack, const FilterTextTest& test) {
  if (test.caseSensitive) return haystack.find(test.text) != std::string_view::npos;
  return lowerAscii(haystack).find(test.text) != std::string::npos;
}

// Settles one text test: off when empty; the plain text lowered, the regex
// compiled into re. False (with the error) when the regex does not compile.
bool settleText(FilterTextTest& test, TPerlre& re, std::string& error) {
  if (test.text.empty()) test.enabled = false;
  if (!test.enabled) return true;
  if (!test.regex) {
    if (!test.caseSensitive) test.text = lowerAscii(test.text);
    return true;
  }
  try {
    re.SetCaseSensitive(test.text, test.caseSensitive);
  } catch (const EPerlRe& e) {
    error = e.what();
    return false;
  }
  return true;
}

}  // namespace

PassFilter::PassFilter()
    : subjectRe_(true, TPerlre::kCaseless), authorRe_(true, TPerlre::kCaseless) {}

std::optional<std::string> PassFilter::Apply(const FilterForm& form) {
  FilterForm settled = form;
  TPerlre subjectRe(true, TPerlre::kCaseless), authorRe(true, TPerlre::kCaseless);
  std::string error;
  if (!settleText(settled.subject, subjectRe, error) ||
      !settleText(settled.author, authorRe, error)) {
    return error;
  }
  typed_ = form;
  typed_.subject.enabled = settled.subject.enabled;
  typed_.author.enabled = settled.author.enabled;
  form_ = std::move(settled);
  subjectRe_ = std::move(subjectRe);
  authorRe_ = std::move(authorRe);
  return std::nullopt;
}

void PassFilter::Clear() {
  for (FilterForm* f : {&typed_, &form_}) {
    f->subject.enabled = f->author.enabled = false;
    f->scoreEnabled = f->dateEnabled = f->linesEnabled = false;
  }
}

bool PassFilter::AnyEnabled() const {
  return form_.subject.enabled || form_.author.enabled || form_.scoreEnabled ||
         form_.dateEnabled || form_.linesEnabled;
}

bool PassFilter::textPasses(const FilterTextTest& test, TPerlre& re, std::string_view first,
                            std::string_view second) const {
  const auto matches = [&](std::string_view text) {
    return test.regex ? re.Match(text) : containsText(text, test);
  };
  bool hit = matches(first);
  if (!hit && !second.empty()) hit = matches(second);
  return hit != test.inverted;
}

bool PassFilter::Pass(const TArticle& article, DateTime today) const {
  const bool stopOn = form_.boolean == FilterBoolean::Or;
  bool result = false;
  // Each enabled test in turn; true when the walk ends here.
  const auto decide = [&](bool enabled, auto&& test) {
    if (!enabled) return false;
    result = test();
    return result == stopOn;
  };
  (void)(decide(form_.subject.enabled, [&] {
        return textPasses(form_.subject, subjectRe_, article.Subject.view(), {});
      }) ||
      decide(form_.author.enabled, [&] {
        return textPasses(form_.author, authorRe_, article.FromName(), article.FromAddress());
      }) ||
      decide(form_.scoreEnabled,
             [&] { return form_.scoreFrom <= article.Score && article.Score <= form_.scoreTo; }) ||
      decide(form_.dateEnabled, [&] {
        const std::int64_t age = dayNumber(today) - dayNumber(article.Date);
        return form_.dateTest == FilterDateTest::Since ? age <= form_.days : age > form_.days;
      }) ||
      decide(form_.linesEnabled, [&] {
        return form_.linesTest == FilterLinesTest::AtLeast ? article.Lines >= form_.lines
                                                           : article.Lines < form_.lines;
      }));
  return result;
}

}  // namespace orvel
