#pragma once
// The options window's short label of each settings key.

#include <QString>

#include "config/settings_table.h"

namespace orvel::ui {

// The label of a key; the key's own name when it has none.
QString SettingLabel(const SettingKey& key);

}  // namespace orvel::ui
