#include "posting/answered_article.h"

#include <algorithm>

#include "content/article_view.h"

namespace orvel {

namespace {

// The body of the article as received, after its first empty line: what is
// quoted when the viewer shows none of it (a multipart whose boundary never
// comes hides every line).
std::string rawBody(std::string_view raw) {
  std::size_t start = raw.find("\r\n\r\n");
  if (start != std::string_view::npos) {
    start += 4;
  } else if ((start = raw.find("\n\n")) != std::string_view::npos) {
    start += 2;
  } else {
    return {};
  }
  return std::string(raw.substr(start));
}

// A NUL byte would end the queued text early for any C reader of it.
void withoutNul(std::string& text) { std::replace(text.begin(), text.end(), '\0', ' '); }

}  // namespace

AnsweredArticle AnsweredFromView(const ArticleView& view, std::string selection) {
  AnsweredArticle article;
  article.headers = view.headers();
  article.selection = std::move(selection);
  std::size_t bodyBytes = 0;
  for (const RenderedLine& line : view.lines()) bodyBytes += line.text.size() + 2;
  article.body.reserve(bodyBytes);
  for (const RenderedLine& line : view.lines()) {
    // Pictures and file notes are the viewer's own lines, not the author's.
    if (line.kind != LineKind::Text && line.kind != LineKind::CollapsedQuote) continue;
    const bool header = line.style == LineStyle::Header;
    // The empty lines between the headers and the text are neither.
    if (!header && article.body.empty() && line.text.empty()) continue;
    (header ? article.headerText : article.body).append(line.text).append("\r\n");
  }
  if (article.body.empty()) article.body = rawBody(view.rawCopy());
  withoutNul(article.body);
  withoutNul(article.selection);
  return article;
}

}  // namespace orvel
