#pragma once
// One line of the article viewer as the rendering produces it: UTF-8 text,
// the style it is drawn in, and for quoted text its depth. The Qt viewer maps
// styles onto the "Display" fonts and colours (HeaderFont, QuotedFont with
// QuoteColor1..6, FixedFont, ViewerFont); it makes no decision of its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvel {

enum class LineStyle : std::uint8_t {
  Body,
  Quoted,     // quoteDepth says which colour
  Header,
  Signature,  // the signature and MIME structure lines (boundaries)
  Fixed,      // "Utiliser une police fixe" replaces every body style
};

enum class LineKind : std::uint8_t {
  Text,
  CollapsedQuote,  // "> [...]" in place of a run of quoted lines
  FileSaved,       // "   Fichier sauvé: " + path; fileIndex names the attachment
  FileDecoded,     // "    Fichier décodé: " + name (only in memory)
  Picture,         // an inline JPEG picture; fileIndex names the attachment
};

inline constexpr std::string_view kFileSavedText = "   Fichier sauvé: ";
inline constexpr std::string_view kFileDecodedText = "    Fichier décodé: ";
inline constexpr std::string_view kCollapsedQuoteText = "> [...]";

inline constexpr std::size_t kNoFile = static_cast<std::size_t>(-1);

struct RenderedLine {
  std::string text;  // UTF-8, without line end
  LineStyle style = LineStyle::Body;
  LineKind kind = LineKind::Text;
  // Quote marks before the text minus one: -1 unquoted, 0 for ">", 1 for ">>"
  // ... Quoted lines have at least 0; the colour is QuoteColor(depth + 1).
  int quoteDepth = -1;
  std::size_t fileIndex = kNoFile;  // attachments() index for file and picture lines
  int pictureWidth = 0;             // pixels, for Picture lines
  int pictureHeight = 0;
};

// "header", "body", "quoted", "signature", "fixed".
constexpr std::string_view StyleName(LineStyle style) {
  switch (style) {
    case LineStyle::Body: return "body";
    case LineStyle::Quoted: return "quoted";
    case LineStyle::Header: return "header";
    case LineStyle::Signature: return "signature";
    case LineStyle::Fixed: return "fixed";
  }
  return "body";
}

}  // namespace orvel
