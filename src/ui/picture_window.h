#pragma once
// A decoded picture in a window of its own: the file a decode batch
// finished, scaled down to the window (never up) as it is resized, so a
// multi-part picture is seen as soon as its last part is decoded.

#include <QImage>
#include <QLabel>
#include <QString>
#include <QWidget>

#include "ui/child_window.h"

namespace orvel::ui {

class PictureWindow final : public QWidget, public ChildWindow {
  Q_OBJECT
 public:
  // Null when the file is not a picture Qt can read.
  static PictureWindow* open(const QString& path, QWidget* parent = nullptr);

  const QString& path() const { return path_; }
  const QImage& image() const { return image_; }
  // The picture as shown, after scaling.
  QPixmap shown() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  PictureWindow(QString path, QImage image, QWidget* parent);
  void rescale();

  QString path_;
  QImage image_;
  QLabel* label_;
};

// Whether a file holds a picture Qt can read (by its bytes, not its name).
bool IsPictureFile(const QString& path);

}  // namespace orvel::ui
