#pragma once
// A page of the options window generated from the settings table: one field
// per key of its sections, shown from and taken back into a Settings copy.
// Booleans are check boxes, the sort column a list, fonts and colours
// buttons that open the font and colour dialogs, every other key a line
// whose text is range-checked as a read of the file checks it.

#include <QScrollArea>
#include <QString>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "config/settings_table.h"

class QFormLayout;
class QVBoxLayout;

namespace orvel::ui {

class SettingsPage final : public QScrollArea {
  Q_OBJECT

 public:
  SettingsPage(std::initializer_list<SettingsSection> sections, Settings& settings,
               QWidget* parent = nullptr);

  // Adds a widget under the generated fields.
  void addWidget(QWidget* widget);

  // Takes every field changed since it was shown into the settings (so an
  // untouched value is written back byte for byte). A value the file's reading would
  // not take leaves that key unchanged, focuses its field and is described
  // in the result.
  std::optional<QString> collect();

  // The field of a key (its object name is the key), for tests.
  QWidget* field(const char* key) const;

 private:
  struct Field {
    const SettingKey* key;
    QWidget* widget;
    std::string shown;  // the text the field started with
  };
  static std::optional<std::string> fieldText(QWidget* widget);
  QWidget* makeField(const SettingKey& key);
  QWidget* makeFontButton(const SettingKey& key, BagFont Settings::*member);
  QWidget* makeColorButton(const SettingKey& key, std::uint32_t Settings::*member);

  Settings& settings_;
  std::vector<Field> fields_;
  QVBoxLayout* column_ = nullptr;
};

}  // namespace orvel::ui
