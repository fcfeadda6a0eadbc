#include "config/key_dialog.h"

#include "config/shortcuts.h"

namespace orvel {

namespace {

void addRows(std::vector<KeyDialogModel::Row>& rows, const char* context,
             const ActionList& actions) {
  for (const auto& a : actions) {
    rows.push_back({context, ShortCutToText(a.shortcut), a.def->caption, a.def->name, a.shortcut});
  }
}

}  // namespace

const char* KeyContextWord(ActionWindow window) {
  switch (window) {
    case ActionWindow::GroupList: return "Groups";
    case ActionWindow::GroupView: return "Articles";
    case ActionWindow::Compose: return "Editor";
    case ActionWindow::Main:
    case ActionWindow::Folders: break;
  }
  return "Main";
}

KeyDialogModel::KeyDialogModel(std::optional<ActionWindow> contextWindow,
                               const ActionList& contextActions, const ActionList& mainActions) {
  if (contextWindow && *contextWindow != ActionWindow::Main &&
      *contextWindow != ActionWindow::Folders) {
    addRows(rows_, KeyContextWord(*contextWindow), contextActions);
  }
  addRows(rows_, "Main", mainActions);
}

void KeyDialogModel::SelectRow(int index) {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  selected_ = index;
  typed_.reset();
  const Row& row = rows_[static_cast<std::size_t>(index)];
  shortcutBox_ = row.shortcutText;
  upperLabel_ = label(row);
}

void KeyDialogModel::TypeShortcut(int code) {
  typed_ = code;
  shortcutBox_ = ShortCutToText(code);
  lowerLabel_.clear();
  setCaption_ = "Set";
  if (code == 0) return;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (static_cast<int>(i) != selected_ && rows_[i].code == code) {
      lowerLabel_ = label(rows_[i]);
      setCaption_ = "Change";
      return;
    }
  }
}

void KeyDialogModel::PressSet() {
  if (!setEnabled()) return;
  const int code = *typed_;
  if (code != 0) {
    for (auto& row : rows_) {
      if (row.code == code) {
        row.code = 0;
        row.shortcutText.clear();
      }
    }
  }
  Row& row = rows_[static_cast<std::size_t>(selected_)];
  row.code = code;
  row.shortcutText = ShortCutToText(code);
  okEnabled_ = true;
}

void KeyDialogModel::PressEnterInList() {
  if (setEnabled()) PressSet();
}

bool KeyDialogModel::Ok(SettingsBags& bags, std::string* error) const {
  TBag* contextBag = nullptr;
  if (!rows_.empty()) {
    const std::string& first = rows_.front().context;
    if (first == "Groups") contextBag = &bags.groupKeys;
    if (first == "Editor") contextBag = &bags.editKeys;
    if (first == "Articles") contextBag = &bags.articleKeys;
  }
  for (const auto& row : rows_) {
    TBag* bag = row.context == "Main" ? &bags.mainKeys : contextBag;
    if (bag) bag->SetKey(row.name, row.code);
  }
  return SaveKeyBags(bags, error);
}

}  // namespace orvel
