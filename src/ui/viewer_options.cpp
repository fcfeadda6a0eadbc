#include "ui/viewer_options.h"

namespace orvel::ui {

namespace detail {
const Settings& displayDefaults() {
  static const Settings defaults;
  return defaults;
}
}  // namespace detail

std::uint32_t ViewerDisplayOptions::quoteColor(int depth) const {
  const int count = static_cast<int>(quoteColors.size());
  const int index = ((depth % count) + count) % count;
  return quoteColors[static_cast<std::size_t>(index)];
}

ViewerDisplayOptions ViewerDisplayOptionsFrom(const Settings& settings) {
  ViewerDisplayOptions options;
  options.viewerFont = settings.viewerFont;
  options.headerFont = settings.headerFont;
  options.quotedFont = settings.quotedFont;
  options.fixedFont = settings.fixedFont;
  options.viewerColor = settings.viewerColor;
  options.quoteColors = {settings.quoteColor1, settings.quoteColor2, settings.quoteColor3,
                         settings.quoteColor4, settings.quoteColor5, settings.quoteColor6};
  options.leftMargin = settings.viewerLeftMargin;
  options.wordWrap = settings.viewerWordWrap;
  options.hideHorzScrollBar = settings.hideHorzScrollBar;
  return options;
}

}  // namespace orvel::ui
