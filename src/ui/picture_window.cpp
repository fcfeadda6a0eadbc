#include "ui/picture_window.h"

#include <QFileInfo>
#include <QImageReader>
#include <QResizeEvent>
#include <QVBoxLayout>

namespace orvel::ui {

namespace {

// Decoded posts may be huge scans: read at most this many pixels a side.
constexpr int kMaxSide = 4096;

QImage readPicture(const QString& path) {
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  reader.setAutoTransform(true);
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide)) {
    reader.setScaledSize(size.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio));
  }
  return reader.read();
}

}  // namespace

bool IsPictureFile(const QString& path) {
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  return reader.canRead();
}

PictureWindow* PictureWindow::open(const QString& path, QWidget* parent) {
  if (!IsPictureFile(path)) return nullptr;
  QImage image = readPicture(path);
  if (image.isNull()) return nullptr;
  return new PictureWindow(path, std::move(image), parent);
}

PictureWindow::PictureWindow(QString path, QImage image, QWidget* parent)
    : QWidget(parent), path_(std::move(path)), image_(std::move(image)), label_(new QLabel(this)) {
  setObjectName("pictureWindow");
  setWindowTitle(QFileInfo(path_).fileName());
  label_->setAlignment(Qt::AlignCenter);
  label_->setMinimumSize(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label_);
  resize(image_.size().boundedTo(QSize(800, 600)));
  rescale();
}

QPixmap PictureWindow::shown() const { return label_->pixmap(); }

void PictureWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  rescale();
}

void PictureWindow::rescale() {
  const QSize room = label_->size();
  QImage scaled = image_;
  if (image_.width() > room.width() || image_.height() > room.height()) {
    scaled = image_.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  label_->setPixmap(QPixmap::fromImage(scaled));
}

}  // namespace orvel::ui
