#include "ui/viewer_header_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "content/xface.h"

namespace orvel::ui {

QImage XFaceImage(const XFaceBitmap& face) {
  QImage image(XFaceBitmap::kWidth, XFaceBitmap::kHeight, QImage::Format_RGB32);
  for (int y = 0; y < XFaceBitmap::kHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < XFaceBitmap::kWidth; ++x) {
      row[x] = face.Pixel(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    }
  }
  return image;
}

ViewerHeaderPanel::ViewerHeaderPanel(QWidget* parent)
    : QFrame(parent),
      scroll_(new QScrollArea(this)),
      lines_(new QLabel(scroll_)),
      face_(new QLabel(this)),
      button_(new QToolButton(this)),
      menu_(new QMenu(button_)) {
  setObjectName("headerPanel");
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);

  lines_->setObjectName("headerLines");
  lines_->setTextFormat(Qt::PlainText);
  lines_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  lines_->setWordWrap(true);
  lines_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  scroll_->setWidget(lines_);
  scroll_->setWidgetResizable(true);
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  face_->setObjectName("xFace");
  face_->setFixedSize(48, 48);
  face_->hide();

  button_->setObjectName("attachmentsButton");
  button_->setText(QString::fromUtf8(kAttachmentsText));
  button_->setToolTip(QString::fromUtf8(kAttachmentsText));
  button_->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
  button_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button_->setPopupMode(QToolButton::InstantPopup);
  button_->setMenu(menu_);
  button_->hide();

  auto* side = new QVBoxLayout;
  side->setContentsMargins(0, 0, 0, 0);
  side->addWidget(face_, 0, Qt::AlignRight | Qt::AlignTop);
  side->addWidget(button_, 0, Qt::AlignRight | Qt::AlignTop);
  side->addStretch(1);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  layout->addWidget(scroll_, 1);
  layout->addLayout(side);
  updateVisibility();
}

void ViewerHeaderPanel::setHeaderFont(const QFont& font, const QColor& color,
                                      const QColor& background) {
  lines_->setFont(font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Base, background);
  palette.setColor(QPalette::WindowText, color);
  setPalette(palette);
  scroll_->viewport()->setPalette(palette);
  lines_->setPalette(palette);
}

void ViewerHeaderPanel::setLines(const QStringList& lines) {
  lines_->setText(lines.join('\n'));
  updateVisibility();
}

void ViewerHeaderPanel::setFace(const QImage& face) {
  face_->setPixmap(QPixmap::fromImage(face));
  face_->setVisible(!face.isNull());
  updateVisibility();
}

void ViewerHeaderPanel::setAttachmentsShown(bool shown) {
  button_->setVisible(shown);
  updateVisibility();
}

QString ViewerHeaderPanel::text() const { return lines_->text(); }

void ViewerHeaderPanel::fitHeight(int maxHeight) {
  const QMargins margins = contentsMargins() + layout()->contentsMargins();
  const int width = std::max(1, scroll_->viewport()->width());
  const int linesHeight = lines_->text().isEmpty() ? 0 : lines_->heightForWidth(width);
  const int sideHeight = (face_->isVisibleTo(this) ? face_->height() : 0) +
                         (button_->isVisibleTo(this) ? button_->sizeHint().height() : 0);
  const int wanted = std::max(linesHeight, sideHeight) + margins.top() + margins.bottom();
  setFixedHeight(std::clamp(wanted, 0, std::max(maxHeight, sideHeight)));
}

void ViewerHeaderPanel::updateVisibility() {
  const bool any = !lines_->text().isEmpty() || !face_->isHidden() || !button_->isHidden();
  setVisible(any);
}

}  // namespace orvel::ui
