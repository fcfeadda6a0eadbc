#include "posting/answered_article.h"

#include "content/article_view.h"

namespace orvel {

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
  return article;
}

}  // namespace orvel
