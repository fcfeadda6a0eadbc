#include "ui/quick_filter_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {
const QColor kActiveColour(255, 255, 153);
}  // namespace

QuickFilterBox::QuickFilterBox(ViewFilter& filter, bool folderView, QWidget* parent)
    : QWidget(parent), filter_(filter), folderView_(folderView) {
  label_ = new QLabel(this);
  text_ = new QLineEdit(this);
  text_->setAutoFillBackground(true);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label_);
  layout->addWidget(text_);
  connect(text_, &QLineEdit::textChanged, this, &QuickFilterBox::textChanged);
  connect(text_, &QLineEdit::returnPressed, this, &QuickFilterBox::enterPressed);
  paint();
}

void QuickFilterBox::textChanged(const QString& text) {
  switch (filter_.SetQuickText(utf8(text))) {
    case QuickFilter::Outcome::Built:
      emit statusText(qs(filter_.Quick().CountText()));
      break;
    case QuickFilter::Outcome::BadRegex:
      emit statusText(qs(filter_.Quick().Error()));
      break;
    case QuickFilter::Outcome::Unchanged:
    case QuickFilter::Outcome::Emptied:
      break;
  }
  paint();
}

void QuickFilterBox::switchColumn() {
  text_->clear();
  filter_.Quick().SwitchColumn(folderView_);
  paint();
}

void QuickFilterBox::sync() {
  const QSignalBlocker block(text_);
  text_->setText(qs(filter_.Quick().Text()));
  paint();
}

void QuickFilterBox::paint() {
  label_->setText(qs(QuickColumnLabel(filter_.Quick().Column())));
  QPalette palette = text_->palette();
  palette.setColor(QPalette::Base, filter_.Quick().Active() ? kActiveColour
                                                             : QWidget::palette().color(QPalette::Base));
  text_->setPalette(palette);
}

}  // namespace orvel::ui
