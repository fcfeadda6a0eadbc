#include "ui/group_picker.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "posting/group_picker_logic.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

TfmGrpPicker::TfmGrpPicker(std::string_view groups, std::string_view extra,
                           std::string_view current, bool reorder, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Groupes");
  setObjectName("TfmGrpPicker");
  list_ = new QListWidget(this);
  list_->setObjectName("groups");
  for (const PickerEntry& entry : PickerEntries(groups, extra, current)) {
    auto* item = new QListWidgetItem(qs(entry.group), list_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.ticked ? Qt::Checked : Qt::Unchecked);
  }
  if (list_->count() > 0) list_->setCurrentRow(0);

  up_ = new QPushButton("+", this);
  down_ = new QPushButton("-", this);
  // Enter means OK, not a move.
  up_->setAutoDefault(false);
  down_->setAutoDefault(false);
  up_->setVisible(reorder);
  down_->setVisible(reorder);
  connect(up_, &QPushButton::clicked, this, [this] { moveCurrent(-1); });
  connect(down_, &QPushButton::clicked, this, [this] { moveCurrent(1); });
  auto* moves = new QVBoxLayout;
  moves->addWidget(up_);
  moves->addWidget(down_);
  moves->addStretch();
  auto* body = new QHBoxLayout;
  body->addWidget(list_);
  body->addLayout(moves);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText("Annuler");
  poster_ = buttons->addButton(qs(kPickerPoster), QDialogButtonBox::ActionRole);
  poster_->setObjectName("bPoster");
  poster_->setAutoDefault(false);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(poster_, &QPushButton::clicked, this, [this] {
    posterChosen_ = true;
    accept();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addWidget(buttons);
  resize(320, 300);
}

void TfmGrpPicker::moveCurrent(int step) {
  const int row = list_->currentRow();
  const int target = row + step;
  if (row < 0 || target < 0 || target >= list_->count()) return;
  QListWidgetItem* item = list_->takeItem(row);
  list_->insertItem(target, item);
  list_->setCurrentRow(target);
}

std::string TfmGrpPicker::Result() const {
  if (posterChosen_) return std::string(kPickerPoster);
  std::vector<PickerEntry> entries;
  for (int i = 0; i < list_->count(); ++i) {
    const QListWidgetItem* item = list_->item(i);
    entries.push_back({utf8(item->text()), item->checkState() == Qt::Checked});
  }
  return PickerResult(entries);
}

std::optional<std::string> TfmGrpPicker::Pick(QWidget* parent, std::string_view groups,
                                              std::string_view extra, std::string_view current,
                                              bool reorder) {
  TfmGrpPicker picker(groups, extra, current, reorder, parent);
  if (picker.exec() != QDialog::Accepted) return std::nullopt;
  return picker.Result();
}

}  // namespace orvel::ui
