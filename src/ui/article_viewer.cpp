#include "ui/article_viewer.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "content/text_find.h"
#include "ui/qt_convert.h"
#include "ui/viewer_header_panel.h"
#include "ui/viewer_pictures.h"

namespace orvel::ui {

namespace {

// One rendered line is one text block: characters that QTextCursor would
// turn into block or line breaks become spaces, keeping every offset.
QString blockText(std::string_view utf8Text) {
  QString text = qs(utf8Text);
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    if (u == u'\n' || u == u'\r' || u == 0x2028 || u == 0x2029 || u == 0xFDD0 || u == 0xFDD1 ||
        u == 0xFFFC) {
      c = QChar(u' ');
    }
  }
  return text;
}

}  // namespace

ArticleViewer::ArticleViewer(ArticleView& model, ViewerDisplayOptions options, QWidget* parent)
    : QWidget(parent),
      model_(model),
      options_(std::move(options)),
      formats_(options_),
      panel_(new ViewerHeaderPanel(this)),
      text_(new QPlainTextEdit(this)),
      pictures_(new ViewerPictures(this)) {
  setObjectName("articleViewer");
  text_->setObjectName("articleText");
  text_->setReadOnly(true);
  // Keys scroll the text (Space, arrows, pages); the mouse selects.
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text_->setUndoRedoEnabled(false);
  text_->document()->documentLayout()->registerHandler(ViewerPictures::kObjectType, pictures_);
  text_->viewport()->setMouseTracking(true);
  text_->viewport()->installEventFilter(this);
  text_->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(panel_);
  layout->addWidget(text_, 1);

  connect(attachmentsMenu(), &QMenu::aboutToShow, this, [this] {
    if (menuStale_) rebuildAttachmentsMenu();
  });

  applyOptions();
  model_.setObserver(this);
  headerPanelChanged();
  attachmentsChanged();
  // An article shown before the viewer existed is rendered again into it.
  if (!model_.lines().empty()) model_.RedisplayArticle();
}

ArticleViewer::~ArticleViewer() { model_.setObserver(nullptr); }

void ArticleViewer::setDisplayOptions(ViewerDisplayOptions options) {
  options_ = std::move(options);
  formats_ = ViewerFormats(options_);
  applyOptions();
  clearText();
  appendLines();
}

void ArticleViewer::applyOptions() {
  QPalette palette = text_->palette();
  palette.setColor(QPalette::Base, qtColor(options_.viewerColor));
  palette.setColor(QPalette::Text, fontColor(options_.viewerFont));
  text_->setPalette(palette);
  text_->setFont(qtFont(options_.viewerFont));
  text_->document()->setDocumentMargin(std::max(0, options_.leftMargin));
  text_->setLineWrapMode(options_.wordWrap ? QPlainTextEdit::WidgetWidth
                                           : QPlainTextEdit::NoWrap);
  text_->setHorizontalScrollBarPolicy(options_.hideHorzScrollBar ? Qt::ScrollBarAlwaysOff
                                                                 : Qt::ScrollBarAsNeeded);
  panel_->setHeaderFont(qtFont(options_.headerFont), fontColor(options_.headerFont),
                        qtColor(options_.viewerColor));
  updatePictureWidth();
}

// --- following the model

void ArticleViewer::viewerCleared() {
  bodyStart_ = 0;
  clearText();
}

void ArticleViewer::clearText() {
  text_->clear();
  text_->document()->setDocumentMargin(std::max(0, options_.leftMargin));
  pictures_->clear();
  pictureBlocks_.clear();
  nextLine_ = bodyStart_;
  shownBlocks_ = 0;
}

void ArticleViewer::linesAdded(std::size_t) {
  appendLines();
  if (pendingMatch_) applyMatch(!model_.articleEnded());
}

void ArticleViewer::appendLines() {
  const std::vector<RenderedLine>& lines = model_.lines();
  nextLine_ = std::max(nextLine_, bodyStart_);
  if (nextLine_ >= lines.size()) return;
  QTextCursor cursor(text_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  for (; nextLine_ < lines.size(); ++nextLine_) appendLine(cursor, lines[nextLine_]);
  cursor.endEditBlock();
}

void ArticleViewer::appendLine(QTextCursor& cursor, const RenderedLine& line) {
  const QTextCharFormat& format = formats_.of(line);
  if (shownBlocks_ > 0) {
    cursor.insertBlock(QTextBlockFormat(), format);
  } else {
    cursor.setBlockCharFormat(format);
  }
  ++shownBlocks_;
  if (line.kind == LineKind::Picture) {
    QImage picture = DecodePicture(model_.AttachmentBytes(line.fileIndex));
    if (!picture.isNull()) {
      pictureBlocks_.push_back(cursor.blockNumber());
      cursor.insertText(QString(QChar::ObjectReplacementCharacter),
                        pictures_->add(std::move(picture)));
      return;
    }
  }
  cursor.insertText(blockText(line.text), format);
}

void ArticleViewer::headerPanelChanged() {
  const HeaderPanel& shown = model_.headerPanel();
  QStringList lines;
  for (const std::string& line : shown.lines) lines << blockText(line);
  panel_->setLines(lines);
  panel_->setFace(shown.face ? XFaceImage(*shown.face) : QImage());
  // The model reports the panel right after the article's header lines and
  // the blank line that ends them: the text shows what comes after.
  if (!shown.lines.empty()) bodyStart_ = model_.lines().size();
  fitPanel();
}

void ArticleViewer::attachmentsChanged() {
  // The menu is rebuilt when next shown: this may run from one of its own
  // entries (a save changes the entry), which must not be deleted then.
  menuStale_ = true;
  const bool any = model_.HasAttachments();
  panel_->setAttachmentsShown(any);
  fitPanel();
  emit attachmentsAvailable(any);
}

QMenu* ArticleViewer::attachmentsMenu() {
  if (menuStale_) rebuildAttachmentsMenu();
  return panel_->attachmentsMenu();
}

void ArticleViewer::rebuildAttachmentsMenu() {
  menuStale_ = false;
  QMenu* menu = panel_->attachmentsMenu();
  menu->clear();
  const std::vector<AttachmentEntry> entries = model_.Attachments();
  for (std::size_t index = 0; index < entries.size(); ++index) {
    QAction* action = menu->addAction(qs(entries[index].label));
    action->setCheckable(true);
    action->setChecked(entries[index].onDisk);
    connect(action, &QAction::triggered, this, [this, index, action] {
      action->setChecked(model_.Attachments().at(index).onDisk);
      model_.RunAttachment(index);
    });
  }
}

void ArticleViewer::showAttachmentsMenu() {
  if (!model_.HasAttachments()) return;
  QToolButton* button = panel_->attachmentsButton();
  const QPoint at = button->isVisible() ? button->mapToGlobal(QPoint(0, button->height()))
                                        : text_->mapToGlobal(QPoint(0, 0));
  attachmentsMenu()->popup(at);
}

// --- toggles

void ArticleViewer::redisplay() {
  const int position = text_->verticalScrollBar()->value();
  if (!model_.RedisplayArticle()) return;  // still arriving: redrawn at its end
  text_->verticalScrollBar()->setValue(position);
}

void ArticleViewer::setToggle(bool ViewToggles::*toggle, bool on) {
  model_.toggles().*toggle = on;
  redisplay();
}

void ArticleViewer::setRaw(bool on) { setToggle(&ViewToggles::raw, on); }
void ArticleViewer::setShowAllHeaders(bool on) { setToggle(&ViewToggles::showAllHeaders, on); }
void ArticleViewer::setShowQuoted(bool on) { setToggle(&ViewToggles::quoted, on); }
void ArticleViewer::setFixWrap(bool on) { setToggle(&ViewToggles::fixWrap, on); }
void ArticleViewer::setUniformQuote(bool on) { setToggle(&ViewToggles::uniformQuote, on); }
void ArticleViewer::setRot13(bool on) { setToggle(&ViewToggles::rot13, on); }
void ArticleViewer::setFixedFont(bool on) { setToggle(&ViewToggles::fixedFont, on); }

void ArticleViewer::setWordWrap(bool on) {
  options_.wordWrap = on;
  text_->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}
void ArticleViewer::setSplitScreen(bool on) { setToggle(&ViewToggles::splitScreen, on); }

// --- commands

bool ArticleViewer::atEnd() const {
  const QScrollBar* bar = text_->verticalScrollBar();
  return bar->value() >= bar->maximum();
}

int ArticleViewer::lastVisibleBlock() const {
  return text_->cursorForPosition(QPoint(0, text_->viewport()->height() - 1)).blockNumber();
}

void ArticleViewer::pageDownOrMoveOn() {
  if (atEnd()) {
    emit endOfArticleReached();
  } else {
    text_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  }
}

void ArticleViewer::skipQuote() {
  if (atEnd() || model_.SkipQuoteMovesOn(lineOfBlock(lastVisibleBlock()))) {
    emit endOfArticleReached();
  } else {
    text_->verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  }
}

void ArticleViewer::copy() { text_->copy(); }

void ArticleViewer::selectAll() { text_->selectAll(); }

// --- finding

bool ArticleViewer::findFromCaret(const std::string& pattern, bool caseSensitive) {
  TPerlre re(true, TPerlre::kCaseless);
  try {
    re.SetCaseSensitive(pattern, caseSensitive);
  } catch (const EPerlRe&) {
    return false;
  }
  const QString plain = text_->toPlainText();
  const std::string text = utf8(plain);
  const auto caret = static_cast<std::size_t>(plain.left(text_->textCursor().position()).toUtf8().size());
  const auto hit = FindFrom(re, text, caret);
  if (hit) select(hit->offset, hit->length, text);
  return hit.has_value();
}

void ArticleViewer::selectMatch(ViewerMatch match) {
  pendingMatch_ = std::move(match);
  if (model_.articleEnded()) applyMatch(false);
}

bool ArticleViewer::applyMatch(bool partOnly) {
  TPerlre re(true, TPerlre::kCaseless);
  try {
    re.SetCaseSensitive(pendingMatch_->pattern, pendingMatch_->caseSensitive);
  } catch (const EPerlRe&) {
    pendingMatch_.reset();
    return false;
  }
  const std::string text = utf8(text_->toPlainText());
  const auto hit = LocateMatch(re, text, pendingMatch_->matched);
  if (!hit || (partOnly && text.compare(hit->offset, hit->length, pendingMatch_->matched) != 0)) {
    if (!partOnly) pendingMatch_.reset();
    return false;
  }
  pendingMatch_.reset();
  select(hit->offset, hit->length, text);
  return true;
}

void ArticleViewer::select(std::size_t offset, std::size_t length, const std::string& text) {
  const auto start = static_cast<int>(QString::fromUtf8(text.data(), static_cast<qsizetype>(offset)).size());
  const auto size =
      static_cast<int>(QString::fromUtf8(text.data() + offset, static_cast<qsizetype>(length)).size());
  QTextCursor cursor(text_->document());
  cursor.setPosition(start);
  cursor.setPosition(start + size, QTextCursor::KeepAnchor);
  text_->setTextCursor(cursor);
  text_->ensureCursorVisible();
}

QString ArticleViewer::selectedText() const {
  // The document's paragraph separators are line ends for the person.
  return text_->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

// --- links

std::size_t ArticleViewer::byteOffset(std::size_t line, int position) const {
  const std::vector<RenderedLine>& lines = model_.lines();
  if (line >= lines.size()) return 0;
  return static_cast<std::size_t>(qs(lines[line].text).left(position).toUtf8().size());
}

bool ArticleViewer::characterAt(const QPoint& viewportPoint, int& block, int& position) const {
  const QTextCursor caret = text_->cursorForPosition(viewportPoint);
  const QTextBlock textBlock = caret.block();
  int at = caret.positionInBlock();
  // The caret stands between two characters: take the one under the point.
  if (at > 0) {
    QTextCursor before(textBlock);
    before.setPosition(textBlock.position() + at);
    if (viewportPoint.x() < text_->cursorRect(before).left()) --at;
  }
  if (at >= textBlock.length() - 1) return false;  // past the end of the line
  block = textBlock.blockNumber();
  position = at;
  return true;
}

void ArticleViewer::activateAt(int block, int positionInBlock) {
  const std::size_t line = lineOfBlock(block);
  carryOut(model_.ClickAt(line, byteOffset(line, positionInBlock), onlineGroupView_));
}

void ArticleViewer::carryOut(const LinkDecision& decision) {
  using Kind = LinkDecision::Kind;
  switch (decision.kind) {
    case Kind::None:
    case Kind::ConfirmDanger:  // the model asked already
      return;
    case Kind::OpenUrl: {
      const QUrl url = QUrl::fromUserInput(qs(decision.target));
      if (urlOpener_) {
        urlOpener_(url);
      } else {
        QDesktopServices::openUrl(url);
      }
      return;
    }
    case Kind::FetchMessageId:
      if (messageIdHandler_) messageIdHandler_(decision.target);
      return;
    case Kind::OpenGroup:
      if (groupHandler_) {
        groupHandler_(decision.target, decision.url);
      } else {
        carryOut({Kind::OpenUrl, decision.url, {}});
      }
      return;
  }
}

// --- events

bool ArticleViewer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
      pageDownOrMoveOn();
      return true;
    }
    return false;
  }
  if (watched != text_->viewport()) return false;
  switch (event->type()) {
    case QEvent::Resize:
      updatePictureWidth();
      break;
    case QEvent::MouseMove: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      int block = 0;
      int position = 0;
      const bool link = characterAt(mouse->position().toPoint(), block, position) &&
                        model_.IsLinkAt(lineOfBlock(block),
                                        byteOffset(lineOfBlock(block), position));
      text_->viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::IBeamCursor);
      break;
    }
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) pressPoint_ = mouse->position().toPoint();
      break;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint point = mouse->position().toPoint();
      const bool click = mouse->button() == Qt::LeftButton &&
                         (point - pressPoint_).manhattanLength() < QApplication::startDragDistance();
      int block = 0;
      int position = 0;
      if (click && !text_->textCursor().hasSelection() && characterAt(point, block, position)) {
        // After the release has been handled: the click may open a dialog.
        QMetaObject::invokeMethod(
            this, [this, block, position] { activateAt(block, position); }, Qt::QueuedConnection);
      }
      break;
    }
    default:
      break;
  }
  return false;
}

void ArticleViewer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fitPanel();
}

void ArticleViewer::fitPanel() { panel_->fitHeight(std::max(48, height() / 3)); }

void ArticleViewer::updatePictureWidth() {
  const int margin = static_cast<int>(text_->document()->documentMargin());
  // A little room for the cursor at the end of the picture's line.
  const int width = std::max(16, text_->viewport()->width() - 2 * margin - 4);
  if (!pictures_->setMaxWidth(width)) return;
  QTextDocument* document = text_->document();
  for (int number : pictureBlocks_) {
    const QTextBlock block = document->findBlockByNumber(number);
    if (block.isValid()) document->markContentsDirty(block.position(), block.length());
  }
}

}  // namespace orvel::ui
