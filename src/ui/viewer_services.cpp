#include "ui/viewer_services.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QUrl>

#include "ui/qt_convert.h"

namespace orvel::ui {

std::optional<AttachmentSaveDialog::Answer> QtAttachmentSaveDialog::ask(
    std::string_view caption, std::string_view startPath) {
  QFileDialog dialog(parent_, qs(caption), qs(startPath));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The check box needs Qt's own dialog: a native one takes no extra widget.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.selectFile(qs(startPath));
  auto* openAfter = new QCheckBox(QString::fromUtf8(kOpenAfterSaveText), &dialog);
  openAfter->setObjectName("openAfterSave");
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(openAfter, grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
  return Answer{utf8(chosen.front()), openAfter->isChecked()};
}

bool QtFileLauncher::open(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(qs(path)));
}

}  // namespace orvel::ui
