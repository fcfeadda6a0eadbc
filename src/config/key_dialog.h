#pragma once
// The key-binding dialog ("Raccourcis clavier") without its widgets: one row
// per action of the active window's context ("Groups", "Articles" or
// "Editor"), then one per main-window action ("Main"). Selecting a row shows
// its shortcut; typing a shortcut names the row that already has it; "Set"
// or "Change" moves the shortcut to the selected row; OK stores every row's
// code in the bags and writes "keys.ini"; Cancel leaves everything as it was
// (the dialog works on its own copy of the rows).

#include <optional>
#include <string>
#include <vector>

#include "config/actions.h"
#include "config/app_state.h"

namespace orvel {

class KeyDialogModel {
 public:
  struct Row {
    std::string context;   // "Main", "Groups", "Articles" or "Editor"
    std::string shortcutText;
    std::string caption;
    std::string name;      // action name
    int code = 0;          // shortcut code
  };

  // contextWindow: the active window's kind (nothing when no such window is
  // active) with its action list; the main window's action list.
  KeyDialogModel(std::optional<ActionWindow> contextWindow, const ActionList& contextActions,
                 const ActionList& mainActions);

  const std::vector<Row>& rows() const { return rows_; }

  // A click or a key on a row.
  void SelectRow(int index);
  // A shortcut typed in the shortcut box (on key release); 0 for none.
  void TypeShortcut(int code);
  // "Set" / "Change": the typed shortcut leaves every row that has it and goes
  // to the selected row.
  void PressSet();
  // Enter in the list runs the set button when it is enabled.
  void PressEnterInList();
  // Stores each row's code under its action's name, context rows in the
  // context's bag and "Main" rows in the main bag, then writes "keys.ini".
  // False with error set when the file cannot be written.
  bool Ok(SettingsBags& bags, std::string* error = nullptr) const;

  int selectedRow() const { return selected_; }
  const std::string& shortcutBoxText() const { return shortcutBox_; }
  const std::string& upperLabel() const { return upperLabel_; }  // context | caption
  const std::string& lowerLabel() const { return lowerLabel_; }  // the row that has the typed shortcut
  const std::string& setCaption() const { return setCaption_; }  // "Executer", "Set", "Change"
  bool setEnabled() const { return selected_ >= 0 && typed_.has_value(); }
  bool okEnabled() const { return okEnabled_; }

 private:
  static std::string label(const Row& row) { return row.context + " | " + row.caption; }

  std::vector<Row> rows_;
  int selected_ = -1;
  std::optional<int> typed_;
  std::string shortcutBox_;
  std::string upperLabel_;
  std::string lowerLabel_;
  std::string setCaption_ = "Executer";
  bool okEnabled_ = false;
};

// The dialog's context word of a window ("Groups", "Articles", "Editor";
// "Main" for the main window).
const char* KeyContextWord(ActionWindow window);

}  // namespace orvel
