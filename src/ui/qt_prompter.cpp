#include "ui/qt_prompter.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <limits>

namespace orvel::ui {

namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString captionOr(std::string_view caption) {
  return caption.empty() ? QStringLiteral("Orvel") : qs(caption);
}

QMessageBox::Icon iconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Warning: return QMessageBox::Warning;
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Question: return QMessageBox::Question;
    case MessageKind::Information: break;
  }
  return QMessageBox::Information;
}

struct ButtonMap {
  Button button;
  QMessageBox::StandardButton standard;
};

constexpr ButtonMap kButtons[] = {
    {Button::Yes, QMessageBox::Yes},         {Button::No, QMessageBox::No},
    {Button::YesToAll, QMessageBox::YesToAll}, {Button::All, QMessageBox::YesToAll},
    {Button::Ok, QMessageBox::Ok},           {Button::Cancel, QMessageBox::Cancel},
};

}  // namespace

QString qtFileFilter(std::string_view filter) {
  if (filter.empty()) return {};
  const QStringList parts = qs(filter).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
    out << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return out.join(";;");
}

void QtPrompter::message(std::string_view text, MessageKind kind, std::string_view caption) {
  QMessageBox box(iconOf(kind), captionOr(caption), qs(text), QMessageBox::Ok, parent_);
  box.exec();
}

Button QtPrompter::ask(std::string_view text, Buttons buttons, MessageKind kind,
                       std::string_view caption) {
  QMessageBox box(iconOf(kind), captionOr(caption), qs(text), QMessageBox::NoButton, parent_);
  QAbstractButton* all = nullptr;
  for (const auto& [button, standard] : kButtons) {
    if (!hasButton(buttons, button)) continue;
    if (button == Button::All) {
      all = box.addButton(QStringLiteral("Tous"), QMessageBox::AcceptRole);
    } else {
      box.addButton(standard);
    }
  }
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  if (clicked && clicked == all) return Button::All;
  const auto standard = box.standardButton(clicked);
  for (const auto& [button, qtButton] : kButtons) {
    if (button != Button::All && qtButton == standard && hasButton(buttons, button)) {
      return button;
    }
  }
  return hasButton(buttons, Button::Cancel) || !hasButton(buttons, Button::No) ? Button::Cancel
                                                                                : Button::No;
}

std::optional<std::string> QtPrompter::inputText(std::string_view caption,
                                                 std::string_view prompt,
                                                 std::string_view initial, InputMode mode) {
  bool ok = false;
  const QString text = QInputDialog::getText(
      parent_, captionOr(caption), qs(prompt),
      mode == InputMode::Masked ? QLineEdit::Password : QLineEdit::Normal, qs(initial), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

std::optional<std::int64_t> QtPrompter::inputNumber(std::string_view caption,
                                                    std::string_view prompt, std::int64_t initial,
                                                    std::int64_t minimum, std::int64_t maximum) {
  constexpr std::int64_t kLow = std::numeric_limits<int>::min();
  constexpr std::int64_t kHigh = std::numeric_limits<int>::max();
  bool ok = false;
  const int value = QInputDialog::getInt(
      parent_, captionOr(caption), qs(prompt), static_cast<int>(std::clamp(initial, kLow, kHigh)),
      static_cast<int>(std::clamp(minimum, kLow, kHigh)),
      static_cast<int>(std::clamp(maximum, kLow, kHigh)), 1, &ok);
  if (!ok) return std::nullopt;
  return value;
}

std::optional<std::string> QtPrompter::chooseOpenFile(std::string_view caption,
                                                      std::string_view startPath,
                                                      std::string_view filter) {
  const QString path =
      QFileDialog::getOpenFileName(parent_, captionOr(caption), qs(startPath), qtFileFilter(filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtPrompter::chooseSaveFile(std::string_view caption,
                                                      std::string_view startPath,
                                                      std::string_view filter) {
  const QString path =
      QFileDialog::getSaveFileName(parent_, captionOr(caption), qs(startPath), qtFileFilter(filter));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtPrompter::chooseFolder(std::string_view caption,
                                                    std::string_view startPath) {
  const QString path =
      QFileDialog::getExistingDirectory(parent_, captionOr(caption), qs(startPath));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

void QtPrompter::status(std::string_view text) {
  if (statusSink_) statusSink_(qs(text));
}

void QtPrompter::progress(std::int64_t position, std::int64_t maximum) {
  if (progressSink_) progressSink_(position, maximum);
}

}  // namespace orvel::ui
