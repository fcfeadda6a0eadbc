#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "articles/mailbox.h"

namespace orvel::ui {

namespace {

constexpr int kSize = 32;  // drawn large, scaled down by the views

QPixmap canvas() {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

QIcon disc(const QColor& fill, const QColor& rim, const QString& mark) {
  QPixmap pixmap = canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(rim, 2.5));
  p.setBrush(fill);
  p.drawEllipse(QRectF(4, 4, kSize - 8, kSize - 8));
  if (!mark.isEmpty()) {
    QFont font("DejaVu Sans");
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    p.setPen(rim == fill ? Qt::white : rim);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, mark);
  }
  return QIcon(pixmap);
}

QIcon glyph(const QString& symbol, const QColor& color) {
  QPixmap pixmap = canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont font("DejaVu Sans");
  font.setPixelSize(24);
  font.setBold(true);
  p.setFont(font);
  p.setPen(color);
  p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, symbol);
  return QIcon(pixmap);
}

struct ActionGlyph {
  std::string_view name;
  const char16_t* symbol;
  QRgb color;
};

// Symbols chosen to read at toolbar size.
const ActionGlyph kActionGlyphs[] = {
    {"acmSaveNewsrc", u"\u2193", 0x1f5f99},     // ↓ into the file
    {"acgListAll", u"\u2630", 0x3b6e3b},        // ☰ every group
    {"acgListNew", u"\u2605", 0xc07800},        // ★ new groups
    {"acgAllMsgCount", u"\u27f3", 0x1f5f99},    // ⟳ all counts
    {"acgMsgCount", u"\u21bb", 0x4d7fb3},       // ↻ this group's count
    {"acgSubs", u"\u271a", 0x2e8b2e},           // ✚ subscribe
    {"acgUnSubs", u"\u2716", 0xb03030},         // ✖ unsubscribe
    {"acgCatchUp", u"\u2714", 0x505050},        // ✔ all read
    {"acgSwitchTab", u"\u21c4", 0x505050},      // ⇄ tabs
    {"acgNewFolder", u"\u25a3", 0xa07020},      // ▣ new category
    // The group view's commands
    {"stop", u"\u25a0", 0xb03030},             // ■ stop
    {"acaRefresh", u"\u27f3", 0x1f5f99},       // ⟳ new headers
    {"acaBack", u"\u25c0", 0x505050},          // ◀ back
    {"acaForward", u"\u25b6", 0x505050},       // ▶ forward
    {"acaPrev", u"\u21d1", 0x4d7fb3},          // ⇑ previous
    {"acaNextUnread", u"\u21d3", 0x1f5f99},    // ⇓ next unread
    {"acaNextThread", u"\u21ca", 0x1f5f99},    // ⇊ next thread
    {"acaMarkRead", u"\u2713", 0x2e8b2e},      // ✓ read
    {"acaMarkAllRead", u"\u2611", 0x2e8b2e},   // ☑ all read
    {"acaCatchUp", u"\u2714", 0x505050},       // ✔ caught up
    {"acaKill", u"\u2620", 0x505050},          // ☠ plonk
    {"acaPost", u"\u270e", 0x2e7d32},          // ✎ new article
    {"acaFollowUp", u"\u21a9", 0x2e7d32},      // ↩ follow-up
    {"acaMail", u"\u2709", 0xa07020},          // ✉ mail
    {"acaDecode", u"\u2699", 0x6a3d9a},        // ⚙ decode
    {"acaSaveAs", u"\u21a1", 0x1f5f99},        // ↡ save
    {"acaStorage", u"\u25a4", 0xa07020},       // ▤ storage
    {"acvFS", u"\u25a1", 0x505050},            // □ full screen
    {"acvSplitAlign", u"\u25eb", 0x505050},    // ◫ split
    {"acvExpandAll", u"\u229e", 0x505050},     // ⊞ expand
    {"acvCollapseAll", u"\u229f", 0x505050},   // ⊟ collapse
    {"acvFilter", u"\u25bd", 0xc07800},        // ▽ filter
    {"acvRemoveFilter", u"\u2298", 0xb03030},  // ⊘ no filter
    {"acvStatsForm", u"\u2211", 0x1f5f99},     // ∑ statistics
    // The compose window's
    {"aceSend", u"\u27a4", 0x2e8b2e},          // ➤ send
    {"aceSave", u"\u2193", 0x1f5f99},          // ↓ save
    {"aceExternalEdit", u"\u270e", 0x505050},  // ✎ other editor
    {"aceKeepCopy", u"\u2750", 0xa07020},      // ❐ a copy
    {"aceWordWrap", u"\u00b6", 0x505050},      // ¶ wrap as typed
    {"aceRewrap", u"\u21b5", 0x505050},        // ↵ wrap again
    {"acePasteQuoted", u"\u201c", 0x2e7d32},   // “ paste quoted
};

}  // namespace

QIcon GroupStateIcon(SubscriptionState state) {
  switch (state) {
    case SubscriptionState::Subscribed: return disc(QColor(0x2e8b2e), QColor(0x2e8b2e), "\u2713");
    case SubscriptionState::Unsubscribed: return disc(Qt::white, QColor(0x9a9a9a), {});
    case SubscriptionState::New: return disc(QColor(0xf0a020), QColor(0xf0a020), "N");
  }
  return {};
}

namespace {

// A folder shape in the given colours, with an optional mark on it.
QPixmap folderPixmap(const QColor& fill, const QColor& rim, const QString& mark = {}) {
  QPixmap pixmap = canvas();
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(rim, 1.5));
  p.setBrush(fill);
  QPainterPath folder;
  folder.moveTo(3, 8);
  folder.lineTo(12, 8);
  folder.lineTo(15, 11);
  folder.lineTo(29, 11);
  folder.lineTo(29, 26);
  folder.lineTo(3, 26);
  folder.closeSubpath();
  p.drawPath(folder);
  if (!mark.isEmpty()) {
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(rim);
    p.drawText(QRect(3, 11, 26, 15), Qt::AlignCenter, mark);
  }
  return pixmap;
}

}  // namespace

QIcon CategoryIcon() { return QIcon(folderPixmap(QColor(0xf2c45a), QColor(0x9c7420))); }

QIcon FolderIcon(std::uint8_t kind) {
  switch (kind) {
    case kStoreOutbox: return QIcon(folderPixmap(QColor(0xf4d9a0), QColor(0xb03030), "\u2191"));
    case kStoreSent: return QIcon(folderPixmap(QColor(0xcfe3c4), QColor(0x2e7d32), "\u2713"));
    case kStoreQueue: return QIcon(folderPixmap(QColor(0xc8daf0), QColor(0x1f5f99), "\u2261"));
    default: return QIcon(folderPixmap(QColor(0xf2c45a), QColor(0x9c7420)));
  }
}

QIcon AppIcon() {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1f5f99));
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
  QFont font("DejaVu Sans");
  font.setPixelSize(44);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, "O");
  return QIcon(pixmap);
}

QIcon RowStateIcon(RowState state) {
  // Drawn once each: the list asks for them on every paint.
  static const QIcon icons[] = {
      QIcon(),
      glyph(QStringLiteral("?"), QColor(0x909090)),  // missing on the server
      glyph(QString(u'\u2193'), QColor(0x1f5f99)),  // ↓ on its way
      glyph(QString(u'\u21a9'), QColor(0xb03030)),  // ↩ a reply to me
      glyph(QString(u'\u2691'), QColor(0xc07800)),  // ⚑ kept
      glyph(QString(u'\u2295'), QColor(0x6a4c9c)),  // ⊕ attachments
      glyph(QString(u'\u2713'), QColor(0x2e7d32)),  // ✓ sent
      glyph(QString(u'\u2022'), QColor(0x4d7fb3)),  // • body stored here
  };
  return icons[static_cast<int>(state)];
}

QIcon ActionIcon(std::string_view actionName) {
  for (const auto& g : kActionGlyphs) {
    if (g.name == actionName) return glyph(QString::fromUtf16(g.symbol), QColor(g.color));
  }
  return {};
}

}  // namespace orvel::ui
