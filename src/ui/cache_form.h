#pragma once
// TfmCache, "Options de stockage": what a group keeps on disk (nothing,
// headers, headers and bodies), when stored articles expire ("Purger
// après" a number of days, or when the server drops them), and a button
// that compacts the body file now.

#include <QDialog>

#include "articles/mailbox.h"

class QRadioButton;
class QSpinBox;

namespace orvel::ui {

class TfmCache final : public QDialog {
  Q_OBJECT

 public:
  TfmCache(StorageChoice choice, std::int32_t expiryDays, QWidget* parent = nullptr);

  StorageChoice choice() const;
  // 0: when the server no longer has them.
  std::int32_t expiryDays() const;

  // For tests and the keyboard: the form's controls.
  void setChoice(StorageChoice choice);
  void setExpiryDays(std::int32_t days);

 signals:
  void compactRequested();

 private:
  QRadioButton* nothing_ = nullptr;
  QRadioButton* headers_ = nullptr;
  QRadioButton* bodies_ = nullptr;
  QRadioButton* after_ = nullptr;
  QRadioButton* onServer_ = nullptr;
  QSpinBox* days_ = nullptr;
};

}  // namespace orvel::ui
