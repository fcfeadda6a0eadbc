#include "ui/plonk_window.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "scoring/plonk_command.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

constexpr std::string_view kAddCaption = "Plonker ce c..";

}  // namespace

TfmPlonk::TfmPlonk(TPlonker& plonker, Prompter& prompter, std::int32_t today,
                   const DateFormatSettings& formats, QWidget* parent)
    : QDialog(parent), plonker_(plonker), prompter_(prompter), today_(today), formats_(formats) {
  setWindowTitle("Fichier de Plonk");
  setObjectName("TfmPlonk");
  auto* layout = new QVBoxLayout(this);
  list_ = new QTreeWidget(this);
  list_->setObjectName("plonks");
  list_->setRootIsDecorated(false);
  list_->setColumnCount(3);
  list_->setHeaderLabels({"Auteur:", "Adresse:", "Expire le:"});
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = list_->indexAt(at);
    if (index.isValid()) editEntry(index.row(), index.column());
  });
  connect(list_, &QTreeWidget::itemChanged, this, &TfmPlonk::commitEdit);
  layout->addWidget(list_);
  // The hint keeps its CRLF line ends; a label breaks lines at LF only.
  auto* hint = new QLabel(qs(kPlonkHint).remove('\r'), this);
  layout->addWidget(hint);
  auto* row = new QHBoxLayout;
  add_ = new QPushButton("&Ajouter", this);
  connect(add_, &QPushButton::clicked, this, &TfmPlonk::addEntry);
  auto* close = new QPushButton("Fermer", this);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  row->addWidget(add_);
  row->addStretch(1);
  row->addWidget(close);
  layout->addLayout(row);
  resize(560, 420);
  refresh();
}

void TfmPlonk::refresh(int current) {
  filling_ = true;
  list_->clear();
  for (const auto& e : plonker_.Entries()) {
    auto* item = new QTreeWidgetItem(
        list_, {qs(e.name), qs(e.address), qs(PlonkExpiryText(e.expiry, formats_))});
    item->setFlags(item->flags() | Qt::ItemIsEditable);
  }
  if (current >= 0 && current < list_->topLevelItemCount()) {
    list_->setCurrentItem(list_->topLevelItem(current));
  }
  filling_ = false;
}

void TfmPlonk::addEntry() {
  const auto name = prompter_.inputText(kAddCaption, "Entrer son pseudo:  ");
  if (!name) return;
  const auto address = prompter_.inputText(kAddCaption, "Adresse de cet animal");
  if (!address) return;
  const auto days =
      prompter_.inputNumber(kAddCaption, kPlonkDaysPrompt, kPlonkDefaultDays, 0, kPlonkMaxDays);
  if (!days) return;
  const int at = plonker_.AddPlonk(*name, *address, false, PlonkExpiry(*days, today_));
  if (at < 0) {
    prompter_.message("Existe d\u00e9j\u00e0 !!!", MessageKind::Warning);
    return;
  }
  refresh(at);
}

void TfmPlonk::deleteSelected() {
  const auto selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  if (prompter_.ask("Supprimer ?    ", kYesNo) != Button::Yes) return;
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const auto* item : selected) pairs.emplace_back(utf8(item->text(0)), utf8(item->text(1)));
  for (const auto& [name, address] : pairs) plonker_.RemovePlonk(name, address);
  refresh();
}

void TfmPlonk::editEntry(int row, int column) {
  QTreeWidgetItem* item = list_->topLevelItem(row);
  if (!item || column > 1) return;
  list_->setCurrentItem(item, column);
  list_->editItem(item, column);
}

void TfmPlonk::commitEdit(QTreeWidgetItem* item, int column) {
  if (filling_ || column > 1) return;
  const int row = list_->indexOfTopLevelItem(item);
  if (row < 0 || row >= static_cast<int>(plonker_.Entries().size())) return;
  const PlonkEntry old = plonker_.Entries()[static_cast<std::size_t>(row)];
  const std::string name = utf8(item->text(0));
  const std::string address = utf8(item->text(1));
  int current = row;
  if (PlonkKey(name, address) != PlonkKey(old.name, old.address)) {
    if (plonker_.IsPlonked(name, address)) {
      prompter_.message("Duplicate entry", MessageKind::Warning);
    } else {
      plonker_.RemovePlonk(old.name, old.address);
      current = plonker_.AddPlonk(name, address, false, old.expiry);
    }
  }
  // The item that changed is still inside its own signal: rebuild after it.
  QMetaObject::invokeMethod(this, [this, current] { refresh(current); }, Qt::QueuedConnection);
}

void TfmPlonk::keyPressEvent(QKeyEvent* event) {
  // An open in-place editor takes Delete itself; it never reaches here.
  if (event->key() == Qt::Key_Delete) {
    deleteSelected();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace orvel::ui
