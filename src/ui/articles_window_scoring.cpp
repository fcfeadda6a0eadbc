// TArticlesWindow's scoring side: the score-rule builder for the shown
// article, "why this score" from the viewer's context menu, the filter
// dialog, the quick filter box, the server search and find dialogs.

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTreeView>

#include "articles/article_date.h"
#include "content/group_session.h"
#include "scoring/score_eval.h"
#include "scoring/score_rule.h"
#include "scoring/scoring_state.h"
#include "ui/add_score_dialog.h"
#include "ui/filter_dialog.h"
#include "ui/groups_window.h"
#include "ui/find_dialog.h"
#include "ui/quick_filter_box.h"
#include "ui/xpat_dialog.h"
#include "ui/article_list_model.h"
#include "ui/article_viewer.h"
#include "ui/articles_window.h"
#include "ui/orvel_frame.h"

namespace orvel::ui {

namespace {

constexpr const char* kWhyThisScore = "Pourquoi ce score ?";

}  // namespace

void TArticlesWindow::showRuleBuilder() {
  GroupScoring* scoring = session_->Scoring();
  TArticle* article = currentArticle();
  if (const TNode* focused = model_->nodeAt(list_->currentIndex());
      list_->hasFocus() && focused && focused->AsArticle()) {
    article = const_cast<TArticle*>(focused->AsArticle());
  }
  if (!scoring || !article) return;
  TfmAddScore dialog(RuleArticleOf(*article), groupView().Record().name,
                     scoring->SectionPatterns(), scoring->State().Settings().scoreFile,
                     LocalNow(), frame_.app().dateFormats, this);
  connect(&dialog, &TfmAddScore::ruleWritten, this,
          [scoring] { scoring->State().ReloadScores(); });
  if (dialog.exec() == QDialog::Accepted && dialog.rescoreOnClose()) session_->Rescore();
}

void TArticlesWindow::explainScore() {
  TArticle* article = currentArticle();
  if (!article) return;
  const auto explanation = session_->ExplainScore(*article);
  if (!explanation) return;
  prompter_.message(FormatExplanation(*explanation), MessageKind::Information, kWhyThisScore);
}

void TArticlesWindow::showViewerMenu(const QPoint& at) {
  QPlainTextEdit* text = viewer_->textView();
  std::unique_ptr<QMenu> menu(text->createStandardContextMenu());
  menu->addSeparator();
  QAction* save = menu->addAction(action("acaSaveAs")->text());
  save->setEnabled(!articleView_->lines().empty());
  connect(save, &QAction::triggered, this, [this] { saveShownArticle(); });
  QAction* why = menu->addAction(kWhyThisScore);
  why->setEnabled(currentArticle() != nullptr && session_->Scoring() != nullptr);
  connect(why, &QAction::triggered, this, [this] { explainScore(); });
  menu->exec(text->viewport()->mapToGlobal(at));
}

void TArticlesWindow::wireFilterCommands() {
  ActionSet& a = *actions_;
  a.wire("acvFilter", [this] { showFilterDialog(); });
  a.wire("acaXPAT", [this] { showXpatDialog(); });
  a.wire("acaFind", [this] { showFindDialog(); });
  a.wire("acvFilterBox", [this] {
    quickFilter_->setVisible(!quickFilter_->isVisible());
    if (quickFilter_->isVisible()) quickFilter_->setFocus();
  });
  a.wire("acvSwitchFilterColumn", [this] {
    quickFilter_->setVisible(true);
    quickFilter_->switchColumn();
  });
  connect(quickFilter_, &QuickFilterBox::statusText, this,
          [this](const QString& text) { status_->setText(text); });
  connect(quickFilter_, &QuickFilterBox::enterPressed, this, [this] { list_->setFocus(); });
}

void TArticlesWindow::showFilterDialog() {
  TfmFilter dialog(session_->Filter().Dialog(), this);
  const int result = dialog.exec();
  if (result == TfmFilter::Applied) session_->ApplyFilter(kFilterDialog);
  if (result == TfmFilter::RemoveFilters) session_->ApplyFilter(kFilterAll);
  quickFilter_->sync();
}

void TArticlesWindow::showXpatDialog() {
  const XoverView& x = groupView().View();
  TfmXPat dialog(x.lowMark, groupView().Download().High(), frame_.xpatMemory(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  session_->RunXpat(dialog.Form(), frame_.xpatMemory());
}

void TArticlesWindow::showFindDialog() {
  // The pane that had the focus before the dialog took it.
  const CommandContext context = commandContext();
  TfmFind dialog(session_->Finder(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  session_->Execute("acaFindAgain", context);
}

}  // namespace orvel::ui
