#include "content/shown_article.h"

#include "content/mime.h"
#include "core/encoded_words.h"
#include "core/text.h"

namespace orvel {

ShownArticleForm SaveFormFor(std::string_view path) {
  if (endsWithNoCase(path, ".odt")) return ShownArticleForm::RichText;
  if (endsWithNoCase(path, ".html") || endsWithNoCase(path, ".htm")) {
    return ShownArticleForm::HtmlBody;
  }
  return ShownArticleForm::PlainText;
}

std::size_t FirstBodyLine(const std::vector<RenderedLine>& lines) {
  std::size_t i = 0;
  while (i < lines.size() && lines[i].style == LineStyle::Header) ++i;
  if (i == 0) return 0;
  while (i < lines.size() && lines[i].kind == LineKind::Text && lines[i].text.empty()) ++i;
  return i;
}

std::string ShownText(const std::vector<RenderedLine>& lines, std::size_t first) {
  std::string text;
  for (std::size_t i = first; i < lines.size(); ++i) text.append(lines[i].text).push_back('\n');
  return text;
}

std::optional<std::string> HtmlPartOf(std::string_view article) {
  if (!article.empty() && article.back() == '\0') article.remove_suffix(1);
  TMime mime(false);
  mime.ResetArticle();
  std::string html;
  std::string base64;
  bool found = false;
  bool last = false;
  std::size_t pos = 0;
  std::string line;
  while (!last && pos < article.size()) {
    const LineClass c =
        mime.ParseLine(article, pos, line, nullptr, LineSource::Text, ParseDepth::Full, last);
    if (c == LineClass::Incomplete) break;
    if (c == LineClass::Boundary || c == LineClass::ClosingBoundary) {
      if (found) break;  // the part ended
      continue;
    }
    if (!equalsNoCase(mime.contentType(), "text/html") || !mime.headersEnded()) continue;
    if (c == LineClass::Data && mime.transferEncoding() == TransferEncoding::Base64) {
      base64 += line;
      found = true;
    } else if (c == LineClass::Text) {
      html += line;
      if (mime.transferEncoding() != TransferEncoding::QuotedPrintable || mime.hardLineEnd()) {
        html += "\r\n";
      }
      found = true;
    }
  }
  if (!found) return std::nullopt;
  return base64.empty() ? html : DecodeBase64Text(base64);
}

}  // namespace orvel
