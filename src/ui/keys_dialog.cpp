#include "ui/keys_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "config/shortcuts.h"
#include "ui/key_sequence.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

ShortcutBox::ShortcutBox(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }

bool ShortcutBox::event(QEvent* event) {
  // Keys that would move the focus or close the dialog are shortcuts too.
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QLineEdit::event(event);
}

void ShortcutBox::keyPressEvent(QKeyEvent* event) {
  const int code = ShortcutCodeOf(event->key(), event->modifiers());
  if (code == 0) return;  // a modifier alone, or a key without a code
  code_ = code;
  pending_ = true;
  setText(QString::fromStdString(ShortCutToText(code)));
}

void ShortcutBox::keyReleaseEvent(QKeyEvent* event) {
  if (!pending_ || event->isAutoRepeat()) return;
  pending_ = false;
  emit shortcutTyped(code_);
}

TfmKeys::TfmKeys(SettingsBags& bags, std::optional<ActionWindow> context,
                 const ActionList& contextActions, const ActionList& mainActions,
                 QWidget* parent)
    : QDialog(parent), bags_(bags), model_(context, contextActions, mainActions) {
  setWindowTitle("Raccourcis clavier");
  resize(640, 520);

  list_ = new QTreeWidget(this);
  list_->setObjectName("keysList");
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setHeaderLabels({"Contexte", "Raccourci", "Commande"});
  list_->header()->resizeSection(0, 80);
  list_->header()->resizeSection(1, 120);
  list_->installEventFilter(this);

  shortcutBox_ = new ShortcutBox(this);
  shortcutBox_->setObjectName("shortcutBox");
  upper_ = new QLabel(this);
  lower_ = new QLabel(this);
  set_ = new QPushButton(this);
  set_->setObjectName("bSet");
  set_->setAutoDefault(false);
  ok_ = new QPushButton("OK", this);
  ok_->setAutoDefault(false);
  auto* cancel = new QPushButton("Annuler", this);
  cancel->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Changer ?", this), 0, 0);
  grid->addWidget(upper_, 0, 1, 1, 2);
  grid->addWidget(shortcutBox_, 1, 1);
  grid->addWidget(set_, 1, 2);
  grid->addWidget(new QLabel("Est utilis\u00e9 par:", this), 2, 0);
  grid->addWidget(lower_, 2, 1, 1, 2);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  fillRows();
  connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (!item) return;
    model_.SelectRow(list_->indexOfTopLevelItem(item));
    refresh();
  });
  connect(shortcutBox_, &ShortcutBox::shortcutTyped, this, [this](int code) {
    model_.TypeShortcut(code);
    refresh();
  });
  connect(set_, &QPushButton::clicked, this, [this] {
    model_.PressSet();
    refresh();
  });
  connect(ok_, &QPushButton::clicked, this, &TfmKeys::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  refresh();
}

void TfmKeys::fillRows() {
  list_->clear();
  for (const auto& row : model_.rows()) {
    list_->addTopLevelItem(new QTreeWidgetItem(
        {qs(row.context), qs(row.shortcutText), plainCaption(qs(row.caption))}));
  }
}

void TfmKeys::refresh() {
  const auto& rows = model_.rows();
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    list_->topLevelItem(i)->setText(1, qs(rows[static_cast<std::size_t>(i)].shortcutText));
  }
  shortcutBox_->setText(qs(model_.shortcutBoxText()));
  upper_->setText(qs(model_.upperLabel()));
  lower_->setText(qs(model_.lowerLabel()));
  set_->setText(qs(model_.setCaption()));
  set_->setEnabled(model_.setEnabled());
  ok_->setEnabled(model_.okEnabled());
}

bool TfmKeys::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      model_.PressEnterInList();
      refresh();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TfmKeys::accept() {
  std::string error;
  if (!model_.Ok(bags_, &error)) {
    QMessageBox::warning(this, "Orvel", qs(error));
    return;
  }
  QDialog::accept();
}

}  // namespace orvel::ui
