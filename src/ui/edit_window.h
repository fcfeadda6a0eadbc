#pragma once
// The compose window (TEditWindow): the fields, personal headers, manual
// headers, attachments and body of one outgoing message over a
// ComposeSession, which fills it, checks it and stores it. The window
// copies the person's edits into the session's message, asks the session,
// and shows what it changed. It saves a draft every few seconds while the
// message has unsaved changes, so a crash loses little.

#include <QPointer>
#include <QProcess>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "posting/compose_session.h"
#include "posting/draft_file.h"
#include "posting/external_edit.h"
#include "ui/action_set.h"
#include "ui/child_window.h"
#include "ui/qt_prompter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QVBoxLayout;

namespace orvel {
class ArticleArena;
class OutboxSender;
}  // namespace orvel

namespace orvel::ui {

class ComposeEditor;
class TOrvelFrame;

class TEditWindow final : public QWidget, public ChildWindow {
  Q_OBJECT

 public:
  // A new article for a group of a profile.
  static TEditWindow* openNew(TOrvelFrame& frame, std::shared_ptr<TProfile> profile,
                              const std::string& group);
  // An answer to the article shown in a group view.
  static TEditWindow* openAnswer(TOrvelFrame& frame, std::shared_ptr<TProfile> profile,
                                 ComposeKind kind, const AnsweredArticle& article,
                                 const std::string& group);
  // A new message made from a stored article (acaEdit outside the Outbox).
  static TEditWindow* openCopy(TOrvelFrame& frame, std::shared_ptr<TProfile> profile,
                               const AnsweredArticle& article, const std::string& group);
  // A queued message stored in a folder; saving replaces entry when given.
  static TEditWindow* openQueued(TOrvelFrame& frame, const std::string& text,
                                 const std::optional<FolderEntryRef>& entry);

  TEditWindow(TOrvelFrame& frame, QWidget* parent = nullptr);
  ~TEditWindow() override;

  ComposeSession& session() { return *session_; }
  ComposeEditor& editor() { return *editor_; }
  QAction* action(std::string_view name) const { return actions_->find(name); }
  QString statusText() const;
  // The widgets, for tests.
  QLineEdit* groupsEdit() const { return groups_; }
  QLineEdit* subjectEdit() const { return subject_; }
  QCheckBox* mailBox() const { return mail_; }
  QLineEdit* mailToEdit() const { return mailTo_; }
  QCheckBox* noArchiveBox() const { return noArchive_; }
  QPlainTextEdit* manualHeadersEdit() const { return manualHeaders_; }
  QListWidget* attachmentList() const { return attachments_; }

  // Copies every field of the window into the session's message.
  void collect();

  // ChildWindow
  QString menuTitle() const override;
  QList<QAction*> menuActions() const override;
  QList<QAction*> toolBarActions() const override;
  std::optional<ActionWindow> actionWindow() const override { return ActionWindow::Compose; }
  ActionList* actionList() override { return &actionList_; }
  void applyKeyBindings() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  static TEditWindow* place(TOrvelFrame& frame, TEditWindow* window);
  ComposeEnvironment environment(std::shared_ptr<TProfile> profile) const;
  void buildWidgets();
  QWidget* buildHeaderFields();
  QWidget* buildPersonalHeaders();
  QWidget* buildAttachments();
  void wireActions();
  void wireFields();
  // Shows the session's message in every field.
  void showMessage();
  void showBody();
  void showIdentity();
  // After the options window changed the identities: the list and this one's values.
  void takeNewIdentities();
  void showPersonalRows();
  // The 48 x 48 picture of an X-Face row's value.
  void showFace();
  void showAttachments();
  void markModified();
  void send();
  // edit_window_send.cpp
  void startSending();
  void stopSending();
  void setSending(bool sending);
  void closeFramed();
  void save();
  void rewrap(bool join);
  void pasteWith(std::string_view action);
  void insertFile();
  void rot13();
  void startExternalEdit();
  void readExternalEdit();
  void writeDraft();
  void addAttachments();
  void moveAttachment(int by);
  void savePlacement() const;

  TOrvelFrame& frame_;
  QtPrompter prompter_;
  ActionList actionList_;
  std::unique_ptr<ActionSet> actions_;
  std::unique_ptr<ComposeSession> session_;
  DraftFile draft_;
  ExternalEdit externalEdit_;
  QPointer<QProcess> editorProcess_;
  // The send: the Outbox entries it sends, and the sender.
  std::unique_ptr<ArticleArena> sendArena_;
  std::unique_ptr<TFolder> sendStore_;
  std::unique_ptr<OutboxSender> sender_;
  bool sent_ = false;     // everything went: closing keeps nothing more
  bool showing_ = false;  // fields are being filled: no edit to record
  bool draftDue_ = false;

  QVBoxLayout* personalRows_ = nullptr;
  QLabel* face_ = nullptr;
  std::vector<QCheckBox*> rowSwitches_;
  QCheckBox* post_ = nullptr;
  QCheckBox* mail_ = nullptr;
  QLineEdit* groups_ = nullptr;
  QLineEdit* followUp_ = nullptr;
  QLineEdit* mailTo_ = nullptr;
  QLineEdit* subject_ = nullptr;
  QCheckBox* noArchive_ = nullptr;
  QCheckBox* newThread_ = nullptr;
  QComboBox* identities_ = nullptr;
  QComboBox* profiles_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLineEdit* from_ = nullptr;
  QLineEdit* replyTo_ = nullptr;
  QLineEdit* organization_ = nullptr;
  QPlainTextEdit* manualHeaders_ = nullptr;
  QListWidget* attachments_ = nullptr;
  QLabel* attachmentLabel_ = nullptr;
  std::vector<QRadioButton*> modes_;
  QCheckBox* mime_ = nullptr;
  QCheckBox* yEnc_ = nullptr;
  QCheckBox* fileCount_ = nullptr;
  QSpinBox* cutSize_ = nullptr;
  QLabel* cutUnit_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  ComposeEditor* editor_ = nullptr;
  QLabel* caret_ = nullptr;
  QLabel* status_ = nullptr;
  QTimer* draftTimer_ = nullptr;
};

}  // namespace orvel::ui
