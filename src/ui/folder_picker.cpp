#include "ui/folder_picker.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "folders/folder_menus.h"
#include "ui/icons.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

TfmFldrPicker::TfmFldrPicker(const TFolderList& folders, std::vector<std::size_t> choices,
                             QWidget* parent)
    : QDialog(parent), choices_(std::move(choices)) {
  setWindowTitle("Dossiers");
  setObjectName("TfmFldrPicker");
  auto* layout = new QVBoxLayout(this);
  list_ = new QListWidget(this);
  list_->setObjectName("folders");
  for (std::size_t i : choices_) {
    auto* item = new QListWidgetItem(FolderIcon(folders[i].kind), qs(FolderMenuName(folders[i])),
                                     list_);
    item->setToolTip(qs(folders.RelativeFile(folders[i])));
  }
  if (list_->count() > 0) list_->setCurrentRow(0);
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText("Annuler");
  buttons->button(QDialogButtonBox::Ok)->setEnabled(list_->count() > 0);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(280, 360);
}

std::optional<std::size_t> TfmFldrPicker::chosen() const {
  const int row = list_->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= choices_.size()) return std::nullopt;
  return choices_[static_cast<std::size_t>(row)];
}

std::optional<std::size_t> TfmFldrPicker::pick(const TFolderList& folders,
                                               std::vector<std::size_t> choices,
                                               QWidget* parent) {
  TfmFldrPicker picker(folders, std::move(choices), parent);
  if (picker.exec() != QDialog::Accepted) return std::nullopt;
  return picker.chosen();
}

}  // namespace orvel::ui
