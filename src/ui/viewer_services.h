#pragma once
// The viewer's services with Qt: the "Sauver         " dialog of an
// attachment held in memory (a Qt file dialog with a check box to open the
// file once saved) and the system's handler for files.

#include <QPointer>
#include <QWidget>

#include "content/article_view.h"
#include "content/launcher.h"

namespace orvel::ui {

inline constexpr const char* kOpenAfterSaveText = "Ouvrir le fichier une fois sauvé";

class QtAttachmentSaveDialog final : public AttachmentSaveDialog {
 public:
  explicit QtAttachmentSaveDialog(QWidget* parent) : parent_(parent) {}
  std::optional<Answer> ask(std::string_view caption, std::string_view startPath) override;

 private:
  QPointer<QWidget> parent_;
};

// Hands files to the desktop's handler (QDesktopServices).
class QtFileLauncher final : public FileLauncher {
 public:
  bool open(const std::string& path) override;
};

}  // namespace orvel::ui
