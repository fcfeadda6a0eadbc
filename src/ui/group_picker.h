#pragma once
// TfmGrpPicker: ticks groups out of a list (the follow-up groups of a
// message), optionally putting them in another order with "+" and "-".
// OK gives the ticked groups, bPoster gives "poster".

#include <QDialog>

#include <optional>
#include <string>
#include <string_view>

class QListWidget;
class QPushButton;

namespace orvel::ui {

class TfmGrpPicker final : public QDialog {
  Q_OBJECT

 public:
  // groups, extra, current: comma lists (see PickerEntries).
  TfmGrpPicker(std::string_view groups, std::string_view extra, std::string_view current,
               bool reorder, QWidget* parent = nullptr);

  QListWidget& list() { return *list_; }
  QPushButton& upButton() { return *up_; }
  QPushButton& downButton() { return *down_; }
  QPushButton& posterButton() { return *poster_; }

  // After OK: "poster" when bPoster closed the dialog, else the ticked groups
  // in the order shown (empty when all are ticked).
  std::string Result() const;

  // Shows the dialog; nothing when cancelled.
  static std::optional<std::string> Pick(QWidget* parent, std::string_view groups,
                                         std::string_view extra, std::string_view current,
                                         bool reorder);

 private:
  void moveCurrent(int step);

  QListWidget* list_ = nullptr;
  QPushButton* up_ = nullptr;
  QPushButton* down_ = nullptr;
  QPushButton* poster_ = nullptr;
  bool posterChosen_ = false;
};

}  // namespace orvel::ui
