#include "scoring/quick_filter.h"

#include "articles/header_utils.h"

namespace orvel {

std::string_view QuickColumnLabel(QuickColumn column) {
  switch (column) {
    case QuickColumn::Subject:
      return "S ";
    case QuickColumn::Author:
      return "F ";
    case QuickColumn::Group:
      return "G ";
  }
  return "S ";
}

QuickFilter::QuickFilter() : re_(true, TPerlre::kCaseless) {}

void QuickFilter::SwitchColumn(bool folderView) {
  folderView_ = folderView;
  const std::int32_t columns = folderView ? 3 : 2;
  column_ = static_cast<QuickColumn>((static_cast<std::int32_t>(column_) + 1) % columns);
  text_.clear();
}

bool QuickFilter::Matches(const TArticle& article) {
  switch (column_) {
    case QuickColumn::Subject:
      return re_.Match(StripRe(article.Subject.view()));
    case QuickColumn::Author:
      return re_.Match(article.FromName()) || re_.Match(article.FromAddress());
    case QuickColumn::Group: {
      const std::string_view xref = article.Xref.view();
      const std::size_t colon = xref.find(':');
      if (!folderView_ || colon == std::string_view::npos) return re_.Match(xref);
      return re_.Match(xref.substr(0, colon)) || re_.Match(xref.substr(colon + 1));
    }
  }
  return false;
}

QuickFilter::Outcome QuickFilter::SetText(std::string_view text,
                                          const std::vector<TArticle*>& master) {
  if (text == text_) return Outcome::Unchanged;
  text_.assign(text);
  if (text_.empty()) return Outcome::Emptied;
  // Compiled aside, so a bad regex leaves the last valid one for arrivals.
  TPerlre re(true, TPerlre::kCaseless);
  try {
    re.Compile(text_);
  } catch (const EPerlRe& e) {
    error_ = e.what();
    return Outcome::BadRegex;
  }
  re_ = std::move(re);
  error_.clear();
  list_.clear();
  for (TArticle* a : master) {
    if (Matches(*a)) list_.push_back(a);
  }
  return Outcome::Built;
}

}  // namespace orvel
