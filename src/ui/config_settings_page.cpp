#include "ui/config_settings_page.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>
#include <utility>

#include "ui/config_labels.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

// The box a key's field stands in: the attribution lines and the fonts and
// colours have their own, the others their section's.
QString boxTitle(const SettingKey& key) {
  const std::string_view name = key.key;
  if (name == "NewsAttrib" || name == "MailAttrib" || name == "ForwAttrib") {
    return "LIGNES D'ATTRIBUTION";
  }
  if (std::holds_alternative<BagFont Settings::*>(key.field) ||
      std::holds_alternative<std::uint32_t Settings::*>(key.field)) {
    return "Polices et couleurs";
  }
  return SectionName(key.section);
}

// What a refused value should have been, in the words of the message.
QString expectedValues(const SettingKey& key) {
  if (std::holds_alternative<int Settings::*>(key.field)) {
    if (key.onlyEnds) return QString("%1 ou %2").arg(key.minimum).arg(key.maximum);
    if (key.minimum != INT32_MIN || key.maximum != INT32_MAX) {
      return QString("un nombre de %1 \u00e0 %2").arg(key.minimum).arg(key.maximum);
    }
    return "un nombre entier";
  }
  if (key.rule == SettingRule::NeedsPercentM) return "un texte contenant %m";
  if (key.rule == SettingRule::NonEmpty) return "un texte non vide";
  return "une autre valeur";
}

QString fontText(const BagFont& f) {
  QString text = qs(f.name) + QString(" %1").arg(f.size);
  if (f.style & BagFont::Bold) text += " gras";
  if (f.style & BagFont::Italic) text += " italique";
  return text;
}

void paintSwatch(QPushButton* button, std::uint32_t color) {
  const QColor c = qtColor(color);
  button->setText(c.name());
  button->setStyleSheet(QString("background-color: %1; color: %2")
                            .arg(c.name(), c.lightness() < 128 ? "white" : "black"));
}

}  // namespace

SettingsPage::SettingsPage(std::initializer_list<SettingsSection> sections, Settings& settings,
                           QWidget* parent)
    : QScrollArea(parent), settings_(settings) {
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  auto* content = new QWidget(this);
  column_ = new QVBoxLayout(content);
  for (const SettingsSection section : sections) {
    std::vector<std::pair<QString, QFormLayout*>> boxes;  // in order of first use
    for (const SettingKey& key : SettingsTable()) {
      if (key.section != section) continue;
      const QString title = boxTitle(key);
      auto box = std::find_if(boxes.begin(), boxes.end(),
                              [&](const auto& b) { return b.first == title; });
      if (box == boxes.end()) {
        auto* group = new QGroupBox(title, content);
        auto* form = new QFormLayout(group);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        column_->addWidget(group);
        box = boxes.insert(boxes.end(), {title, form});
      }
      QWidget* widget = makeField(key);
      widget->setObjectName(key.key);
      fields_.push_back({&key, widget, fieldText(widget).value_or(std::string())});
      if (qobject_cast<QCheckBox*>(widget)) {
        box->second->addRow(widget);
      } else {
        box->second->addRow(SettingLabel(key), widget);
      }
    }
  }
  column_->addStretch(1);
  setWidget(content);
}

void SettingsPage::addWidget(QWidget* widget) {
  column_->insertWidget(column_->count() - 1, widget);
}

QWidget* SettingsPage::makeField(const SettingKey& key) {
  if (const auto* member = std::get_if<bool Settings::*>(&key.field)) {
    auto* box = new QCheckBox(SettingLabel(key));
    box->setChecked(settings_.*(*member));
    return box;
  }
  if (const auto* member = std::get_if<BagFont Settings::*>(&key.field)) {
    return makeFontButton(key, *member);
  }
  if (const auto* member = std::get_if<std::uint32_t Settings::*>(&key.field)) {
    return makeColorButton(key, *member);
  }
  if (key.rule == SettingRule::SortColumn) {
    auto* list = new QComboBox;
    for (const char* name : kSortColumnNames) list->addItem(name);
    list->setCurrentText(qs(SettingText(settings_, key)));
    return list;
  }
  return new QLineEdit(qs(SettingText(settings_, key)));
}

QWidget* SettingsPage::makeFontButton(const SettingKey& key, BagFont Settings::*member) {
  auto* button = new QPushButton(fontText(settings_.*member));
  button->setFont(qtFont(settings_.*member));
  connect(button, &QPushButton::clicked, this, [this, button, member, &key] {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, qtFont(settings_.*member), this, SettingLabel(key));
    if (!ok) return;
    settings_.*member = bagFont(chosen, settings_.*member);
    button->setText(fontText(settings_.*member));
    button->setFont(qtFont(settings_.*member));
  });
  return button;
}

QWidget* SettingsPage::makeColorButton(const SettingKey& key, std::uint32_t Settings::*member) {
  auto* button = new QPushButton;
  paintSwatch(button, settings_.*member);
  connect(button, &QPushButton::clicked, this, [this, button, member, &key] {
    const QColor chosen = QColorDialog::getColor(qtColor(settings_.*member), this,
                                                 SettingLabel(key));
    if (!chosen.isValid()) return;
    settings_.*member = bgrColor(chosen);
    paintSwatch(button, settings_.*member);
  });
  return button;
}

std::optional<std::string> SettingsPage::fieldText(QWidget* widget) {
  if (auto* box = qobject_cast<QCheckBox*>(widget)) return box->isChecked() ? "1" : "0";
  if (auto* list = qobject_cast<QComboBox*>(widget)) return utf8(list->currentText());
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return utf8(line->text());
  return std::nullopt;  // fonts and colours are taken when chosen
}

std::optional<QString> SettingsPage::collect() {
  std::optional<QString> refusal;
  for (Field& f : fields_) {
    const auto current = fieldText(f.widget);
    if (!current || *current == f.shown) continue;
    const std::string& text = *current;
    if (ApplySettingText(settings_, *f.key, text, true)) {
      // Shown as taken: "150%" of quote share reads as 0, extensions upper-case.
      f.shown = SettingText(settings_, *f.key);
      if (auto* line = qobject_cast<QLineEdit*>(f.widget)) line->setText(qs(f.shown));
      continue;
    }
    if (refusal) continue;
    refusal = QString("%1 : \u00ab %2 \u00bb n'est pas accept\u00e9, il faut %3.")
                  .arg(SettingLabel(*f.key), qs(text), expectedValues(*f.key));
    ensureWidgetVisible(f.widget);
    f.widget->setFocus();
  }
  return refusal;
}

QWidget* SettingsPage::field(const char* key) const {
  for (const Field& f : fields_) {
    if (std::string_view(f.key->key) == key) return f.widget;
  }
  return nullptr;
}

}  // namespace orvel::ui
