// The group view's NZB commands: the selected binary posts written as an NZB
// file (acaExportNzb), and an NZB file's posts downloaded through the
// view's batch into the decode directory, their PAR2 sets then checked and
// repaired (acaImportNzb).

#include <QAction>

#include "config/main_state.h"
#include "content/group_batch.h"
#include "content/nzb.h"
#include "content/nzb_import.h"
#include "content/nzb_thread.h"
#include "core/atomic_file.h"
#include "core/text.h"
#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"

namespace orvel::ui {

namespace {

constexpr std::string_view kExportCaption = "Exporter en NZB..";
constexpr std::string_view kImportCaption = "Importer un NZB..";
constexpr std::string_view kNzbFilters = "NZB|*.nzb|Tous|*.*";

std::string fileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

void TArticlesWindow::wireNzbCommands() {
  actions_->wire("acaExportNzb", [this] { exportNzb(); });
  actions_->wire("acaImportNzb", [this] { importNzb(); })->setEnabled(!groupView().IsFolder());
}

void TArticlesWindow::exportNzb() {
  std::vector<TArticle*> selected = session_->SelectedArticles(commandContext());
  if (selected.empty() && currentArticle()) selected.push_back(currentArticle());
  const TGroupView& view = groupView();
  const NzbDocument document = NzbOfArticles({selected.begin(), selected.end()},
                                             view.IsFolder() ? std::string() : view.View().groupName);
  if (document.files.empty()) {
    prompter_.message("Aucun binaire dans la sélection", MessageKind::Information, kExportCaption);
    return;
  }
  const std::optional<std::string> path =
      prompter_.chooseSaveFile(kExportCaption, frame_.state().settings.saveDir, kNzbFilters);
  if (!path) return;
  std::string error;
  if (!SaveFileAtomically(*path, WriteNzb(document), &error)) {
    prompter_.message(error, MessageKind::Error, kExportCaption);
  }
}

void TArticlesWindow::importNzb() {
  GroupBatch* b = batch();
  if (groupView().IsFolder() || !b) return beep();
  if (b->Running() || (nzbImport_ && nzbImport_->Running())) {
    prompter_.message("Un lot est déjà en cours", MessageKind::Information, kImportCaption);
    return;
  }
  const std::optional<std::string> path =
      prompter_.chooseOpenFile(kImportCaption, frame_.state().settings.saveDir, kNzbFilters);
  if (!path) return;
  std::string text;
  if (!ReadWholeFile(*path, text)) {
    prompter_.message("Lecture impossible: " + *path, MessageKind::Error, kImportCaption);
    return;
  }
  NzbParse parse = ParseNzb(text);
  if (!parse.ok()) {
    prompter_.message(fileName(*path) + ": " + parse.error, MessageKind::Error, kImportCaption);
    return;
  }
  NzbImport::Events events;
  events.fileStarted = [this](std::size_t index, std::size_t count, const NzbFile& file) {
    prompter_.status(format("NZB %zu/%zu: ", index + 1, count) + file.subject);
  };
  events.par2Phase = [this](const std::string& set, std::string_view phase) {
    prompter_.status("PAR2 " + fileName(set) + ": " + std::string(phase));
  };
  events.finished = [this](const NzbImportResult& result) {
    prompter_.message(NzbImportSummary(result), result.whole() ? MessageKind::Information : MessageKind::Warning,
                      kImportCaption);
  };
  nzbImport_ = std::make_unique<NzbImport>(*b, frame_.clock(), std::move(parse.document), std::move(events));
  if (!nzbImport_->Start()) {
    prompter_.message("Aucun segment à télécharger", MessageKind::Information, kImportCaption);
  }
}

}  // namespace orvel::ui
