// The compose window's widgets and how they follow the session's message.

#include "ui/edit_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "articles/article_arena.h"
#include "articles/article_date.h"
#include "config/main_state.h"
#include "config/window_placements.h"
#include "content/xface.h"
#include "core/text.h"
#include "posting/attachment_options.h"
#include "posting/outbox_sender.h"
#include "ui/compose_editor.h"
#include "ui/menu_tree.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"
#include "ui/viewer_header_panel.h"

namespace orvel::ui {

namespace {

constexpr int kDraftIntervalMs = 5000;
constexpr const char* kPlacementName = "editor";

QLineEdit* lineEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

std::vector<std::string> splitLines(const QString& text) {
  std::vector<std::string> lines;
  for (const QString& line : text.split('\n')) {
    if (!line.trimmed().isEmpty()) lines.push_back(utf8(line));
  }
  return lines;
}

}  // namespace

// --- opening

ComposeEnvironment TEditWindow::environment(std::shared_ptr<TProfile> profile) const {
  const AppState& app = frame_.app();
  MainState& main = frame_.state();
  const TFolderList& folders = frame_.folders();
  return ComposeEnvironment{&main,          std::move(profile), app.baseDir, folders[0].file,
                            folders[1].file, app.dateFormats,    main.settings.timeZoneOffset()};
}

TEditWindow* TEditWindow::openNew(TOrvelFrame& frame, std::shared_ptr<TProfile> profile,
                                  const std::string& group) {
  auto* window = new TEditWindow(frame);
  window->session_ =
      std::make_unique<ComposeSession>(window->environment(std::move(profile)), window->prompter_);
  window->session_->OpenNew(group);
  return place(frame, window);
}

TEditWindow* TEditWindow::openAnswer(TOrvelFrame& frame, std::shared_ptr<TProfile> profile,
                                     ComposeKind kind, const AnsweredArticle& article,
                                     const std::string& group) {
  auto* window = new TEditWindow(frame);
  window->session_ =
      std::make_unique<ComposeSession>(window->environment(std::move(profile)), window->prompter_);
  window->session_->OpenAnswer(kind, article, group);
  return place(frame, window);
}

TEditWindow* TEditWindow::openCopy(TOrvelFrame& frame, std::shared_ptr<TProfile> profile,
                                   const AnsweredArticle& article, const std::string& group) {
  auto* window = new TEditWindow(frame);
  window->session_ =
      std::make_unique<ComposeSession>(window->environment(std::move(profile)), window->prompter_);
  window->session_->OpenCopy(article, group);
  return place(frame, window);
}

TEditWindow* TEditWindow::openQueued(TOrvelFrame& frame, const std::string& text,
                                     const std::optional<FolderEntryRef>& entry) {
  auto* window = new TEditWindow(frame);
  window->session_ =
      std::make_unique<ComposeSession>(window->environment(nullptr), window->prompter_);
  std::string error;
  if (!window->session_->OpenQueued(text, entry, error)) {
    frame.prompter().message(error, MessageKind::Error);
    delete window;
    return nullptr;
  }
  return place(frame, window);
}

TEditWindow* TEditWindow::place(TOrvelFrame& frame, TEditWindow* window) {
  window->wireActions();
  window->showMessage();
  window->wireFields();
  WindowGeometry g;
  if (!frame.app().bags.metrics.GetPlacement(kPlacementName, false, g) || g.width <= 0 ||
      g.height <= 0) {
    g = WindowGeometry{40, 40, 720, 560, false};
  }
  if (frame.state().settings.mdiEditor) {
    frame.addChild(window, rectOf(g));
  } else {
    window->setParent(&frame, Qt::Window);
    window->setGeometry(rectOf(g));
    window->show();
  }
  window->editor_->setFocus();
  window->editor_->setCaret(window->session_->BodyText(), window->session_->CaretOffset());
  // The default identity still has no name: the options window opens on it.
  if (window->session_->NeedsIdentitySetUp() &&
      frame.showConfigForm(TConfigForm::Page::Identities)) {
    window->takeNewIdentities();
  }
  if (frame.state().settings.alwaysUseExternalEditor) window->startExternalEdit();
  return window;
}

TEditWindow::TEditWindow(TOrvelFrame& frame, QWidget* parent)
    : QWidget(parent),
      frame_(frame),
      prompter_(this),
      actionList_(CreateActionList(ActionWindow::Compose)),
      draft_(frame.app().foldersDir) {
  setAttribute(Qt::WA_DeleteOnClose);
  ApplyKeyBindings(frame.app().bags.editKeys, actionList_);
  actions_ = std::make_unique<ActionSet>(actionList_, this, Qt::WidgetWithChildrenShortcut);
  buildWidgets();
  prompter_.setStatusSink([this](const QString& text) { status_->setText(text); });
  draftTimer_ = new QTimer(this);
  draftTimer_->setInterval(kDraftIntervalMs);
  connect(draftTimer_, &QTimer::timeout, this, &TEditWindow::writeDraft);
  draftTimer_->start();
}

TEditWindow::~TEditWindow() {
  if (editorProcess_) editorProcess_->disconnect(this);
}

// --- widgets

void TEditWindow::buildWidgets() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* menuBar = new QMenuBar(this);
  QMenu* menu = menuBar->addMenu("&Message");
  for (QAction* a : actions_->all()) menu->addAction(a);
  layout->setMenuBar(menuBar);
  auto* toolBar = new QToolBar(this);
  layout->addWidget(toolBar);
  layout->addWidget(buildHeaderFields());

  tabs_ = new QTabWidget(this);
  editor_ = new ComposeEditor(tabs_);
  editor_->setFont(qtFont(frame_.state().settings.editorFont));
  editor_->setWrapColumn(frame_.state().settings.wrapColumn);
  editor_->setQuoteColor(qtColor(frame_.state().settings.quoteColor1));
  tabs_->addTab(editor_, "Message");
  tabs_->addTab(buildPersonalHeaders(), "En-têtes");
  tabs_->addTab(buildAttachments(), "Fichiers joints");
  layout->addWidget(tabs_, 1);

  auto* statusRow = new QHBoxLayout;
  caret_ = new QLabel("1:1", this);
  status_ = new QLabel(this);
  statusRow->addWidget(caret_);
  statusRow->addWidget(status_, 1);
  layout->addLayout(statusRow);
  connect(editor_, &ComposeEditor::caretMoved, caret_, &QLabel::setText);
  for (QAction* a : toolBarActions()) {
    if (a) {
      toolBar->addAction(a);
    } else {
      toolBar->addSeparator();
    }
  }
}

QWidget* TEditWindow::buildHeaderFields() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  post_ = new QCheckBox("Poster sur:", box);
  post_->setObjectName("bGroups");
  groups_ = lineEdit(box, "edGroups");
  followUp_ = lineEdit(box, "edFollowUp");
  mail_ = new QCheckBox("Mail à:", box);
  mail_->setObjectName("bMailTo");
  mailTo_ = lineEdit(box, "edMailTo");
  subject_ = lineEdit(box, "edSubject");
  noArchive_ = new QCheckBox("X-No-Archive", box);
  noArchive_->setObjectName("cbXNA");
  newThread_ = new QCheckBox("Nouveau fil", box);
  newThread_->setObjectName("cbNewThread");
  identities_ = new QComboBox(box);
  identities_->setObjectName("coIDs");
  profiles_ = new QComboBox(box);
  profiles_->setObjectName("coProfs");
  name_ = lineEdit(box, "edName");
  from_ = lineEdit(box, "edPubEMail");
  replyTo_ = lineEdit(box, "edEMail");
  organization_ = lineEdit(box, "edOrg");
  for (const TID& id : frame_.state().identities) identities_->addItem(qs(id.name));
  for (const auto& p : frame_.state().profiles) {
    if (p) profiles_->addItem(qs(p->alias));
  }

  grid->addWidget(post_, 0, 0);
  grid->addWidget(groups_, 0, 1);
  grid->addWidget(new QLabel("Suivi sur:", box), 0, 2);
  grid->addWidget(followUp_, 0, 3);
  grid->addWidget(mail_, 1, 0);
  grid->addWidget(mailTo_, 1, 1, 1, 3);
  grid->addWidget(new QLabel("Sujet:", box), 2, 0);
  grid->addWidget(subject_, 2, 1, 1, 2);
  grid->addWidget(noArchive_, 2, 3);
  grid->addWidget(new QLabel("Identité:", box), 3, 0);
  grid->addWidget(identities_, 3, 1);
  grid->addWidget(profiles_, 3, 2);
  grid->addWidget(newThread_, 3, 3);
  grid->addWidget(new QLabel("Nom / From:", box), 4, 0);
  grid->addWidget(name_, 4, 1);
  grid->addWidget(from_, 4, 2, 1, 2);
  grid->addWidget(new QLabel("Reply-To / Org.:", box), 5, 0);
  grid->addWidget(replyTo_, 5, 1);
  grid->addWidget(organization_, 5, 2, 1, 2);
  return box;
}

QWidget* TEditWindow::buildPersonalHeaders() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* top = new QHBoxLayout;
  auto* scroll = new QScrollArea(page);
  scroll->setObjectName("ScrollBox");
  scroll->setWidgetResizable(true);
  auto* rows = new QWidget(scroll);
  personalRows_ = new QVBoxLayout(rows);
  personalRows_->addStretch();
  scroll->setWidget(rows);
  top->addWidget(scroll, 1);
  face_ = new QLabel(page);
  face_->setFixedSize(48, 48);
  top->addWidget(face_, 0, Qt::AlignTop);
  layout->addLayout(top, 1);
  layout->addWidget(new QLabel("En-têtes manuelles (Nom: valeur):", page));
  manualHeaders_ = new QPlainTextEdit(page);
  manualHeaders_->setObjectName("Moreheaders");
  layout->addWidget(manualHeaders_, 1);
  return page;
}

QWidget* TEditWindow::buildAttachments() {
  auto* page = new QWidget(this);
  auto* layout = new QHBoxLayout(page);
  attachments_ = new QListWidget(page);
  attachments_->setObjectName("Atts");
  layout->addWidget(attachments_, 1);
  auto* side = new QVBoxLayout;
  const std::pair<const char*, std::function<void()>> buttons[] = {
      {"Ajouter...", [this] { addAttachments(); }},
      {"Enlever",
       [this] {
         const int row = attachments_->currentRow();
         if (row < 0) return;
         session_->Edit().attachments.erase(session_->Edit().attachments.begin() + row);
         markModified();
         showAttachments();
       }},
      {"Vider",
       [this] {
         session_->Edit().attachments.clear();
         markModified();
         showAttachments();
       }},
      {"Monter", [this] { moveAttachment(-1); }},
      {"Descendre", [this] { moveAttachment(1); }},
  };
  for (const auto& [text, handler] : buttons) {
    auto* button = new QPushButton(text, page);
    connect(button, &QPushButton::clicked, this, handler);
    side->addWidget(button);
  }
  attachmentLabel_ = new QLabel(page);
  side->addWidget(attachmentLabel_);
  auto* group = new QButtonGroup(page);
  for (int i = 0; i < 4; ++i) {
    auto* radio = new QRadioButton(page);
    group->addButton(radio, i);
    modes_.push_back(radio);
    side->addWidget(radio);
  }
  mime_ = new QCheckBox("MIME", page);
  yEnc_ = new QCheckBox("yEnc", page);
  fileCount_ = new QCheckBox("Nombre de fichiers", page);
  cutSize_ = new QSpinBox(page);
  cutUnit_ = new QLabel(page);
  for (QWidget* w : std::initializer_list<QWidget*>{mime_, yEnc_, fileCount_, cutSize_, cutUnit_}) {
    side->addWidget(w);
  }
  side->addStretch();
  layout->addLayout(side);
  return page;
}

// --- showing the message

void TEditWindow::showMessage() {
  showing_ = true;
  const ComposeMessage& m = session_->Message();
  setWindowTitle(qs(session_->Caption()));
  post_->setChecked(m.post);
  mail_->setChecked(m.mail);
  groups_->setText(qs(m.groups));
  followUp_->setText(qs(m.followUp));
  mailTo_->setText(qs(m.mailTo));
  subject_->setText(qs(m.subject));
  noArchive_->setChecked(m.noArchive);
  if (session_->NoArchiveHint() && frame_.state().settings.warnXNoArchive) {
    noArchive_->setStyleSheet("background: yellow; color: black;");
  }
  newThread_->setChecked(m.newThread);
  newThread_->setEnabled(!m.references.empty());
  profiles_->setCurrentText(qs(m.server));
  QStringList manual;
  for (const std::string& line : m.manualHeaders) manual << qs(line);
  manualHeaders_->setPlainText(manual.join('\n'));
  showIdentity();
  showPersonalRows();
  showAttachments();
  showBody();
  if (QAction* a = actions_->find("aceKeepCopy")) a->setChecked(m.keepCopy);
  if (QAction* a = actions_->find("aceWordWrap")) a->setChecked(m.wordWrap);
  editor_->setWordWrap(m.wordWrap);
  showing_ = false;
}

void TEditWindow::showBody() {
  const bool was = showing_;
  showing_ = true;
  editor_->setBody(session_->BodyText());
  showing_ = was;
}

void TEditWindow::showIdentity() {
  const TID& id = session_->Message().identity;
  identities_->setCurrentText(qs(id.name));
  name_->setText(qs(id.Name));
  from_->setText(qs(id.PublicEmail));
  replyTo_->setText(qs(id.Email));
  organization_->setText(qs(id.Organization));
}

void TEditWindow::takeNewIdentities() {
  {
    const QSignalBlocker block(identities_);
    identities_->clear();
    for (const TID& id : frame_.state().identities) identities_->addItem(qs(id.name));
  }
  session_->ChangeIdentity(session_->Message().identity.name);
  showIdentity();
  showBody();
}

void TEditWindow::showPersonalRows() {
  for (QCheckBox* box : rowSwitches_) delete box->parentWidget();
  rowSwitches_.clear();
  const auto& rows = session_->Message().personalHeaders;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    auto* on = new QCheckBox(qs(rows[i].name), row);
    on->setChecked(rows[i].on);
    auto* value = new QLineEdit(qs(rows[i].value), row);
    line->addWidget(on);
    line->addWidget(value, 1);
    personalRows_->insertWidget(static_cast<int>(i), row);
    rowSwitches_.push_back(on);
    connect(on, &QCheckBox::toggled, this, [this, i](bool checked) {
      session_->SetPersonalRow(i, checked);
      markModified();
      const auto& all = session_->Message().personalHeaders;
      for (std::size_t k = 0; k < rowSwitches_.size(); ++k) {
        const QSignalBlocker block(rowSwitches_[k]);
        rowSwitches_[k]->setChecked(all[k].on);
      }
    });
    connect(value, &QLineEdit::textEdited, this, [this, i](const QString& text) {
      session_->Edit().personalHeaders[i].value = utf8(text);
      markModified();
      showFace();
    });
  }
  showFace();
}

void TEditWindow::showFace() {
  face_->clear();
  for (const PersonalHeader& row : session_->Message().personalHeaders) {
    if (!equalsNoCase(row.name, "X-Face") || row.value.empty()) continue;
    if (const auto face = DecodeXFace(row.value)) {
      face_->setPixmap(QPixmap::fromImage(XFaceImage(*face)));
      return;
    }
  }
}

void TEditWindow::showAttachments() {
  const bool was = showing_;
  showing_ = true;
  const ComposeMessage& m = session_->Message();
  attachments_->clear();
  for (const Attachment& a : m.attachments) {
    attachments_->addItem(qs(a.path) + QString("  (%1)").arg(a.size));
  }
  attachmentLabel_->setText(qs(AttachmentListLabel(m.attachments)));
  const AttachmentOptions& o = m.attachmentOptions;
  const auto labels =
      AttachmentModeLabels(o, m.body.size(), TotalAttachmentBytes(m.attachments));
  for (std::size_t i = 0; i < modes_.size(); ++i) modes_[i]->setText(qs(labels[i]));
  modes_[static_cast<std::size_t>(o.mode)]->setChecked(true);
  mime_->setChecked(o.mime);
  mime_->setEnabled(!o.yEnc);
  yEnc_->setChecked(o.yEnc);
  fileCount_->setChecked(o.showFileCount);
  const CutSizeRange range = CutSizeRangeFor(o.yEnc);
  cutSize_->setRange(range.min, range.max);
  cutSize_->setValue(o.cutSize);
  cutUnit_->setText(qs(range.unit));
  showing_ = was;
}

// --- the person's edits

void TEditWindow::markModified() {
  if (showing_) return;
  session_->Edit().modified = true;
  draftDue_ = true;
}

void TEditWindow::wireFields() {
  connect(editor_->document(), &QTextDocument::contentsChanged, this, [this] { markModified(); });
  for (QLineEdit* edit : {groups_, followUp_, mailTo_, subject_, name_, from_, replyTo_, organization_}) {
    connect(edit, &QLineEdit::textEdited, this, [this] { markModified(); });
  }
  connect(manualHeaders_, &QPlainTextEdit::textChanged, this, [this] { markModified(); });
  const auto targetSwitch = [this](bool post) {
    return [this, post](bool on) {
      if (showing_) return;
      collect();
      if (post ? session_->SetPost(on) : session_->SetMail(on)) showBody();
      markModified();
    };
  };
  connect(post_, &QCheckBox::toggled, this, targetSwitch(true));
  connect(mail_, &QCheckBox::toggled, this, targetSwitch(false));
  connect(noArchive_, &QCheckBox::toggled, this, [this] { markModified(); });
  connect(newThread_, &QCheckBox::toggled, this, [this] { markModified(); });
  connect(identities_, &QComboBox::currentTextChanged, this, [this](const QString& name) {
    if (showing_) return;
    collect();
    if (session_->ChangeIdentity(utf8(name))) {
      showIdentity();
      showBody();
    }
  });
  connect(profiles_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_ || index < 0) return;
    session_->ChangeProfile(frame_.state().profiles[static_cast<std::size_t>(index)]);
    markModified();
  });
  for (std::size_t i = 0; i < modes_.size(); ++i) {
    connect(modes_[i], &QRadioButton::toggled, this, [this, i](bool on) {
      if (showing_ || !on) return;
      session_->Edit().attachmentOptions.mode = static_cast<AttachmentMode>(i);
      markModified();
    });
  }
  connect(mime_, &QCheckBox::toggled, this, [this](bool on) {
    if (showing_) return;
    session_->Edit().attachmentOptions.mime = on;
    markModified();
  });
  connect(fileCount_, &QCheckBox::toggled, this, [this](bool on) {
    if (showing_) return;
    session_->Edit().attachmentOptions.showFileCount = on;
    markModified();
  });
  connect(yEnc_, &QCheckBox::toggled, this, [this](bool on) {
    if (showing_) return;
    SetYEnc(session_->Edit().attachmentOptions, on, frame_.state().settings);
    markModified();
    showAttachments();
  });
  connect(cutSize_, &QSpinBox::valueChanged, this, [this](int value) {
    if (showing_) return;
    session_->Edit().attachmentOptions.cutSize = value;
    markModified();
  });
}

void TEditWindow::collect() {
  ComposeMessage& m = session_->Edit();
  m.post = post_->isChecked();
  m.mail = mail_->isChecked();
  m.groups = utf8(groups_->text());
  m.followUp = utf8(followUp_->text());
  m.mailTo = utf8(mailTo_->text());
  m.subject = utf8(subject_->text());
  m.noArchive = noArchive_->isChecked();
  m.newThread = newThread_->isChecked();
  m.identity.Name = utf8(name_->text());
  m.identity.PublicEmail = utf8(from_->text());
  m.identity.Email = utf8(replyTo_->text());
  m.identity.Organization = utf8(organization_->text());
  m.manualHeaders = splitLines(manualHeaders_->toPlainText());
  session_->SetBody(editor_->bodyLines());
}

QString TEditWindow::statusText() const { return status_->text(); }

// --- closing

void TEditWindow::closeEvent(QCloseEvent* event) {
  collect();
  // A send cut short leaves the message in the Outbox with what it still wants.
  stopSending();
  if (!sent_ && !session_->ConfirmClose(LocalNow())) {
    event->ignore();
    return;
  }
  // Saved, sent or dropped: nothing is left to recover.
  draft_.Remove();
  externalEdit_.Finish();
  savePlacement();
  event->accept();
}

void TEditWindow::savePlacement() const {
  const QWidget* framed = parentWidget() && !isWindow() ? parentWidget() : this;
  frame_.app().bags.metrics.SetPlacement(
      kPlacementName, placementOf(framed->normalGeometry().isValid() ? framed->normalGeometry()
                                                                      : framed->geometry(),
                                  framed->isMaximized()),
      false);
}

// ChildWindow

QString TEditWindow::menuTitle() const { return "&Message"; }

QList<QAction*> TEditWindow::menuActions() const { return actions_->all(); }

QList<QAction*> TEditWindow::toolBarActions() const {
  return ToolBarLayout(frame_.state().settings.toolBarE1,
                       "aceSend,aceSave,aceExternalEdit,aceKeepCopy,aceWordWrap,aceRewrap,"
                       "acePasteQuoted",
                       *actions_);
}

void TEditWindow::applyKeyBindings() {
  ApplyKeyBindings(frame_.app().bags.editKeys, actionList_);
  actions_->refreshShortcuts();
}

}  // namespace orvel::ui
