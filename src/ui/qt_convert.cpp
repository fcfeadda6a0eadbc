#include "ui/qt_convert.h"

#include "config/settings.h"

namespace orvel::ui {

QColor qtColor(std::uint32_t bgr) {
  return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t bgrColor(const QColor& c) {
  return Rgb(static_cast<unsigned>(c.red()), static_cast<unsigned>(c.green()),
             static_cast<unsigned>(c.blue()));
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

BagFont bagFont(const QFont& font, BagFont base) {
  base.name = utf8(font.family());
  if (font.pointSize() > 0) {
    base.size = font.pointSize();
    base.height = -(base.size * 96 + 36) / 72;  // pixels at 96 dpi
  } else if (font.pixelSize() > 0) {
    base.height = -font.pixelSize();
    base.size = (font.pixelSize() * 72 + 48) / 96;
  }
  base.style = (font.bold() ? BagFont::Bold : 0) | (font.italic() ? BagFont::Italic : 0) |
               (font.underline() ? BagFont::Underline : 0) |
               (font.strikeOut() ? BagFont::StrikeOut : 0);
  base.pitch = font.fixedPitch() ? 1 : base.pitch == 1 ? 0 : base.pitch;
  return base;
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
