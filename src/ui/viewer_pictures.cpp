#include "ui/viewer_pictures.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <algorithm>

namespace orvel::ui {

namespace {
constexpr int kPictureIndexProperty = QTextFormat::UserProperty + 1;
}  // namespace

QSize FittedPictureSize(QSize picture, int maxWidth) {
  if (maxWidth <= 0 || picture.width() <= maxWidth) return picture;
  const qint64 height = qint64(picture.height()) * maxWidth / picture.width();
  return QSize(maxWidth, std::max<int>(1, static_cast<int>(height)));
}

QImage DecodePicture(std::string_view bytes, int maxDecodeWidth) {
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "JPEG");
  const QSize size = reader.size();
  if (size.isValid() && size.width() > maxDecodeWidth) {
    reader.setScaledSize(FittedPictureSize(size, maxDecodeWidth));
  }
  return reader.read();
}

QTextCharFormat ViewerPictures::add(QImage picture) {
  QTextCharFormat format;
  format.setObjectType(kObjectType);
  format.setProperty(kPictureIndexProperty, static_cast<int>(pictures_.size()));
  pictures_.push_back({std::move(picture), {}});
  return format;
}

void ViewerPictures::clear() { pictures_.clear(); }

bool ViewerPictures::setMaxWidth(int width) {
  if (width == maxWidth_) return false;
  maxWidth_ = width;
  return true;
}

QSize ViewerPictures::shownSize(int index) const {
  if (index < 0 || index >= count()) return {};
  return FittedPictureSize(pictures_[static_cast<std::size_t>(index)].image.size(), maxWidth_);
}

int ViewerPictures::indexOf(const QTextFormat& format) const {
  const int index = format.intProperty(kPictureIndexProperty);
  return index >= 0 && index < count() ? index : -1;
}

QSizeF ViewerPictures::intrinsicSize(QTextDocument*, int, const QTextFormat& format) {
  return QSizeF(shownSize(indexOf(format)));
}

void ViewerPictures::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                                const QTextFormat& format) {
  const int index = indexOf(format);
  if (index < 0) return;
  Picture& picture = pictures_[static_cast<std::size_t>(index)];
  const QSize size = rect.size().toSize();
  if (picture.scaled.size() != size) {
    picture.scaled = QPixmap::fromImage(
        size == picture.image.size()
            ? picture.image
            : picture.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  }
  painter->drawPixmap(rect.topLeft(), picture.scaled);
}

}  // namespace orvel::ui
