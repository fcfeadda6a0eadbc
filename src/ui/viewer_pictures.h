#pragma once
// Inline pictures of the article viewer. A picture is one object character
// in the text document whose format names an entry of this store; the store
// draws it scaled down to the pane's width (never up) and answers the layout
// for its size. Pictures are decoded once, when their line arrives; a very
// large one is decoded at a reduced size, since the pane never shows more.

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QTextObjectInterface>

#include <string_view>
#include <vector>

namespace orvel::ui {

// The size a picture is drawn at in a pane maxWidth pixels wide: its own,
// or scaled down to the width with its proportions kept.
QSize FittedPictureSize(QSize picture, int maxWidth);

// The JPEG picture of those bytes, no wider than maxDecodeWidth; a null
// image when the bytes are not a readable picture.
QImage DecodePicture(std::string_view bytes, int maxDecodeWidth = 2560);

class ViewerPictures : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  static constexpr int kObjectType = QTextFormat::UserObject + 1;

  explicit ViewerPictures(QObject* parent = nullptr) : QObject(parent) {}

  // Keeps the picture and gives the format of its object character.
  QTextCharFormat add(QImage picture);
  void clear();
  // The pane's usable width; true when it changed (the picture blocks must
  // be laid out again).
  bool setMaxWidth(int width);
  int count() const { return static_cast<int>(pictures_.size()); }
  // The size picture index is drawn at now.
  QSize shownSize(int index) const;

  QSizeF intrinsicSize(QTextDocument* doc, int posInDocument, const QTextFormat& format) override;
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int posInDocument,
                  const QTextFormat& format) override;

 private:
  struct Picture {
    QImage image;
    QPixmap scaled;  // the last drawn size, kept for repaints
  };
  int indexOf(const QTextFormat& format) const;

  std::vector<Picture> pictures_;
  int maxWidth_ = 0;
};

}  // namespace orvel::ui
