#pragma once
// The program's pictures, drawn at run time so that no image files are
// needed: the group state icons of the group list, the category icon, the
// program icon, and toolbar icons made of a symbol from the DejaVu fonts.

#include <QIcon>
#include <QString>

#include <cstdint>
#include <string_view>

#include "articles/row_state.h"
#include "groups/grp_info.h"

namespace orvel::ui {

QIcon GroupStateIcon(SubscriptionState state);
QIcon CategoryIcon();
// A local folder by kind (kStoreArchive, kStoreOutbox, kStoreSent, kStoreQueue):
// the outbox a tray, a queue a folder marked with a list, the others a folder.
QIcon FolderIcon(std::uint8_t kind);
QIcon AppIcon();
// The small mark before an article's subject; a null icon for RowState::None.
QIcon RowStateIcon(RowState state);
// A toolbar icon for an action by name; a null icon when it has none.
QIcon ActionIcon(std::string_view actionName);

}  // namespace orvel::ui
