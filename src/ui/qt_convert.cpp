#include "ui/qt_convert.h"

namespace orvel::ui {

QColor qtColor(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

QFont qtFont(const BagFont& font) {
  QFont f(qs(font.name));
  if (font.size > 0) {
    f.setPointSize(font.size);
  } else if (font.height != 0) {
    f.setPixelSize(font.height < 0 ? -font.height : font.height);
  }
  f.setBold(font.style & BagFont::Bold);
  f.setItalic(font.style & BagFont::Italic);
  f.setUnderline(font.style & BagFont::Underline);
  f.setStrikeOut(font.style & BagFont::StrikeOut);
  if (font.pitch == 1) {
    f.setFixedPitch(true);
    f.setStyleHint(QFont::Monospace);
  }
  return f;
}

BagPlacement placementOf(const QRect& rect, bool maximised) {
  BagPlacement p;
  p.show = maximised ? 3 : 1;
  p.left = rect.x();
  p.top = rect.y();
  p.right = rect.x() + rect.width();
  p.bottom = rect.y() + rect.height();
  return p;
}

QRect rectOf(const WindowGeometry& g) { return QRect(g.x, g.y, g.width, g.height); }

QString plainCaption(const QString& caption) {
  QString out;
  out.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

}  // namespace orvel::ui
