// The compose window's send: the message just stored in the Outbox goes out
// through an Outbox sender, with its steps and percentages in the window's
// status line. While it goes the text cannot be edited; once everything
// went the window closes, else it stays open with the server's reason.

#include <QLabel>

#include "articles/article_arena.h"
#include "config/main_state.h"
#include "posting/outbox_sender.h"
#include "ui/compose_editor.h"
#include "ui/edit_window.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

void TEditWindow::startSending() {
  const TFolderList& folders = frame_.folders();
  sendArena_ = std::make_unique<ArticleArena>();
  sendStore_ = std::make_unique<TFolder>(folders[0].file, kStoreOutbox);
  std::string error;
  auto entries = OutboxEntries(*sendStore_, *sendArena_, &session_->SavedEntries(), error);
  if (!entries || entries->empty()) {
    prompter_.message(entries ? "Le message n'est plus dans l'Outbox" : error, MessageKind::Error);
    return;
  }
  sender_ = std::make_unique<OutboxSender>(
      SystemPosterEnvironment(frame_.state(), frame_.pool(), frame_.platform(), frame_.clock(),
                              frame_.app().baseDir),
      OutboxPaths{folders[0].file, folders[1].file});
  sender_->onProgress = [this](int code, int percent, const std::string& text) {
    if (code == kPosterMailSent) session_->Edit().mailSent = true;
    if (text.empty()) return;
    const bool progress = code == kPosterMailProgress || code == kPosterPostProgress;
    status_->setText(progress ? QString::number(percent) + "% " + qs(text) : qs(text));
  };
  sender_->onFinished = [this](bool complete, const std::string& error) {
    setSending(false);
    if (complete) {
      sent_ = true;
      QMetaObject::invokeMethod(this, [this] { closeFramed(); }, Qt::QueuedConnection);
      return;
    }
    if (!error.empty()) {
      status_->setText(qs(error));
      prompter_.message(error, MessageKind::Error);
    }
  };
  setSending(true);
  if (!sender_->Start(std::move(*entries))) setSending(false);
}

void TEditWindow::stopSending() {
  if (sender_ && sender_->Running()) sender_->Stop();
}

void TEditWindow::setSending(bool sending) {
  editor_->setReadOnly(sending);
  for (const char* name : {"aceSend", "aceSave", "aceExternalEdit"}) {
    if (QAction* a = actions_->find(name)) a->setEnabled(!sending);
  }
  if (QAction* stop = actions_->find("aceStop")) stop->setEnabled(sending);
}

void TEditWindow::closeFramed() {
  QWidget* framed = parentWidget() && !isWindow() ? parentWidget() : this;
  framed->close();
}

}  // namespace orvel::ui
