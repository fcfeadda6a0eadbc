#pragma once
// ArticleView: the article viewer's model, below the Qt line. It drives the
// viewer's TMime line by line and turns what comes out into RenderedLines:
// the headers the person wants in their order, the body with quoted text,
// signature and MIME structure told apart, decoded text parts in place of
// their boundaries, finished files as clickable lines or inline pictures. It
// keeps the article's raw copy (for the body store and for re-rendering after
// a view toggle), the header panel with the X-Face, the attachments menu, and
// resolves clicks on links into decisions.
//
// Life of one article: StartArticle resets everything (lines, styles, the
// TMime in view mode with or without auto-save); ParseArticle is called with
// each block of a server reply, or once with a stored text, and renders
// every complete line; RedisplayArticle starts again from the raw copy. The
// Qt viewer listens through ViewerObserver and draws lines() in their
// styles; it calls back for the attachments menu and for clicks.
//
// Owned here: the TMime, the raw copy, the lines, the known-directories
// list. Borrowed: the prompter, the file launcher, the MIME services, the
// save dialog and the quote-repair store, which must outlive the view.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/launcher.h"
#include "content/link_detection.h"
#include "content/mime.h"
#include "core/quote_marks.h"
#include "content/quote_repair.h"
#include "content/quote_store.h"
#include "content/rendered_line.h"
#include "content/viewer_settings.h"
#include "content/xface.h"
#include "core/perlre.h"
#include "core/prompter.h"

namespace orvel {

// Where the text being parsed comes from: a stored text, or a server reply to
// one of the group view's article requests (the request purposes).
enum class ArticleRequestKind : std::uint8_t {
  Stored = 0,
  Article = 3,      // ARTICLE by number or Message-ID, for the article list
  ByMessageId = 4,  // ARTICLE <id> of a reference
  Head = 10,        // HEAD: headers only, all of them shown
};

struct HeaderPanel {
  std::vector<std::string> lines;  // the article's header lines as shown (UTF-8)
  std::optional<XFaceBitmap> face;  // with the XFace setting on and a valid X-Face
};

// One entry of "Lister les fichiers joints".
struct AttachmentEntry {
  std::string label;  // the full path once on disk, else the file's name
  bool onDisk = false;  // shown with a tick mark
};

// The "Sauver         " dialog of a file that is only in memory: a save-file
// dialog with a check box to open the file once saved.
class AttachmentSaveDialog {
 public:
  struct Answer {
    std::string path;
    bool openAfterSave = false;
  };
  virtual ~AttachmentSaveDialog() = default;
  virtual std::optional<Answer> ask(std::string_view caption, std::string_view startPath) = 0;
};

inline constexpr std::string_view kSaveAttachmentCaption = "Sauver         ";

// The plain save dialog of the prompter, without the check box.
class PrompterSaveDialog final : public AttachmentSaveDialog {
 public:
  explicit PrompterSaveDialog(Prompter& prompter) : prompter_(prompter) {}
  std::optional<Answer> ask(std::string_view caption, std::string_view startPath) override;

 private:
  Prompter& prompter_;
};

class ViewerObserver {
 public:
  virtual ~ViewerObserver() = default;
  virtual void viewerCleared() {}
  // Lines from first to the end of lines() are new.
  virtual void linesAdded(std::size_t first) { (void)first; }
  virtual void headerPanelChanged() {}
  virtual void attachmentsChanged() {}
  // A toggle changed by the view itself (the one-article quote repair).
  virtual void togglesChanged() {}
};

struct ViewerServices {
  Prompter& prompter;
  FileLauncher& launcher;
  MimeEnvironment mime;
  AttachmentSaveDialog* saveDialog = nullptr;  // none: the prompter's save dialog
};

class ArticleView {
 public:
  ArticleView(ViewerSettings settings, ViewerServices services);
  ArticleView(const ArticleView&) = delete;
  ArticleView& operator=(const ArticleView&) = delete;
  ~ArticleView();

  // --- configuration
  void setSettings(ViewerSettings settings);
  const ViewerSettings& settings() const { return settings_; }
  // Changing a toggle takes effect at the next article or RedisplayArticle.
  ViewToggles& toggles() { return toggles_; }
  const ViewToggles& toggles() const { return toggles_; }
  void setObserver(ViewerObserver* observer) { observer_ = observer; }
  // The quote-repair store used while "quoted" and "fixWrap" are on; none
  // (the default) is the view's own quote repair.
  void setQuoteRepairStore(QuoteLineStore* store) { repairStore_ = store; }
  // The group's attachment directory; it also joins the known directories.
  void setAttachmentDirectory(std::string_view directory);
  const std::string& attachmentDirectory() const { return attachmentDirectory_; }
  // Directories where files of earlier articles were saved: a file found in
  // one with the same size is listed as on disk.
  std::vector<std::string>& knownDirectories() { return knownDirectories_; }

  // --- one article
  // Empties the viewer (with clear) and starts a new article; autoSave saves
  // attachments by the SaveTypes rules and opens LaunchTypes files.
  void StartArticle(bool clear, bool autoSave);
  // Renders the complete lines of text from pos and returns the position of
  // the first byte not used (a partial line of server data waits for the next
  // block). last is set when the article (or the HEAD reply) ended. A Stored
  // text is its whole article, as the body store keeps it.
  std::size_t ParseArticle(ArticleRequestKind request, std::string_view text, std::size_t pos,
                           bool& last);
  // StartArticle, then the whole text as the raw copy, rendered at once.
  void ShowStoredArticle(std::string text, bool autoSave = true);
  // Renders the current article again from its raw copy (after a toggle).
  // While the article is still arriving this waits for its end (false).
  bool RedisplayArticle();
  bool articleEnded() const { return ended_; }
  // The article as received: dot-stuffing undone, CRLF line ends; a reply
  // from the server ends with one zero byte, which the body store drops.
  const std::string& rawCopy() const { return rawCopy_; }
  TMime& mime() { return mime_; }
  const ArticleHeaders& headers() const { return mime_.headers(); }
  bool headersEnded() const { return articleHeadersDone_; }
  // Lines other than header lines parsed so far: the request's progress.
  std::int64_t progressLines() const { return progressLines_; }

  // --- what the viewer shows
  const std::vector<RenderedLine>& lines() const { return lines_; }
  const HeaderPanel& headerPanel() const { return panel_; }
  // With SkipHeaders: the line to scroll to the top once the article is shown.
  std::optional<std::size_t> ScrollTargetAfterHeaders() const;
  // "Sauter le texte cité": true when the end of the text, or the last
  // signature separator, is visible already (move on), false to page.
  bool SkipQuoteMovesOn(std::size_t lastVisibleLine) const;

  // --- attachments menu
  std::vector<AttachmentEntry> Attachments() const;
  bool HasAttachments() const { return !mime_.producedFiles().empty(); }
  // An entry on disk is opened (dangerous types after asking); one in memory
  // is saved through the save dialog first. False when nothing was done.
  bool RunAttachment(std::size_t index);
  // The decoded bytes of an attachment (an inline picture, say).
  std::string_view AttachmentBytes(std::size_t index) const;

  // --- links
  // Whether the pointer over this byte of that line shows the hand cursor.
  bool IsLinkAt(std::size_t line, std::size_t offset) const;
  // A click on that byte: file lines open or save their file, the "Danger !"
  // box is asked here; what remains for the caller is returned (open URL,
  // fetch a Message-ID, open a group), or None.
  LinkDecision ClickAt(std::size_t line, std::size_t offset, bool onlineGroupView);
  // The same for a word taken from elsewhere (the context menu's items).
  LinkDecision ActivateWord(std::string_view word, bool onlineGroupView);

 private:
  void onMimeEvent(TMime& sender, int code);
  std::size_t parse(ArticleRequestKind request, LineSource source, std::string_view text,
                    std::size_t pos, bool& last);
  void handleLine(LineClass lineClass, std::string& line);
  void handleRawLine(LineClass lineClass, const std::string& line);
  void handleHeaderLine(std::string_view line);
  void endHeaderBlock(bool articleHeaders);
  void endArticleHeaders();
  void handleStructureLine(LineClass lineClass, const std::string& line);
  bool showDecodedText();
  void showBodyLine(std::string_view bytes, std::string_view charset, bool partLine);
  void appendJoined(std::string_view bytes, std::string_view charset);
  void showFinishedFiles();
  void finishArticle();
  bool allHeaders() const;
  bool signatureNow() const { return mime_.signatureSeen() || signatureSeen_; }

  // Emission: a line becomes pending (a soft line end may extend it), then
  // goes through the quote store into lines_.
  void queueLine(RenderedLine line, bool quoted);
  void flushPending();
  void flushAll();
  void addLine(RenderedLine line);
  QuoteLineStore& store() { return *activeStore_; }
  QuoteLineStore& storeForToggles();
  void notifyAdded();

  ViewerSettings settings_;
  ViewToggles toggles_;
  ViewerServices services_;
  PrompterSaveDialog prompterDialog_;
  ViewerObserver* observer_ = nullptr;
  QuoteLineStore* repairStore_ = nullptr;
  PassThroughQuoteStore passThrough_;
  QuoteRepairStore ownRepair_;
  // The store of the article being shown: a toggle changed meanwhile takes
  // effect at the next article, so no held line changes store.
  QuoteLineStore* activeStore_ = &passThrough_;
  TMime mime_;
  // Matching keeps captures in the patterns; asking whether a word is a link
  // changes nothing the viewer shows.
  mutable LinkDetector links_;
  std::vector<std::string> visibleNames_;
  TPerlre quoteRegex_;
  TPerlre separatorRegex_;
  TPerlre sigDashRegex_;
  QuoteMarks quoteMarks_;
  std::string attachmentDirectory_;
  std::vector<std::string> knownDirectories_;

  // The article.
  std::string rawCopy_;
  bool autoSave_ = false;
  bool ended_ = false;
  bool redisplayWanted_ = false;
  ArticleRequestKind request_ = ArticleRequestKind::Stored;
  std::vector<RenderedLine> lines_;
  std::size_t notifiedLines_ = 0;
  HeaderPanel panel_;
  std::int64_t progressLines_ = 0;

  // Rendering state.
  std::vector<std::string> headerBlock_;
  bool lastHeaderCollected_ = false;
  bool articleHeadersDone_ = false;
  bool firstBoundarySeen_ = false;
  TransferEncoding partEncoding_ = TransferEncoding::None;  // of the decoded text
  std::string decodedCharset_;
  bool signatureSeen_ = false;
  bool quotedRun_ = false;
  std::optional<RenderedLine> pending_;
  bool joinNext_ = false;     // a soft line end: the next body line continues pending_
  bool skipJoined_ = false;   // ... or continues a line that was not shown
  bool rotatedLine_ = false;  // the last body line was ROT-13 rotated
  std::vector<std::size_t> finishedFiles_;
  std::optional<std::size_t> firstLineAfterHeaders_;
  std::optional<std::size_t> lastSignatureLine_;
};

}  // namespace orvel
