// The group view's posting commands: a new article, the answers to the
// article shown (follow-up, mail, both, forward, supersede), and reopening a
// queued message from the Outbox or Sent in a compose window.

#include <QPlainTextEdit>
#include <QTextCursor>

#include "config/main_state.h"
#include "content/article_view.h"
#include "posting/answered_article.h"
#include "posting/cancel_lock.h"
#include "ui/articles_window.h"
#include "ui/edit_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

void TArticlesWindow::wirePostingCommands() {
  static constexpr std::pair<const char*, ComposeKind> kCommands[] = {
      {"acaPost", ComposeKind::New},           {"acaFollowUp", ComposeKind::FollowUp},
      {"acaMail", ComposeKind::Mail},          {"acaFollowUpMail", ComposeKind::FollowUpMail},
      {"acaForw", ComposeKind::Forward},       {"acaSupersede", ComposeKind::Supersede},
  };
  for (const auto& [name, kind] : kCommands) {
    actions_->wire(name, [this, kind = kind] { compose(kind); });
  }
  actions_->wire("acaCancel", [this] { cancelArticles(); });
  actions_->wire("acaSend", [this] { sendOutbox(); });
}

void TArticlesWindow::cancelArticles() {
  TGroupView& view = groupView();
  const CommandContext context = commandContext();
  std::vector<TArticle*> articles;
  if (context.focus == Pane::Viewer) {
    if (TArticle* shown = currentArticle()) articles.push_back(shown);
  } else {
    articles = session_->SelectedArticles(context);
  }
  if (view.IsFolder() || articles.empty() || (canceller_ && canceller_->Running())) {
    beep();
    return;
  }
  if (!canceller_) {
    std::string error;
    const auto secret = CancelLockSecrets(frame_.app().baseDir).Secret(view.Identity().name, &error);
    if (!secret) prompter_.status(error);
    canceller_ = std::make_unique<CancelRequest>(view, secret.value_or(std::string()));
  }
  canceller_->Start(std::move(articles));
}

void TArticlesWindow::composeTarget(std::shared_ptr<TProfile>& profile, std::string& group) {
  TGroupView& view = groupView();
  profile = view.Profile();
  group = view.IsFolder() ? std::string() : view.View().groupName;
  TArticle* shown = currentArticle();
  if (view.IsFolder() && shown) {
    // A folder article answers on the server and in the group it came from.
    if (auto origin = view.OriginProfile(*shown)) profile = std::move(origin);
    const std::string_view xref = shown->Xref.view();
    const std::size_t colon = xref.find(':');
    if (colon != std::string_view::npos) group = std::string(xref.substr(colon + 1));
  }
  if (!profile) profile = frame_.state().defaultProfile();
}

TEditWindow* TArticlesWindow::compose(ComposeKind kind) {
  std::shared_ptr<TProfile> profile;
  std::string group;
  composeTarget(profile, group);
  TArticle* shown = currentArticle();
  if (kind == ComposeKind::New) return TEditWindow::openNew(frame_, profile, group);
  if (!shown || !articleView_ || !articleView_->articleEnded()) {
    beep();
    return nullptr;
  }
  QString selection = viewer_->textView()->textCursor().selectedText();
  selection.replace(QChar::ParagraphSeparator, "\r\n");
  return TEditWindow::openAnswer(frame_, profile, kind,
                                 AnsweredFromView(*articleView_, utf8(selection)), group);
}

TEditWindow* TArticlesWindow::reopenQueued(const TArticle& article) {
  TGroupView& view = groupView();
  if (!view.IsFolder() || !view.FolderStore()) return nullptr;
  const std::uint8_t kind = view.Folder().kind;
  if (kind != kStoreOutbox && kind != kStoreSent) return nullptr;
  std::string text;
  if (!view.FolderStore()->ReadBody(article, text)) {
    prompter_.message("Article absent   ", MessageKind::Error);
    return nullptr;
  }
  // An Outbox entry is replaced when saved; a Sent copy stays where it is.
  std::optional<FolderEntryRef> from;
  if (kind == kStoreOutbox) {
    from = FolderEntryRef{view.Folder().path, kind, {article.Date, std::string(article.Subject.view())}};
  }
  return TEditWindow::openQueued(frame_, text, from);
}

}  // namespace orvel::ui
