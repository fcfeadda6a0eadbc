#pragma once
// How the article viewer draws: the "Display" fonts and colours it uses and
// the pane's margin, wrap and scroll bar settings, with the settings' own
// defaults. The window fills it from the settings table (ViewerDisplayOptionsFrom)
// and hands it to ArticleViewer.

#include <array>
#include <cstdint>

#include "config/settings.h"
#include "core/bag.h"

namespace orvel::ui {

namespace detail {
const Settings& displayDefaults();
}  // namespace detail

struct ViewerDisplayOptions {
  BagFont viewerFont = detail::displayDefaults().viewerFont;  // body text
  BagFont headerFont = detail::displayDefaults().headerFont;  // header panel and header lines
  BagFont quotedFont = detail::displayDefaults().quotedFont;  // quoted text, coloured by depth
  BagFont fixedFont = detail::displayDefaults().fixedFont;    // "Utiliser une police fixe"
  std::uint32_t viewerColor = detail::displayDefaults().viewerColor;  // background
  // QuoteColor1..6; a deeper quote starts again at the first colour.
  std::array<std::uint32_t, 6> quoteColors = {
      detail::displayDefaults().quoteColor1, detail::displayDefaults().quoteColor2,
      detail::displayDefaults().quoteColor3, detail::displayDefaults().quoteColor4,
      detail::displayDefaults().quoteColor5, detail::displayDefaults().quoteColor6};
  // Signature and MIME structure lines: the body font, greyed.
  std::uint32_t signatureColor = Rgb(112, 112, 112);
  int leftMargin = detail::displayDefaults().viewerLeftMargin;  // pixels
  bool wordWrap = detail::displayDefaults().viewerWordWrap;
  bool hideHorzScrollBar = detail::displayDefaults().hideHorzScrollBar;

  // The colour of a quote of that depth (0 for ">", 1 for ">>", ...).
  std::uint32_t quoteColor(int depth) const;
};

ViewerDisplayOptions ViewerDisplayOptionsFrom(const Settings& settings);

}  // namespace orvel::ui
