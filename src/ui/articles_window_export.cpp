// The group view's commands on what is shown: printing the article in the
// viewer (acaPrint), saving it from the viewer ("Sauver sous..."), copying
// the headers of the selected articles (acaCopyHeaders) and editing an
// article or a queued message in a compose window (acaEdit).

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>

#include "articles/header_template.h"
#include "config/main_state.h"
#include "content/article_view.h"
#include "core/atomic_file.h"
#include "posting/answered_article.h"
#include "posting/queued_text.h"
#include "ui/article_viewer.h"
#include "ui/articles_window.h"
#include "ui/edit_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"
#include "ui/shown_article_document.h"

namespace orvel::ui {

namespace {

constexpr std::string_view kSaveShownCaption = "Sauve..";
constexpr std::string_view kTextFilters = "Tous|*.*|Texte|*.txt";
constexpr std::string_view kRichFilters = "|Rich Text (ODF)|*.odt|HTML (strip headers)|*.html";

}  // namespace

void TArticlesWindow::wireExportCommands() {
  actions_->wire("acaPrint", [this] { printArticle(); });
  actions_->wire("acaCopyHeaders", [this] { copyHeaders(); });
  actions_->wire("acaEdit", [this] { editArticle(); })->setEnabled(currentArticle() != nullptr);
}

void TArticlesWindow::printArticle() {
  if (!viewer_ || !currentArticle() || articleView_->lines().empty()) return beep();
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle("Imprimer");
  if (dialog.exec() != QDialog::Accepted) return;
  ShownArticleDocument(*articleView_, viewer_->displayOptions())->print(&printer);
}

void TArticlesWindow::saveShownArticle() {
  if (!viewer_ || articleView_->lines().empty()) return beep();
  // A selection is saved alone, as text.
  const QString selection = viewer_->selectedText();
  const std::string filters =
      std::string(kTextFilters) + (selection.isEmpty() ? std::string(kRichFilters) : "");
  const std::optional<std::string> path =
      prompter_.chooseSaveFile(kSaveShownCaption, frame_.state().settings.saveDir, filters);
  if (!path) return;
  QByteArray bytes;
  if (!selection.isEmpty()) {
    bytes = QString(selection).replace(QChar::ParagraphSeparator, '\n').toUtf8();
  } else {
    const ShownArticleForm form = SaveFormFor(*path);
    bytes = ShownArticleBytes(*articleView_, viewer_->displayOptions(), form);
    if (bytes.isEmpty() && form == ShownArticleForm::RichText) {
      prompter_.message("Impossible de créer le document " + *path, MessageKind::Error);
      return;
    }
  }
  std::string error;
  if (!SaveFileAtomically(*path, std::string_view(bytes.constData(), bytes.size()), &error)) {
    prompter_.message(error, MessageKind::Error);
  }
}

void TArticlesWindow::copyHeaders() {
  std::vector<TArticle*> articles = session_->SelectedArticles(commandContext());
  if (articles.empty() && currentArticle()) articles.push_back(currentArticle());
  if (articles.empty()) return beep();
  const Settings& s = frame_.state().settings;
  const TGroupView& view = groupView();
  std::string text;
  for (const TArticle* article : articles) {
    std::string group = view.IsFolder() ? std::string() : view.View().groupName;
    if (view.IsFolder()) {
      const std::string_view xref = article->Xref.view();
      group = std::string(xref.substr(xref.find(':') + 1));
    }
    text += FormatHeaderTemplate(s.copyHeadersTemplate,
                                 HeaderTemplateFieldsOf(*article, group, frame_.app().dateFormats));
  }
  QGuiApplication::clipboard()->setText(qs(text));
}

void TArticlesWindow::editArticle() {
  TArticle* article = currentArticle();
  if (!article) return beep();
  TGroupView& view = groupView();
  const std::uint8_t kind =
      view.IsFolder() ? view.Folder().kind : static_cast<std::uint8_t>(kStoreArchive);
  if (kind == kStoreOutbox) {
    reopenQueued(*article);
    return;
  }
  if (kind != kStoreArchive && view.FolderStore()) {
    std::string text;
    if (view.FolderStore()->ReadBody(*article, text) && IsQueuedText(text)) {
      // A queued message leaves its queue folder once saved to the Outbox;
      // the copy kept in Sent stays there.
      std::optional<FolderEntryRef> from;
      if (kind == kStoreQueue) {
        from = FolderEntryRef{view.Folder().path, kind,
                              {article->Date, std::string(article->Subject.view())}};
      }
      TEditWindow::openQueued(frame_, text, from);
      return;
    }
  }
  if (!articleView_ || !articleView_->articleEnded()) return beep();
  std::shared_ptr<TProfile> profile;
  std::string group;
  composeTarget(profile, group);
  TEditWindow::openCopy(frame_, profile, AnsweredFromView(*articleView_, {}), group);
}

}  // namespace orvel::ui
