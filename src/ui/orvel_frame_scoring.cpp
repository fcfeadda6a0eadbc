// TOrvelFrame's scoring commands: the rules' sounds, the two switches,
// editing and reloading the score file, the plonk window, re-scoring the
// active group view, and reloading the score file when it changed on disk
// while the program was in the background.

#include <QApplication>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include "content/group_session.h"
#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui/plonk_window.h"
#include "ui/qt_convert.h"
#include "ui/sound_player.h"

namespace orvel::ui {

TArticlesWindow* TOrvelFrame::activeGroupView() const {
  if (auto* view = qobject_cast<TArticlesWindow*>(activeChild())) return view;
  return nullptr;
}

void TOrvelFrame::buildScoringActions() {
  scoring_->SetSoundPlayer(std::make_unique<QtSoundPlayer>());
  ActionSet& a = *actions_;
  a.wireToggle("acmEnableScoring", scoring_->Settings().enabled,
               [this](bool on) { scoring_->SetEnabled(on); });
  a.wireToggle("acmHardKill", scoring_->Settings().hardKill, [this](bool on) {
    scoring_->SetHardKill(on);
    state_.settings.hardKill = on;
  });
  a.wire("acmEditScore", [this] { editScoreFile(); });
  a.wire("acmViewPlonk", [this] {
    TfmPlonk window(scoring_->Plonker(), prompter_, TodayDayNumber(), app_.dateFormats, this);
    window.exec();
  });
  a.wire("acmReloadScore", [this] { reloadScores(); });
  a.wire("acmRescore", [this] {
    if (TArticlesWindow* view = activeGroupView()) view->session().Rescore();
  });
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationActive) checkScoreFile();
  });
}

void TOrvelFrame::editScoreFile() {
  const std::string path = scoring_->Settings().scoreFile;
  std::string error;
  if (!EnsureScoreFile(path, prompter_, &error)) {
    if (!error.empty()) prompter_.message(error, MessageKind::Error);
    return;
  }
  const std::string& editor = state_.settings.scoreFileEditor;
  if (editor.empty()) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
  } else {
    QProcess::startDetached(qs(editor), {qs(path)});
  }
}

void TOrvelFrame::reloadScores() {
  if (!scoring_->ReloadScores()) return;
  if (TArticlesWindow* view = activeGroupView()) view->session().Rescore();
}

void TOrvelFrame::checkScoreFile() {
  if (scoring_->ShouldReload()) reloadScores();
}

}  // namespace orvel::ui
