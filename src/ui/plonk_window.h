#pragma once
// TfmPlonk, "Fichier de Plonk": the plonk list with its expiry dates. Add
// asks three questions; Delete removes the selected entries after asking; a
// right click edits a name or an address in place (Escape closes the
// editor). Changes go to the TPlonker, which writes its file at shutdown.

#include <QDialog>

#include <cstdint>

#include "core/date_format.h"
#include "core/prompter.h"
#include "scoring/plonker.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvel::ui {

inline constexpr const char* kPlonkHint =
    "\"Suppr\" pour supprimer l'entr\u00e9e\r\nClic droit pour \u00e9diter\r\n"
    "\"Echap\"  pour fermer la mini boite d'\u00e9dition";

class TfmPlonk final : public QDialog {
  Q_OBJECT

 public:
  TfmPlonk(TPlonker& plonker, Prompter& prompter, std::int32_t today,
           const DateFormatSettings& formats, QWidget* parent = nullptr);

  QTreeWidget& list() { return *list_; }
  QPushButton& addButton() { return *add_; }

  // "&Ajouter": name, address and days, each asked in turn.
  void addEntry();
  // The Delete key: the selected entries, after "Supprimer ?".
  void deleteSelected();
  // The in-place editor of a right click, on the name (0) or address (1).
  void editEntry(int row, int column);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void refresh(int current = -1);
  void commitEdit(QTreeWidgetItem* item, int column);

  TPlonker& plonker_;
  Prompter& prompter_;
  std::int32_t today_;
  DateFormatSettings formats_;
  QTreeWidget* list_ = nullptr;
  QPushButton* add_ = nullptr;
  bool filling_ = false;
};

}  // namespace orvel::ui
