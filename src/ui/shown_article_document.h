#pragma once
// The article the viewer shows, as a document to print or a file to save:
// its rendered lines (headers as shown, then the body) in the viewer's fonts
// and colours, inline pictures as images.

#include <QByteArray>
#include <QTextDocument>

#include <cstddef>
#include <memory>

#include "content/shown_article.h"
#include "ui/viewer_options.h"

namespace orvel {
class ArticleView;
}

namespace orvel::ui {

// The lines from first on.
std::unique_ptr<QTextDocument> ShownArticleDocument(const ArticleView& view,
                                                    const ViewerDisplayOptions& options,
                                                    std::size_t first = 0);

// What "Sauver sous..." writes in that form: UTF-8 text, an ODF text
// document, or the body as HTML (the article's own HTML part when it has
// one, else the shown body).
QByteArray ShownArticleBytes(const ArticleView& view, const ViewerDisplayOptions& options,
                             ShownArticleForm form);

}  // namespace orvel::ui
