#pragma once
// ArticleViewer: the viewer pane of a group view. It shows an ArticleView
// (the model below the Qt line) and follows it through ViewerObserver: the
// header panel (shown headers, X-Face, attachments button) above, the
// article's text below in a read-only QPlainTextEdit, one text block per
// rendered line in the character format of its style. Lines are appended as
// the model reports them, so an article that streams in is never laid out
// again as a whole; a view toggle makes the model render the article again
// from its raw copy, which clears and refills the text.
//
// Clicks on links and file lines go to the model, which decides; the widget
// carries out what comes back: URLs go to the desktop (QDesktopServices,
// replaceable for tests), Message-IDs and groups to the callbacks the group
// window sets. Space pages down and, at the end of the text, signals
// endOfArticleReached so the window can go on to the next unread article.
//
// The model, the options and the callbacks belong to the window; the model
// must outlive the widget (the widget detaches itself from it on destruction).

#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "content/article_view.h"
#include "ui/viewer_formats.h"
#include "ui/viewer_options.h"

class QMenu;
class QPlainTextEdit;
class QTextCursor;
class QToolButton;

namespace orvel::ui {

// A match found in an article's stored text, to show selected in the viewer.
struct ViewerMatch {
  std::string pattern;
  bool caseSensitive = false;
  std::string matched;  // the matched bytes of the stored text
};

class ViewerHeaderPanel;
class ViewerPictures;

class ArticleViewer : public QWidget, private ViewerObserver {
  Q_OBJECT

 public:
  using MessageIdHandler = std::function<void(std::string messageId)>;
  using GroupHandler = std::function<void(std::string group, std::string url)>;
  using UrlOpener = std::function<bool(const QUrl& url)>;

  ArticleViewer(ArticleView& model, ViewerDisplayOptions options, QWidget* parent = nullptr);
  ~ArticleViewer() override;

  ArticleView& model() { return model_; }
  void setDisplayOptions(ViewerDisplayOptions options);
  const ViewerDisplayOptions& displayOptions() const { return options_; }

  // --- what the window wires
  // A news or Message-ID link to fetch ("<id@host>", angle brackets kept).
  void setMessageIdHandler(MessageIdHandler handler) { messageIdHandler_ = std::move(handler); }
  // A news link naming a group; without a handler its URL goes to the desktop.
  void setGroupHandler(GroupHandler handler) { groupHandler_ = std::move(handler); }
  // Where URLs and mail addresses go; QDesktopServices::openUrl by default.
  void setUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }
  // An online group view fetches Message-IDs itself; other views look news
  // targets up on the web (the model's DejaQuery address).
  void setOnlineGroupView(bool online) { onlineGroupView_ = online; }

  // --- the view toggles (the window's check actions call these); each
  // renders the shown article again.
  void setRaw(bool on);             // "Texte brut" (acvRaw)
  void setShowAllHeaders(bool on);  // "Afficher toutes les en-têtes" (acvShowAllHeaders)
  void setShowQuoted(bool on);      // acvQuoted
  void setFixWrap(bool on);         // acvFixWrap
  void setUniformQuote(bool on);    // acvUniformQuote
  void setRot13(bool on);           // "ROT-13" (acvROT13)
  void setFixedFont(bool on);       // "Utiliser une police fixe" (acvFixedFont)
  void setWordWrap(bool on);        // "Formatage automatique" (acvWordWrap)
  void setSplitScreen(bool on);     // acvFS off: the viewer fills the window
  const ViewToggles& toggles() const { return model_.toggles(); }

  // --- commands
  // Space: pages down; at the end of the text emits endOfArticleReached.
  void pageDownOrMoveOn();
  // "Sauter le texte cité": pages unless the end of the text, or the last
  // signature separator, is visible already; then emits endOfArticleReached.
  void skipQuote();
  // "Lister les fichiers joints": pops the attachments menu up.
  void showAttachmentsMenu();
  bool hasAttachments() const { return model_.HasAttachments(); }
  QMenu* attachmentsMenu();
  void copy();
  void selectAll();
  // "Trouver" in the text: the first hit of the regex from the caret on is
  // selected and scrolled into view; false when none follows.
  bool findFromCaret(const std::string& pattern, bool caseSensitive);
  // Selects a match of the stored text where the text shows it: at once when
  // the article is all there, else as soon as its line arrives.
  void selectMatch(ViewerMatch match);
  QString selectedText() const;

  // --- for the window's layout and for tests
  QPlainTextEdit* textView() const { return text_; }
  ViewerHeaderPanel* headerPanel() const { return panel_; }
  const ViewerPictures& pictures() const { return *pictures_; }
  // The rendered line a text block shows (blocks start after the header
  // panel's lines).
  std::size_t lineOfBlock(int block) const { return bodyStart_ + static_cast<std::size_t>(block); }
  // Carries out a click on that character of that text block.
  void activateAt(int block, int positionInBlock);

 signals:
  void endOfArticleReached();
  void attachmentsAvailable(bool any);
  // The model changed a toggle itself (the one-article quote repair).
  void viewTogglesChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // ViewerObserver
  void viewerCleared() override;
  void linesAdded(std::size_t first) override;
  void headerPanelChanged() override;
  void attachmentsChanged() override;
  void togglesChanged() override { emit viewTogglesChanged(); }

  void applyOptions();
  void clearText();
  void appendLines();
  // Selects the pending match; with partOnly, only a hit with its very text.
  bool applyMatch(bool partOnly);
  void select(std::size_t offset, std::size_t length, const std::string& text);
  void appendLine(QTextCursor& cursor, const RenderedLine& line);
  void rebuildAttachmentsMenu();
  void redisplay();
  void setToggle(bool ViewToggles::*toggle, bool on);
  void carryOut(const LinkDecision& decision);
  // The text block and character under a point of the viewport, when the
  // point is over a character.
  bool characterAt(const QPoint& viewportPoint, int& block, int& position) const;
  std::size_t byteOffset(std::size_t line, int position) const;
  void updatePictureWidth();
  void fitPanel();
  bool atEnd() const;
  int lastVisibleBlock() const;

  ArticleView& model_;
  ViewerDisplayOptions options_;
  ViewerFormats formats_;
  ViewerHeaderPanel* panel_;
  QPlainTextEdit* text_;
  ViewerPictures* pictures_;
  std::vector<int> pictureBlocks_;
  std::size_t nextLine_ = 0;   // the next rendered line to append
  int shownBlocks_ = 0;        // text blocks filled so far
  bool menuStale_ = true;
  std::size_t bodyStart_ = 0;  // lines before it are in the header panel
  bool onlineGroupView_ = true;
  QPoint pressPoint_;
  MessageIdHandler messageIdHandler_;
  GroupHandler groupHandler_;
  UrlOpener urlOpener_;
  std::optional<ViewerMatch> pendingMatch_;
};

}  // namespace orvel::ui
