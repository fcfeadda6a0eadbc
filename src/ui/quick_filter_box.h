#pragma once
// The quick filter box above the article list: the column label ("S ",
// "F ", "G "), the text, light yellow while a filter is in force. Each
// change of the text goes to the view filter; the count or the regex
// library's error comes back as a status text. Enter hands the focus on.

#include <QWidget>

#include "scoring/view_filter.h"

class QLabel;
class QLineEdit;

namespace orvel::ui {

class QuickFilterBox final : public QWidget {
  Q_OBJECT

 public:
  QuickFilterBox(ViewFilter& filter, bool folderView, QWidget* parent = nullptr);

  QLabel& columnLabel() { return *label_; }
  QLineEdit& textField() { return *text_; }

 public slots:
  // "Alterner la colonne des filtres": the box is emptied first.
  void switchColumn();
  // Another filter took over: shows the logic's (empty) text.
  void sync();

 signals:
  void statusText(const QString& text);
  // Enter: the list (or the viewer) takes the focus.
  void enterPressed();

 private:
  void textChanged(const QString& text);
  void paint();

  ViewFilter& filter_;
  bool folderView_;
  QLabel* label_ = nullptr;
  QLineEdit* text_ = nullptr;
};

}  // namespace orvel::ui
