// TArticlesWindow's side of finding text: "Trouver" in the viewer's text,
// and an article opened for a match of its stored text (the list's find,
// the folder search) shown with the match selected.

#include <QPlainTextEdit>

#include "ui/articles_window.h"
#include "ui/groups_window.h"

namespace orvel::ui {

bool TArticlesWindow::findInViewer(const FindOptions& options) {
  return viewer_ && viewer_->findFromCaret(options.pattern, options.caseSensitive);
}

void TArticlesWindow::selectInViewer(const FindOptions& options, std::string_view matched) {
  if (viewer_) viewer_->selectMatch({options.pattern, options.caseSensitive, std::string(matched)});
}

void TArticlesWindow::showStoredMatch(std::int32_t number, const std::string& messageId,
                                      ViewerMatch match) {
  if (!viewer_) return;
  TArticle* found = nullptr;
  for (TArticle* a : groupView().MasterList()) {
    if (a->Number == number && a->MessageID.view() == messageId) {
      found = a;
      break;
    }
  }
  const ConnectionSlots& connections = groupView().Slots();
  if (!found && (connections.Serving(Purpose::Headers) || connections.Serving(Purpose::ResumeHeaders) ||
                 connections.Pending(Purpose::Headers) || connections.Pending(Purpose::ResumeHeaders))) {
    pendingMatch_ = StoredMatch{number, messageId, std::move(match)};
    return;
  }
  if (found) {
    session_->ScrollToArt(found);
    session_->ShowArticle(found);
  } else if (!showMessageId(messageId)) {
    return;
  }
  viewer_->selectMatch(std::move(match));
  viewer_->textView()->setFocus();
}

}  // namespace orvel::ui
