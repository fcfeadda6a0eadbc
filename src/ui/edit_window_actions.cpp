// The compose window's commands: send, save, rewrap, the paste family, the
// external editor, ROT-13, inserting a file, attachments and the draft.

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <fstream>
#include <sstream>

#include "articles/article_date.h"
#include "config/main_state.h"
#include "core/atomic_file.h"
#include "core/wrap_text.h"
#include "posting/quoting.h"
#include "ui/compose_editor.h"
#include "ui/edit_window.h"
#include "ui/group_picker.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

constexpr std::string_view kSavedText = "Sauvé dans l'Outbox";
constexpr std::string_view kNotSavedText = "Le message n'a pas pu être sauvé dans l'Outbox";
constexpr std::string_view kAttachFilter = "Tous: (*.*) ou *.* |*";

std::string rotated13(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>('a' + (c - 'a' + 13) % 26);
    if (c >= 'A' && c <= 'Z') c = static_cast<char>('A' + (c - 'A' + 13) % 26);
  }
  return text;
}

}  // namespace

void TEditWindow::wireActions() {
  ActionSet& a = *actions_;
  a.wire("aceSend", [this] { send(); });
  a.wire("aceSave", [this] { save(); });
  a.wire("aceStop", [this] { stopSending(); });
  if (QAction* stop = actions_->find("aceStop")) stop->setEnabled(false);
  a.wire("aceRewrap", [this] { rewrap(false); });
  a.wire("aceRewrapJoin", [this] { rewrap(true); });
  for (const char* name : {"acePasteQuoted", "aceClipBReplace", "acePasteIndented",
                           "acePasteIndentedBy"}) {
    a.wire(name, [this, name] { pasteWith(name); });
  }
  a.wire("aceUndo", [this] { editor_->undo(); });
  a.wire("aceInsertFile", [this] { insertFile(); });
  a.wire("aceROT13", [this] { rot13(); });
  a.wire("aceExternalEdit", [this] { startExternalEdit(); });
  a.wire("aceFullScreen", [this] {
    if (QWidget* w = window()) w->setWindowState(w->windowState() ^ Qt::WindowMaximized);
  });
  a.wireToggle("aceKeepCopy", session_->Message().keepCopy, [this](bool on) {
    session_->Edit().keepCopy = on;
    markModified();
  });
  a.wireToggle("aceWordWrap", session_->Message().wordWrap, [this](bool on) {
    session_->Edit().wordWrap = on;
    editor_->setWordWrap(on);
    markModified();
  });
}

// --- send and save

void TEditWindow::send() {
  collect();
  const auto pick = [this](const std::string& groups) {
    return TfmGrpPicker::Pick(this, groups, {}, {}, true);
  };
  const SendStep step =
      session_->PrepareSend(ContextFromSettings(frame_.state().settings), pick);
  if (step == SendStep::Rewrapped) showBody();
  if (step == SendStep::Back || step == SendStep::Rewrapped) return;
  // What the checks cleaned up (spaces out of the groups, a chosen follow-up).
  showing_ = true;
  groups_->setText(qs(session_->Message().groups));
  followUp_->setText(qs(session_->Message().followUp));
  showing_ = false;
  // The message goes through the Outbox: should the send fail or the
  // program stop, it waits there with what it still wants.
  if (!session_->SaveToOutbox(LocalNow())) {
    prompter_.message(kNotSavedText, MessageKind::Error);
    return;
  }
  draft_.Remove();
  startSending();
}

void TEditWindow::save() {
  collect();
  if (!session_->SaveToOutbox(LocalNow())) {
    prompter_.message(kNotSavedText, MessageKind::Error);
    return;
  }
  draft_.Remove();
  draftDue_ = false;
  prompter_.status(kSavedText);
}

void TEditWindow::writeDraft() {
  if (!draftDue_ || !session_->Message().modified) return;
  collect();
  const std::vector<QueuedText> texts = session_->QueuedTexts(LocalNow());
  // Per-attachment entries share the text: the first holds everything.
  if (!texts.empty() && draft_.Write(texts.front().text)) draftDue_ = false;
}

// --- the text

void TEditWindow::rewrap(bool join) {
  const std::string selected = editor_->selectedBody();
  const Settings& s = frame_.state().settings;
  if (selected.empty()) {
    collect();
    if (session_->Rewrap(join)) showBody();
    return;
  }
  const std::string wrapped = WrapText(selected, join, s.wrapColumn - 4, QuoteMarks(s.quoteChars));
  editor_->replaceSelection(wrapped, 0, wrapped.size());
}

void TEditWindow::pasteWith(std::string_view action) {
  const std::string clipboard = utf8(QApplication::clipboard()->text());
  const Settings& s = frame_.state().settings;
  QuoteRules rules(s.quoteRegex, s.sigDashRegex);
  std::optional<TextEdit> edit;
  if (action == "aceClipBReplace") {
    editor_->selectAll();
    edit = PasteReplaceAll(0, clipboard);
  } else if (action == "acePasteQuoted") {
    edit = PasteQuoted({}, clipboard, rules);
  } else if (action == "acePasteIndented") {
    edit = PasteIndented({}, clipboard, s.pasteIndent);
  } else if (const auto count = AskIndentCount(prompter_, s.pasteIndent)) {
    edit = PasteIndented({}, clipboard, *count);
  }
  if (edit) editor_->replaceSelection(edit->replacement, edit->selectFrom, edit->selectLength);
}

void TEditWindow::insertFile() {
  const auto path = prompter_.chooseOpenFile("Insérer un fichier texte..", {}, kAttachFilter);
  if (!path) return;
  std::string text;
  if (!ReadWholeFile(*path, text)) {
    prompter_.message("Lecture impossible : " + *path, MessageKind::Error);
    return;
  }
  editor_->insertPlainText(qs(text).remove('\r'));
}

void TEditWindow::rot13() {
  const std::string selected = editor_->selectedBody();
  if (!selected.empty()) {
    const std::string turned = rotated13(selected);
    editor_->replaceSelection(turned, 0, turned.size());
  }
}

// --- the external editor

void TEditWindow::startExternalEdit() {
  const std::string& setting = frame_.state().settings.externalEditor;
  if (setting.empty()) {
    prompter_.message(kNoExternalEditorText, MessageKind::Information);
    return;
  }
  collect();
  std::string error;
  if (!externalEdit_.Start(frame_.app().tempDir, session_->Caption(), session_->BodyText(), error)) {
    prompter_.message(error, MessageKind::Error);
    return;
  }
  const std::vector<std::string> command = externalEdit_.Command(setting);
  if (editorProcess_) editorProcess_->disconnect(this);
  auto* process = new QProcess(this);
  editorProcess_ = process;
  QStringList arguments;
  for (std::size_t i = 1; i < command.size(); ++i) arguments << qs(command[i]);
  connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus status) {
    process->deleteLater();
    readExternalEdit();
    if (status == QProcess::CrashExit || code != 0) {
      const std::string path = externalEdit_.Path();
      externalEdit_.Abandon();
      prompter_.message(EditorFailureText(status == QProcess::CrashExit ? EditorFailure::Crashed
                                                                        : EditorFailure::ExitError,
                                          code, path),
                        MessageKind::Warning);
    }
  });
  connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
    if (e != QProcess::FailedToStart) return;
    process->deleteLater();
    const std::string path = externalEdit_.Path();
    externalEdit_.Finish();
    prompter_.message(EditorFailureText(EditorFailure::NotStarted, 0, path), MessageKind::Warning);
  });
  process->start(qs(command.empty() ? setting : command.front()), arguments);
}

void TEditWindow::readExternalEdit() {
  std::string text;
  const ExternalEdit::ReadBack result = externalEdit_.Check(text);
  if (result == ExternalEdit::ReadBack::Changed) {
    session_->SetBodyText(text);
    showBody();
    markModified();
    return;
  }
  const std::string problem = ReadBackProblemText(result, externalEdit_.Path());
  if (!problem.empty()) {
    externalEdit_.Abandon();
    prompter_.message(problem, MessageKind::Warning);
  }
}

void TEditWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !externalEdit_.Path().empty()) {
    readExternalEdit();
  }
}

// --- attachments

void TEditWindow::addAttachments() {
  const QStringList paths =
      QFileDialog::getOpenFileNames(this, "Fichiers joints", {}, qtFileFilter(kAttachFilter));
  for (const QString& path : paths) {
    session_->Edit().attachments.push_back(
        {utf8(path), static_cast<std::uint64_t>(QFileInfo(path).size())});
  }
  if (paths.isEmpty()) return;
  markModified();
  showAttachments();
}

void TEditWindow::moveAttachment(int by) {
  auto& list = session_->Edit().attachments;
  const int row = attachments_->currentRow();
  const int to = row + by;
  if (row < 0 || to < 0 || to >= static_cast<int>(list.size())) return;
  std::swap(list[static_cast<std::size_t>(row)], list[static_cast<std::size_t>(to)]);
  markModified();
  showAttachments();
  attachments_->setCurrentRow(to);
}

}  // namespace orvel::ui
