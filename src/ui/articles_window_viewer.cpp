// TArticlesWindow's viewer side: the article viewer pane, the session's
// reader and batch over it, and the viewer's own commands.

#include "ui/articles_window.h"

#include <QAction>
#include <QFile>
#include <QLayout>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTreeView>

#include <algorithm>

#include "articles/article_date.h"
#include "articles/header_utils.h"
#include "content/article_view.h"
#include "content/group_batch.h"
#include "content/group_content_options.h"
#include "content/group_reader.h"
#include "content/mime_types.h"
#include "ui/article_list_model.h"
#include "ui/article_viewer.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui/picture_window.h"
#include "ui/viewer_options.h"
#include "ui/viewer_services.h"

namespace orvel::ui {

namespace {

// How the viewer reads From and Date headers: as the overview parser does,
// so a record updated from a fetched article keeps its author and date form.
class RecordHeaderParser final : public HeaderValueParser {
 public:
  explicit RecordHeaderParser(int tz) : shift_(ZoneOffsetDays(tz)) {}
  void splitAddress(std::string_view text, std::string& name,
                    std::string& address) const override {
    FromParts parts = ParseFrom(text);
    name = std::move(parts.name);
    address = std::move(parts.address);
  }
  double articleDate(std::string_view text) const override {
    const DateTime date = ParseArticleDate(text);
    return date != 0 ? date + shift_ : 0;
  }

 private:
  DateTime shift_;
};

}  // namespace

void TArticlesWindow::buildViewer() {
  const Settings& s = frame_.state().settings;
  TGroupView& view = groupView();
  content_ = std::make_unique<GroupContentOptions>(
      GroupContentOptions::FromSettings(s, view.Props()));
  mimeTypes_ = SystemMimeTypes();
  headerParser_ = std::make_unique<RecordHeaderParser>(s.timeZoneOffset());
  const MimeEnvironment mime{mimeTypes_.get(), headerParser_.get()};
  articleView_ = std::make_unique<ArticleView>(
      content_->viewer, ViewerServices{prompter_, *launcher_, mime, saveDialog_.get()});
  articleView_->toggles() = content_->toggles;
  articleView_->setAttachmentDirectory(content_->attachmentDir);
  session_->AttachContent(
      SessionContent{*articleView_, content_->batch, mime, launcher_.get()});
  batch()->SetFileListener([this](const BatchFileReport& report) { showDecodedPicture(report); });
  viewer_ = new ArticleViewer(*articleView_, ViewerDisplayOptionsFrom(s), viewerPane_);
  viewer_->setObjectName("articleViewer");
  viewerPane_->layout()->addWidget(viewer_);
  viewer_->setMessageIdHandler([this](std::string id) { showMessageId(id); });
  viewer_->textView()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(viewer_->textView(), &QWidget::customContextMenuRequested, this,
          &TArticlesWindow::showViewerMenu);
  connect(viewer_, &ArticleViewer::endOfArticleReached, this, [this] { execute("acaNextUnread"); });
  wireViewerActions();
}

bool TArticlesWindow::showMessageId(const std::string& messageId) {
  return reader() && reader()->ShowByMessageId(messageId);
}

// A picture the decode finished opens in a window of its own, so a
// multi-part picture is seen as soon as its last part is in.
void TArticlesWindow::showDecodedPicture(const BatchFileReport& report) {
  if (!report.opensAfterDecode()) return;
  if (PictureWindow* picture = PictureWindow::open(QFile::decodeName(QByteArray::fromStdString(report.path)))) {
    frame_.addChild(picture, QRect());
  }
}

void TArticlesWindow::wireViewerActions() {
  ActionSet& a = *actions_;
  const ViewToggles& t = articleView_->toggles();
  a.wireToggle("acvRaw", t.raw, [this](bool on) { viewer_->setRaw(on); });
  a.wireToggle("acvShowAllHeaders", t.showAllHeaders,
               [this](bool on) { viewer_->setShowAllHeaders(on); });
  a.wireToggle("acvQuoted", t.quoted, [this](bool on) { viewer_->setShowQuoted(on); });
  QAction* fixWrap =
      a.wireToggle("acvFixWrap", t.fixWrap, [this](bool on) { viewer_->setFixWrap(on); });
  a.wireToggle("acvUniformQuote", t.uniformQuote,
               [this](bool on) { viewer_->setUniformQuote(on); });
  a.wireToggle("acvROT13", t.rot13, [this](bool on) { viewer_->setRot13(on); });
  a.wireToggle("acvFixedFont", t.fixedFont, [this](bool on) { viewer_->setFixedFont(on); });
  // Wrapping is a display setting: the next viewers open the same way.
  a.wireToggle("acvWordWrap", frame_.state().settings.viewerWordWrap, [this](bool on) {
    frame_.state().settings.viewerWordWrap = on;
    viewer_->setWordWrap(on);
  });
  a.wire("acvAttachments", [this] { viewer_->showAttachmentsMenu(); });
  a.wire("acvSkipQuote", [this] { viewer_->skipQuote(); });
  // The repair that acts on one article at a time unticks itself.
  if (fixWrap == nullptr) return;
  connect(viewer_, &ArticleViewer::viewTogglesChanged, fixWrap, [this, fixWrap] {
    const QSignalBlocker quiet(fixWrap);
    fixWrap->setChecked(viewer_->toggles().fixWrap);
  });
}

}  // namespace orvel::ui
