#include "ui/viewer_formats.h"

#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

QTextCharFormat formatOf(const BagFont& font, std::uint32_t color) {
  QTextCharFormat format;
  format.setFont(qtFont(font), QTextCharFormat::FontPropertiesAll);
  format.setForeground(qtColor(color));
  return format;
}

QTextCharFormat underlined(QTextCharFormat format) {
  format.setFontUnderline(true);
  return format;
}

}  // namespace

ViewerFormats::ViewerFormats(const ViewerDisplayOptions& options)
    : body_(formatOf(options.viewerFont, options.viewerFont.color)),
      header_(formatOf(options.headerFont, options.headerFont.color)),
      signature_(formatOf(options.viewerFont, options.signatureColor)),
      fixed_(formatOf(options.fixedFont, options.fixedFont.color)),
      fileBody_(underlined(body_)),
      fileFixed_(underlined(fixed_)) {
  for (std::size_t depth = 0; depth < quoted_.size(); ++depth) {
    quoted_[depth] = formatOf(options.quotedFont, options.quoteColor(static_cast<int>(depth)));
  }
}

const QTextCharFormat& ViewerFormats::of(const RenderedLine& line) const {
  const bool file = line.kind == LineKind::FileSaved || line.kind == LineKind::FileDecoded;
  switch (line.style) {
    case LineStyle::Body: return file ? fileBody_ : body_;
    case LineStyle::Header: return header_;
    case LineStyle::Quoted: {
      const int depth = line.quoteDepth < 0 ? 0 : line.quoteDepth;
      return quoted_[static_cast<std::size_t>(depth) % quoted_.size()];
    }
    case LineStyle::Signature: return signature_;
    case LineStyle::Fixed: return file ? fileFixed_ : fixed_;
  }
  return body_;
}

}  // namespace orvel::ui
