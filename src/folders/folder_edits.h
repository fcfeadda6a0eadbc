#pragma once
// Changes to the folder list: the name rules, and create, delete, rename,
// change of file and sort, each in two forms. The plain functions do the
// work with every answer given (orvel-cli); TFolderEditor asks the person
// through the prompter first, as the folders window does. Every change
// writes "folders.ini" at once. Outbox and Sent (entries 0 and 1) are never
// deleted, renamed or re-pointed, and neither is a folder a group view has
// open.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/prompter.h"
#include "folders/folder_list.h"

namespace orvel {

inline constexpr std::string_view kFolderNamePrompt = "       Entrez un nom pour ce dossier.";
inline constexpr std::string_view kRenameCaption = "Nom dossier :";
inline constexpr std::string_view kFolderOpenText =
    "Dossier ouvert: Pas de modification possible      ";
inline constexpr std::string_view kSortQuestion = "Tri dossiers?";
// A folder name must leave room for ".mbx" in a 255-byte file name.
inline constexpr std::size_t kMaxFolderNameBytes = 251;

enum class NameUse { NewFolder, Rename };

// "       " + " Créer une " + "archive" or "queue".
std::string NewFolderCaption(bool queue);

// Why name cannot name a folder (the message to show), or nothing when it
// can. renaming: the index of the folder being renamed, which may keep its
// own name in another case.
std::optional<std::string> FolderNameProblem(const TFolderList& list, std::string_view name,
                                             NameUse use,
                                             std::optional<std::size_t> renaming = {});

// Why a folder cannot be deleted, renamed or re-pointed, or nothing.
// isOpen says whether a group view has the folder open.
using FolderOpenCheck = std::function<bool(const TFolderInfo&)>;
std::optional<std::string> FolderChangeProblem(const TFolderList& list, std::size_t index,
                                               const FolderOpenCheck& isOpen);

// ---- Without questions: the name and the index are checked by the caller.
// Each writes "folders.ini"; a write failure is put in error and the list
// keeps the change.
struct FolderChange {
  std::size_t index = 0;  // the folder made, renamed or to select after a delete
  bool saved = true;
  std::string error;      // the write failure or, for a rename, the failed move
};

FolderChange CreateFolder(TFolderList& list, std::string name, bool queue);
// Deletes the entry and, with deleteFiles, the body file and its index file.
FolderChange DeleteFolder(TFolderList& list, std::size_t index, bool deleteFiles);
// A folder on its default file has the body file, then the index file,
// moved to the new name's default file; a failed move keeps the old file
// and still renames. A folder on a file of its own keeps it.
FolderChange RenameFolder(TFolderList& list, std::size_t index, std::string newName);
FolderChange ChangeFolderFile(TFolderList& list, std::size_t index, std::string file);
FolderChange SortFolders(TFolderList& list);

// ---- With questions.
class TFolderEditor {
 public:
  TFolderEditor(TFolderList& list, Prompter& prompter, FolderOpenCheck isOpen = {});

  // Each returns the index to select when something changed.
  std::optional<std::size_t> NewFolder(bool queue);
  std::optional<std::size_t> Delete(std::size_t index);
  std::optional<std::size_t> Rename(std::size_t index);
  std::optional<std::size_t> ChangeFile(std::size_t index);
  bool Sort();

  // Asks until Cancel (nothing) or a name the list takes.
  std::optional<std::string> AskName(NameUse use, std::string_view caption,
                                     std::string_view initial,
                                     std::optional<std::size_t> renaming = {});

 private:
  bool mayChange(std::size_t index);
  std::optional<std::size_t> report(const FolderChange& change);

  TFolderList& list_;
  Prompter& prompter_;
  FolderOpenCheck isOpen_;
};

}  // namespace orvel
