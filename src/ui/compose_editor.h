#pragma once
// The compose window's body: a plain-text editor that wraps visually at the
// configured column (the width of WrapColumn + 1 letters "X" in its font),
// inserts four spaces for TAB, pastes plain text only, and hands its lines
// to the compose session with the editor's own soft line ends.

#include <QTextEdit>

#include <string>
#include <vector>

#include "posting/compose_message.h"

namespace orvel::ui {

class ComposeEditor final : public QTextEdit {
  Q_OBJECT

 public:
  explicit ComposeEditor(QWidget* parent = nullptr);

  void setWrapColumn(int column);
  // Lines that begin with ">" are drawn in this colour.
  void setQuoteColor(const QColor& color);
  void setWordWrap(bool on);
  // The text as the editor shows it: CR LF line ends taken as line ends.
  void setBody(const std::string& text);
  // Every line of the editor; a line the editor wrapped is soft.
  std::vector<BodyLine> bodyLines() const;
  // The selection as UTF-8 with CR LF line ends; empty when none.
  std::string selectedBody() const;
  // Replaces the selection with text (CR LF line ends) as one undoable edit
  // and selects [selectFrom, selectFrom + selectLength) of it (UTF-8 bytes).
  void replaceSelection(const std::string& text, std::size_t selectFrom, std::size_t selectLength);
  // Puts the caret at a byte offset of text, the body the editor shows.
  void setCaret(const std::string& text, std::size_t offset);
  // "%d:%d": line and column of the caret, from 1.
  QString caretText() const;

 signals:
  void caretMoved(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  void applyWrap();

  class QuoteHighlighter;
  QuoteHighlighter* highlighter_;
  int wrapColumn_ = 76;
  bool wordWrap_ = true;
};

}  // namespace orvel::ui
