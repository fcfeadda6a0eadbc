#pragma once
// The article a reply is made from, taken from what the viewer shows: its
// header record, the shown header lines and the shown body as text. What the
// viewer decoded (MIME parts, charsets, quoted-printable) is quoted as the
// person read it, never the raw article.

#include <string>

#include "posting/compose_session.h"

namespace orvel {

class ArticleView;

// selection: the viewer's selected text (UTF-8), empty when none.
AnsweredArticle AnsweredFromView(const ArticleView& view, std::string selection);

}  // namespace orvel
