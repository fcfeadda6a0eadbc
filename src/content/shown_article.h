#pragma once
// What "Sauver sous..." and printing take from the article the viewer shows:
// its rendered lines as text (headers as shown, then the body), where the
// body starts, the HTML part the article carries, and which form a chosen
// file name asks for.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/rendered_line.h"

namespace orvel {

enum class ShownArticleForm : std::uint8_t {
  PlainText,  // the shown lines
  RichText,   // the shown lines in the viewer's fonts and colours (ODF)
  HtmlBody,   // the body only: the article's HTML part, else the shown body as HTML
};

// ".odt" asks for rich text, ".html" and ".htm" for the HTML body, any
// other name for plain text (case ignored).
ShownArticleForm SaveFormFor(std::string_view path);

// The first body line: after the shown header lines and the empty lines
// that end them (0 when no header is shown).
std::size_t FirstBodyLine(const std::vector<RenderedLine>& lines);

// The lines from first on, each ended by "\n".
std::string ShownText(const std::vector<RenderedLine>& lines, std::size_t first = 0);

// The first text/html part of an article as stored (CR LF line ends, an
// optional final NUL), its transfer encoding undone and its bytes left in
// their own charset; nothing when the article has no such part.
std::optional<std::string> HtmlPartOf(std::string_view article);

}  // namespace orvel
