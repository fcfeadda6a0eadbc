#include "content/launcher.h"

#include <sys/stat.h>

#include "content/file_names.h"
#include "content/mime.h"

namespace orvel {

std::string DangerousFileQuestion(std::string_view path) {
  return std::string(path) + " dangeureux !!!!!.\r\n       Le lancer quand même ?";
}

bool LaunchFile(const std::string& path, bool ask, FileLauncher& launcher, Prompter& prompter) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if ((st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0) return false;
  const std::size_t slash = path.rfind('/');
  const std::string_view name =
      slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
  if (ExtensionInList(name, kDangerousExtensions)) {
    if (!ask) return false;
    if (prompter.ask(DangerousFileQuestion(path), kYesNo, MessageKind::Warning) != Button::Yes) {
      return false;
    }
  }
  return launcher.open(path);
}

bool AttachNotify(const TMime& viewer, int code, std::string_view launchTypes,
                  FileLauncher& launcher, Prompter& prompter) {
  if (code != kFileFinished || viewer.outputMode() != OutputMode::ViewAutoSave) return false;
  if (viewer.producedFiles().empty()) return false;
  const ProducedFile& file = viewer.producedFiles().back();
  if (!file.onDisk || !ExtensionInList(file.name, launchTypes)) return false;
  return LaunchFile(file.name, true, launcher, prompter);
}

}  // namespace orvel
