#include "ui/compose_editor.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextLayout>

#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

constexpr int kLeftMargin = 15;
constexpr int kTopMargin = 10;

QString fromBody(const std::string& text) {
  QString q = qs(text);
  q.remove('\r');
  return q;
}

// QTextEdit ends lines with U+2029 in selections.
std::string toBody(QString text) {
  text.replace(QChar::ParagraphSeparator, "\r\n");
  text.replace(QChar::LineSeparator, "\r\n");
  return utf8(text);
}

}  // namespace

class ComposeEditor::QuoteHighlighter final : public QSyntaxHighlighter {
 public:
  explicit QuoteHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {}
  void setColor(const QColor& color) {
    format_.setForeground(color);
    rehighlight();
  }

 protected:
  void highlightBlock(const QString& text) override {
    if (text.startsWith('>')) setFormat(0, static_cast<int>(text.size()), format_);
  }

 private:
  QTextCharFormat format_;
};

ComposeEditor::ComposeEditor(QWidget* parent)
    : QTextEdit(parent), highlighter_(new QuoteHighlighter(document())) {
  setAcceptRichText(false);
  setViewportMargins(kLeftMargin, kTopMargin, 0, 0);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  applyWrap();
  connect(this, &QTextEdit::cursorPositionChanged, this,
          [this] { emit caretMoved(caretText()); });
}

void ComposeEditor::setWrapColumn(int column) {
  wrapColumn_ = column;
  applyWrap();
}

void ComposeEditor::setQuoteColor(const QColor& color) { highlighter_->setColor(color); }

void ComposeEditor::setWordWrap(bool on) {
  wordWrap_ = on;
  applyWrap();
}

void ComposeEditor::applyWrap() {
  if (!wordWrap_) {
    setLineWrapMode(QTextEdit::NoWrap);
    return;
  }
  setLineWrapMode(QTextEdit::FixedPixelWidth);
  setLineWrapColumnOrWidth(fontMetrics().horizontalAdvance(QString(wrapColumn_ + 1, 'X')));
}

void ComposeEditor::setBody(const std::string& text) { setPlainText(fromBody(text)); }

std::vector<BodyLine> ComposeEditor::bodyLines() const {
  QTextDocument* doc = document();
  // Lays out every block, so that each knows its lines.
  doc->documentLayout()->blockBoundingRect(doc->lastBlock());
  std::vector<BodyLine> lines;
  lines.reserve(static_cast<std::size_t>(doc->blockCount()));
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    const QString text = block.text();
    const QTextLayout* layout = block.layout();
    const int count = wordWrap_ && layout ? layout->lineCount() : 0;
    if (count <= 1) {
      lines.push_back({utf8(text), false});
      continue;
    }
    for (int i = 0; i < count; ++i) {
      const QTextLine line = layout->lineAt(i);
      lines.push_back({utf8(text.mid(line.textStart(), line.textLength())), i + 1 < count});
    }
  }
  if (lines.empty()) lines.emplace_back();
  return lines;
}

std::string ComposeEditor::selectedBody() const { return toBody(textCursor().selectedText()); }

void ComposeEditor::replaceSelection(const std::string& text, std::size_t selectFrom,
                                     std::size_t selectLength) {
  QTextCursor cursor = textCursor();
  const int start = cursor.selectionStart();
  cursor.insertText(fromBody(text));
  const int from = start + fromBody(text.substr(0, selectFrom)).size();
  const int length = fromBody(text.substr(selectFrom, selectLength)).size();
  cursor.setPosition(from);
  cursor.setPosition(from + length, QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

void ComposeEditor::setCaret(const std::string& text, std::size_t offset) {
  QTextCursor cursor = textCursor();
  cursor.setPosition(static_cast<int>(fromBody(text.substr(0, offset)).size()));
  setTextCursor(cursor);
}

QString ComposeEditor::caretText() const {
  const QTextCursor cursor = textCursor();
  return QString("%1:%2").arg(cursor.blockNumber() + 1).arg(cursor.positionInBlock() + 1);
}

void ComposeEditor::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier) {
    insertPlainText("    ");
    return;
  }
  QTextEdit::keyPressEvent(event);
}

void ComposeEditor::insertFromMimeData(const QMimeData* source) {
  if (source->hasText()) insertPlainText(source->text());
}

}  // namespace orvel::ui
