// The Outbox view's send (acaSend): the tagged entries, else the selected
// ones when several are, else all of them, sent one after another by the
// view's Outbox sender, with the progress in the view's bar.

#include "config/main_state.h"
#include "content/group_batch.h"
#include "net/qt/qt_network.h"
#include "posting/outbox_sender.h"
#include "scoring/scoring_state.h"
#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"

namespace orvel::ui {

namespace {

std::vector<TArticle*> live(std::vector<TArticle*> articles) {
  std::erase_if(articles, [](const TArticle* a) { return a->Has(NodeFlag::Deleted); });
  return articles;
}

}  // namespace

bool TArticlesWindow::isOutbox() {
  TGroupView& view = groupView();
  return view.IsFolder() && view.Folder().kind == kStoreOutbox && view.FolderStore();
}

void TArticlesWindow::sendOutbox() {
  const std::vector<TArticle*> all = live(groupView().MasterList());
  if (!isOutbox() || all.empty() || (outboxSender_ && outboxSender_->Running())) {
    beep();
    return;
  }
  if (prompter_.ask(kReadyToSendQuestion, kYesNoCancel, MessageKind::Question) != Button::Yes) {
    return;
  }
  std::vector<TArticle*> chosen = batch() ? live(batch()->Queue()) : std::vector<TArticle*>();
  if (chosen.empty()) {
    const std::vector<TArticle*> selected = live(session_->SelectedArticles(commandContext()));
    chosen = selected.size() > 1 ? selected : all;
  }
  TMailbox* store = groupView().FolderStore();
  std::vector<OutboxEntry> entries;
  for (TArticle* a : chosen) {
    entries.push_back({*a, [store, a](std::string& text) { return store->ReadBody(*a, text); }});
  }
  if (!outboxSender_) makeOutboxSender();
  if (!outboxSender_->Start(std::move(entries))) return beep();
  stop_->setEnabled(true);
}

void TArticlesWindow::makeOutboxSender() {
  const TFolderList& folders = frame_.folders();
  outboxSender_ = std::make_unique<OutboxSender>(
      SystemPosterEnvironment(frame_.state(), frame_.pool(), frame_.platform(), frame_.clock(),
                              frame_.app().baseDir),
      OutboxPaths{groupView().Folder().path, folders[1].file});
  outboxSender_->onProgress = [this](int code, int percent, const std::string& text) {
    if (text.empty()) return;
    progressText(code == kPosterMailProgress || code == kPosterPostProgress
                     ? std::to_string(percent) + "% " + text
                     : text);
    progressPosition(percent, 100);
  };
  outboxSender_->onFinished = [this](bool complete, const std::string& error) {
    stop_->setEnabled(false);
    progressPosition(0, 0);
    progressText({});
    if (!complete) {
      if (!error.empty()) prompter_.message(error, MessageKind::Error);
      return;
    }
    const std::string& sound = frame_.state().settings.fileDoneSound;
    if (SoundPlayer* player = frame_.scoring().Sound(); player && !sound.empty()) {
      player->Play(sound);
    }
    closeRequested();  // queued: the sender returns first
  };
}

}  // namespace orvel::ui
