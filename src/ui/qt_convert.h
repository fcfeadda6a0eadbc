#pragma once
// Conversions between the logic's values and Qt's: UTF-8 texts, fonts and
// colours of the settings (colours are 0x00BBGGRR), and window placements
// for the "Metrics" bag.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

#include "core/bag.h"

namespace orvel::ui {

// The logic's texts are UTF-8.
inline QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

QColor qtColor(std::uint32_t bgr);
// The font of a settings font line; its colour is fontColor().
QFont qtFont(const BagFont& font);
inline QColor fontColor(const BagFont& font) { return qtColor(font.color); }
// A font chosen in a font dialog, over base (its colour and character set stay).
BagFont bagFont(const QFont& font, BagFont base);
std::uint32_t bgrColor(const QColor& color);

// The placement line of a window at rect (its normal, restored rectangle).
BagPlacement placementOf(const QRect& rect, bool maximised);
QRect rectOf(const WindowGeometry& geometry);

// A caption without its "&" mnemonic markers ("&&" stays one "&").
QString plainCaption(const QString& caption);

}  // namespace orvel::ui
