// What the person does with a shown article: the attachments menu (open a
// saved file, save one that is only in memory) and clicks on links.

#include "content/article_view.h"
#include "content/file_names.h"
#include "core/atomic_file.h"
#include "core/text.h"

namespace orvel {

namespace {

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

std::vector<AttachmentEntry> ArticleView::Attachments() const {
  std::vector<AttachmentEntry> entries;
  for (const ProducedFile& file : mime_.producedFiles()) {
    entries.push_back({file.name, file.onDisk});
  }
  return entries;
}

std::string_view ArticleView::AttachmentBytes(std::size_t index) const {
  const auto& files = mime_.producedFiles();
  return index < files.size() ? std::string_view(files[index].memory) : std::string_view();
}

bool ArticleView::RunAttachment(std::size_t index) {
  auto& files = mime_.producedFiles();
  if (index >= files.size()) return false;
  ProducedFile& file = files[index];
  if (file.onDisk) return LaunchFile(file.name, true, services_.launcher, services_.prompter);

  AttachmentSaveDialog& dialog = services_.saveDialog ? *services_.saveDialog : prompterDialog_;
  const auto answer = dialog.ask(kSaveAttachmentCaption, attachmentDirectory_ + file.name);
  if (!answer) return false;
  std::string error;
  if (!SaveFileAtomically(answer->path, file.memory, &error)) {
    services_.prompter.message(error, MessageKind::Error);
    return false;
  }
  setAttachmentDirectory(directoryOf(answer->path));
  file.name = answer->path;
  file.onDisk = true;
  if (observer_) observer_->attachmentsChanged();
  if (answer->openAfterSave) LaunchFile(file.name, true, services_.launcher, services_.prompter);
  return true;
}

bool ArticleView::IsLinkAt(std::size_t line, std::size_t offset) const {
  if (line >= lines_.size()) return false;
  const RenderedLine& shown = lines_[line];
  if (shown.fileIndex != kNoFile) return true;
  return links_.LooksLikeLink(WordAt(shown.text, offset));
}

LinkDecision ArticleView::ClickAt(std::size_t line, std::size_t offset, bool onlineGroupView) {
  if (line >= lines_.size()) return {};
  const RenderedLine& shown = lines_[line];
  if (shown.fileIndex != kNoFile) {
    RunAttachment(shown.fileIndex);
    return {};
  }
  return ActivateWord(WordAt(shown.text, offset), onlineGroupView);
}

LinkDecision ArticleView::ActivateWord(std::string_view word, bool onlineGroupView) {
  LinkDecision decision = links_.ResolveClick(word, {onlineGroupView, settings_.dejaQuery});
  if (decision.kind != LinkDecision::Kind::ConfirmDanger) return decision;
  const auto edited = services_.prompter.inputText(kDangerCaption, kDangerPrompt, decision.target);
  if (!edited || trimView(*edited).empty()) return {};
  return {LinkDecision::Kind::OpenUrl, std::string(trimView(*edited)), {}};
}

}  // namespace orvel
