#include "ui/xover_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

// One of the three set bars over the group's number range.
class SetBar final : public QWidget {
 public:
  SetBar(TfmXOVER& form, XoverBar bar, QColor colour, QWidget* parent)
      : QWidget(parent), form_(form), bar_(bar), colour_(colour) {
    setMinimumSize(220, 14);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const std::vector<bool> cells = form_.Bar(bar_, width());
    for (int x = 0; x < static_cast<int>(cells.size()); ++x) {
      if (cells[static_cast<std::size_t>(x)]) painter.fillRect(x, 0, 1, height(), colour_);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }

 private:
  TfmXOVER& form_;
  XoverBar bar_;
  QColor colour_;
};

constexpr const char* kActionCaptions[] = {
    "Nettoyer les lus, charger les en-t\u00eates", "Recharger sauf les articles lus",
    "Charger y compris les articles lus", "Nettoyer seulement les articles lus"};

QGroupBox* statsBox(const QString& title, const ThreadStats& stats, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* form = new QFormLayout(box);
  const XoverStatsTexts texts = StatsTexts(stats);
  form->addRow("Articles :", new QLabel(qs(texts.total), box));
  form->addRow("Non lus :", new QLabel(qs(texts.unread), box));
  form->addRow("Multipart :", new QLabel(qs(texts.multiPart), box));
  form->addRow("Complets :", new QLabel(qs(texts.complete), box));
  return box;
}

}  // namespace

XoverForm::XoverForm(TfmXOVER& form, const QString& groupName, QWidget* parent)
    : QDialog(parent), form_(form) {
  setObjectName("TfmXOVER");
  build(groupName);
  refresh();
}

void XoverForm::build(const QString& groupName) {
  const QString title = qs(form_.Title());
  setWindowTitle(title.isEmpty() ? groupName : title);
  auto* layout = new QVBoxLayout(this);

  auto* range = new QGroupBox(QString("Articles %1 \u00e0 %2").arg(form_.Low()).arg(form_.High()),
                              this);
  auto* grid = new QGridLayout(range);
  auto makeBar = [&](QSlider*& bar, QSpinBox*& spin, const QString& label, int row) {
    bar = new QSlider(Qt::Horizontal, range);
    bar->setRange(form_.Low(), std::max(form_.Low(), form_.High()));
    spin = new QSpinBox(range);
    spin->setRange(form_.Low(), std::max(form_.Low(), form_.High()));
    spin->setMinimumWidth(90);
    grid->addWidget(new QLabel(label, range), row, 0);
    grid->addWidget(bar, row, 1);
    grid->addWidget(spin, row, 2);
  };
  makeBar(startBar_, startSpin_, "D\u00e9but :", 0);
  makeBar(endBar_, endSpin_, "Fin :", 1);
  estimate_ = new QLabel(range);
  estimate_->setObjectName("estimate");
  grid->addWidget(estimate_, 2, 1);
  connect(startBar_, &QSlider::valueChanged, this, &XoverForm::moveStart);
  connect(startSpin_, &QSpinBox::valueChanged, this, &XoverForm::moveStart);
  connect(endBar_, &QSlider::valueChanged, this, &XoverForm::moveEnd);
  connect(endSpin_, &QSpinBox::valueChanged, this, &XoverForm::moveEnd);

  auto* limitRow = new QHBoxLayout;
  limitBox_ = new QCheckBox("Limiter:", range);
  limitSpin_ = new QSpinBox(range);
  limitSpin_->setRange(1, 99999999);
  autoFree_ = new QCheckBox("Liberer les vieilles en-t\u00eates", range);
  limitRow->addWidget(limitBox_);
  limitRow->addWidget(limitSpin_);
  limitRow->addSpacing(16);
  limitRow->addWidget(autoFree_);
  limitRow->addStretch(1);
  grid->addLayout(limitRow, 3, 0, 1, 3);
  connect(limitBox_, &QCheckBox::toggled, this, [this](bool on) {
    if (refreshing_) return;
    form_.SetLimitChecked(on);
    refresh();
  });
  connect(limitSpin_, &QSpinBox::valueChanged, this, [this](int value) {
    if (refreshing_) return;
    form_.SetLimitValue(value);
    refresh();
  });
  connect(autoFree_, &QCheckBox::toggled, this, [this](bool on) { form_.SetAutoFree(on); });
  layout->addWidget(range);

  auto* sets = new QGroupBox("Ensembles", this);
  auto* setGrid = new QGridLayout(sets);
  const struct {
    XoverBar bar;
    const char* caption;
    QColor colour;
  } kBars[] = {{XoverBar::Present, "Charg\u00e9s", QColor(40, 120, 200)},
               {XoverBar::Read, "Lus", QColor(60, 160, 60)},
               {XoverBar::Excluded, "Tu\u00e9s", QColor(200, 60, 50)}};
  int row = 0;
  for (const auto& b : kBars) {
    auto* bar = new SetBar(form_, b.bar, b.colour, sets);
    bars_.append(bar);
    auto* clear = new QPushButton("= 0", sets);
    clear->setObjectName(QString("clear%1").arg(row));
    clear->setMaximumWidth(40);
    const XoverBar which = b.bar;
    connect(clear, &QPushButton::clicked, this, [this, which] {
      form_.ClearSet(which);
      refresh();
    });
    setGrid->addWidget(new QLabel(b.caption, sets), row, 0);
    setGrid->addWidget(bar, row, 1);
    setGrid->addWidget(clear, row, 2);
    ++row;
  }
  layout->addWidget(sets);

  auto* statsRow = new QHBoxLayout;
  statsRow->addWidget(statsBox("Toutes les statistiques", form_.AllStats(), this));
  statsRow->addWidget(statsBox("Statistiques du dernier filtre", form_.FilterStats(), this));
  layout->addLayout(statsRow);

  actions_ = new QGroupBox("Action", this);
  auto* actionLayout = new QVBoxLayout(actions_);
  actionGroup_ = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    auto* button = new QRadioButton(kActionCaptions[i], actions_);
    actionGroup_->addButton(button, i);
    actionLayout->addWidget(button);
  }
  actionGroup_->button(static_cast<int>(form_.Action()))->setChecked(true);
  connect(actionGroup_, &QButtonGroup::idClicked, this,
          [this](int id) { form_.SetAction(static_cast<XoverAction>(id)); });
  actions_->setVisible(form_.ActionsShown());
  layout->addWidget(actions_);

  auto* buttons = new QDialogButtonBox(
      form_.ActionsShown() ? QDialogButtonBox::Ok | QDialogButtonBox::Cancel
                           : QDialogButtonBox::Ok,
      this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void XoverForm::moveStart(int value) {
  if (refreshing_) return;
  if (QApplication::keyboardModifiers() & Qt::ControlModifier) {
    form_.MoveBoth(value - form_.Start());
  } else {
    form_.SetStart(value);
  }
  refresh();
}

void XoverForm::moveEnd(int value) {
  if (refreshing_) return;
  if (QApplication::keyboardModifiers() & Qt::ControlModifier) {
    form_.MoveBoth(value - form_.End());
  } else {
    form_.SetEnd(value);
  }
  refresh();
}

QString XoverForm::estimateText() const { return estimate_->text(); }

void XoverForm::refresh() {
  refreshing_ = true;
  startBar_->setValue(form_.Start());
  startSpin_->setValue(form_.Start());
  endBar_->setValue(form_.End());
  endSpin_->setValue(form_.End());
  limitBox_->setChecked(form_.LimitChecked());
  limitSpin_->setValue(form_.LimitValue());
  limitSpin_->setEnabled(form_.LimitChecked());
  autoFree_->setChecked(form_.AutoFree());
  estimate_->setText(QString("Soit: %1").arg(form_.Estimate()));
  for (QWidget* bar : bars_) bar->update();
  refreshing_ = false;
}

}  // namespace orvel::ui
