#pragma once
// The header panel above the article's text: the shown header lines in the
// header font, and at their right the X-Face picture and the button of the
// attachments menu ("Lister les fichiers joints"). It is hidden when it has
// nothing to show, and never takes more than a third of the viewer's height
// (a long header block scrolls inside it).

#include <QFrame>
#include <QImage>
#include <QStringList>

class QLabel;
class QMenu;
class QScrollArea;
class QToolButton;

namespace orvel {
struct XFaceBitmap;
}

namespace orvel::ui {

inline constexpr const char* kAttachmentsText = "Lister les fichiers joints";

// The face as a 48 x 48 picture, black on white.
QImage XFaceImage(const XFaceBitmap& face);

class ViewerHeaderPanel : public QFrame {
  Q_OBJECT

 public:
  explicit ViewerHeaderPanel(QWidget* parent = nullptr);

  void setHeaderFont(const QFont& font, const QColor& color, const QColor& background);
  void setLines(const QStringList& lines);
  void setFace(const QImage& face);  // a null image hides it
  // The menu the attachments button shows; the button is shown only while
  // the menu has entries.
  QMenu* attachmentsMenu() const { return menu_; }
  void setAttachmentsShown(bool shown);
  QToolButton* attachmentsButton() const { return button_; }
  QString text() const;
  // Fits the panel's height to its lines, at most maxHeight.
  void fitHeight(int maxHeight);

 private:
  void updateVisibility();

  QScrollArea* scroll_;
  QLabel* lines_;
  QLabel* face_;
  QToolButton* button_;
  QMenu* menu_;
};

}  // namespace orvel::ui
