#include "folders/folder_edits.h"

#include <algorithm>
#include <filesystem>

namespace orvel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSymbols = "\\/:*?\"<>|,";

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// "" when it moved, else why not.
std::string moveFile(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (exists(to)) return "Le fichier " + to + " existe d\u00e9j\u00e0";
  fs::rename(from, to, ec);
  if (ec) return "Impossible de renommer " + from + " en " + to + ": " + ec.message();
  return {};
}

void save(const TFolderList& list, FolderChange& change) {
  std::string error;
  if (list.Save(&error)) return;
  change.saved = false;
  if (!change.error.empty()) change.error += "; ";
  change.error += "folders.ini: " + error;
}

bool hasControl(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
  });
}

// Names that "folders.ini" could not give back: a key of its "Queues"
// section cannot hold "=", start with a section, comment or blank, or end
// with a blank.
bool breaksIniKey(std::string_view name) {
  const char first = name.front();
  const char last = name.back();
  return name.find('=') != std::string_view::npos || first == '[' || first == ';' ||
         first == '#' || first == ' ' || last == ' ';
}

}  // namespace

std::string NewFolderCaption(bool queue) {
  return std::string("       ") + " Cr\u00e9er une " + (queue ? "queue" : "archive");
}

std::optional<std::string> FolderNameProblem(const TFolderList& list, std::string_view name,
                                             NameUse use, std::optional<std::size_t> renaming) {
  if (name.empty()) return "Un nom de dossier ne peut pas \u00eatre vide";
  const auto same = list.IndexOf(name);
  if (same && same != renaming) {
    return "    Un tel nom " + std::string(name) + " existe d\u00e9j\u00e0 !  ";
  }
  if (name.find_first_of(kSymbols) != std::string_view::npos) {
    return use == NameUse::NewFolder
               ? "     Un nom ne doit pas contenir un de ces symboles \\/:*?\"<>|,"
               : "Un Dossier  ne doit pas contenir un de ces symboles \\/:*?\"<>|,";
  }
  if (name.find("..") != std::string_view::npos) {
    return "Un nom de dossier ne doit pas contenir \"..\"";
  }
  if (hasControl(name)) return "Un nom de dossier ne doit pas contenir de caract\u00e8re de contr\u00f4le";
  if (name.size() > kMaxFolderNameBytes) {
    return "Un nom de dossier ne doit pas d\u00e9passer " + std::to_string(kMaxFolderNameBytes) +
           " octets";
  }
  if (breaksIniKey(name)) {
    return "Un nom de dossier ne doit pas contenir \"=\", ni commencer par \"[\", \";\", \"#\" "
           "ou un blanc, ni finir par un blanc";
  }
  return std::nullopt;
}

std::optional<std::string> FolderChangeProblem(const TFolderList& list, std::size_t index,
                                               const FolderOpenCheck& isOpen) {
  if (index >= list.Count()) return "Pas de dossier " + std::to_string(index);
  if (index < kFixedFolders) {
    return list[index].name + " est un dossier fixe: Pas de modification possible";
  }
  if (isOpen && isOpen(list[index])) return std::string(kFolderOpenText);
  return std::nullopt;
}

FolderChange CreateFolder(TFolderList& list, std::string name, bool queue) {
  std::string file = list.DefaultFile(name);
  FolderChange change;
  change.index = list.Add(std::move(name), std::move(file), queue);
  save(list, change);
  return change;
}

FolderChange DeleteFolder(TFolderList& list, std::size_t index, bool deleteFiles) {
  FolderChange change;
  if (deleteFiles) {
    for (const std::string& path : {list[index].file, FolderIndexFile(list[index])}) {
      std::error_code ec;
      fs::remove(path, ec);
      if (ec) change.error += "Impossible de supprimer " + path + ": " + ec.message() + "; ";
    }
    if (!change.error.empty()) change.error.resize(change.error.size() - 2);
  }
  list.Remove(index);
  change.index = std::min(index, list.Count() - 1);
  save(list, change);
  return change;
}

FolderChange RenameFolder(TFolderList& list, std::size_t index, std::string newName) {
  FolderChange change;
  change.index = index;
  const TFolderInfo old = list[index];
  if (list.HasDefaultFile(old)) {
    TFolderInfo renamed = old;
    renamed.file = list.DefaultFile(newName);
    // A folder that never received an article has no file to move.
    change.error = exists(old.file) ? moveFile(old.file, renamed.file) : std::string();
    if (change.error.empty()) {
      list.SetFile(index, renamed.file);
      const std::string oldIndex = FolderIndexFile(old);
      if (exists(oldIndex)) change.error = moveFile(oldIndex, FolderIndexFile(renamed));
    }
  }
  list.SetName(index, std::move(newName));
  save(list, change);
  return change;
}

FolderChange ChangeFolderFile(TFolderList& list, std::size_t index, std::string file) {
  FolderChange change;
  change.index = index;
  list.SetFile(index, list.AbsoluteFile(file));
  save(list, change);
  return change;
}

FolderChange SortFolders(TFolderList& list) {
  FolderChange change;
  list.SortUserFolders();
  save(list, change);
  return change;
}

// ---------------------------------------------------------------- with questions

TFolderEditor::TFolderEditor(TFolderList& list, Prompter& prompter, FolderOpenCheck isOpen)
    : list_(list), prompter_(prompter), isOpen_(std::move(isOpen)) {}

std::optional<std::string> TFolderEditor::AskName(NameUse use, std::string_view caption,
                                                  std::string_view initial,
                                                  std::optional<std::size_t> renaming) {
  std::string text(initial);
  for (;;) {
    auto name = prompter_.inputText(caption, kFolderNamePrompt, text);
    if (!name) return std::nullopt;
    const auto problem = FolderNameProblem(list_, *name, use, renaming);
    if (!problem) return name;
    prompter_.message(*problem, MessageKind::Warning);
    text = std::move(*name);
  }
}

bool TFolderEditor::mayChange(std::size_t index) {
  const auto problem = FolderChangeProblem(list_, index, isOpen_);
  if (problem) prompter_.message(*problem, MessageKind::Warning);
  return !problem;
}

std::optional<std::size_t> TFolderEditor::report(const FolderChange& change) {
  if (!change.error.empty()) prompter_.message(change.error, MessageKind::Warning);
  return change.index;
}

std::optional<std::size_t> TFolderEditor::NewFolder(bool queue) {
  auto name = AskName(NameUse::NewFolder, NewFolderCaption(queue), {});
  if (!name) return std::nullopt;
  return report(CreateFolder(list_, std::move(*name), queue));
}

std::optional<std::size_t> TFolderEditor::Delete(std::size_t index) {
  if (!mayChange(index)) return std::nullopt;
  const TFolderInfo& f = list_[index];
  if (prompter_.ask("Confirmer la suppression du dossier " + f.name + "?", kYesNoCancel) !=
      Button::Yes) {
    return std::nullopt;
  }
  const bool files =
      exists(f.file) &&
      prompter_.ask("Supprimer aussi ?     " + f.file + "     ", kYesNo) == Button::Yes;
  return report(DeleteFolder(list_, index, files));
}

std::optional<std::size_t> TFolderEditor::Rename(std::size_t index) {
  if (!mayChange(index)) return std::nullopt;
  auto name = AskName(NameUse::Rename, kRenameCaption, list_[index].name, index);
  if (!name || *name == list_[index].name) return std::nullopt;
  return report(RenameFolder(list_, index, std::move(*name)));
}

std::optional<std::size_t> TFolderEditor::ChangeFile(std::size_t index) {
  if (!mayChange(index)) return std::nullopt;
  auto file = prompter_.chooseOpenFile("Changer le fichier", list_[index].file,
                                       "Dossiers|*.mbx|Tous les fichiers|*");
  if (!file || list_.AbsoluteFile(*file) == list_[index].file) return std::nullopt;
  return report(ChangeFolderFile(list_, index, std::move(*file)));
}

bool TFolderEditor::Sort() {
  if (prompter_.ask(kSortQuestion, kYesNoCancel) != Button::Yes) return false;
  report(SortFolders(list_));
  return true;
}

}  // namespace orvel
