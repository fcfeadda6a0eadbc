// TArticlesWindow's viewer side: the article viewer pane with the reader
// and the batch of the group, and the commands that act on the shown or
// selected articles (view toggles, marking, decoding).

#include "ui/articles_window.h"

#include <QFile>
#include <QLayout>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

#include "articles/article_date.h"
#include "articles/marking.h"
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
  content_ = std::make_unique<GroupContentOptions>(
      GroupContentOptions::FromSettings(s, view_->Props()));
  mimeTypes_ = SystemMimeTypes();
  headerParser_ = std::make_unique<RecordHeaderParser>(s.timeZoneOffset());
  const MimeEnvironment mime{mimeTypes_.get(), headerParser_.get()};
  articleView_ = std::make_unique<ArticleView>(
      content_->viewer, ViewerServices{prompter_, *launcher_, mime, saveDialog_.get()});
  articleView_->toggles() = content_->toggles;
  articleView_->setAttachmentDirectory(content_->attachmentDir);
  reader_ = std::make_unique<GroupReader>(*view_, *articleView_, prompter_);
  batch_ = std::make_unique<GroupBatch>(*view_, content_->batch, prompter_, frame_.clock(), mime,
                                        launcher_.get());
  batch_->SetFileListener([this](const BatchFileReport& report) { showDecodedPicture(report); });
  viewer_ = new ArticleViewer(*articleView_, ViewerDisplayOptionsFrom(s), viewerPane_);
  viewer_->setObjectName("articleViewer");
  viewerPane_->layout()->addWidget(viewer_);
  viewer_->setMessageIdHandler([this](std::string id) { showMessageId(id); });
  connect(viewer_, &ArticleViewer::endOfArticleReached, this, [this] { goToRow(+1, true); });
  // A row chosen while an article is still arriving is shown after it.
  pendingTimer_ = new QTimer(this);
  pendingTimer_->setInterval(50);
  connect(pendingTimer_, &QTimer::timeout, this, [this] {
    if (!reader_->Busy()) {
      pendingTimer_->stop();
      if (TArticle* a = std::exchange(pending_, nullptr)) showArticle(a);
    }
  });
  wireViewerActions();
}

// ---------------------------------------------------------------- widgets

void TArticlesWindow::showArticle(TArticle* article) {
  if (!reader_) return;
  if (reader_->Busy()) {
    pending_ = article;
    pendingTimer_->start();
    return;
  }
  current_ = article;
  view_->SetCurrentArticle(article);
  reader_->ShowArticle(article);
  if (fullScreen_ && !viewerAlone_) {
    viewerAlone_ = true;
    applyLayout();
  }
}

bool TArticlesWindow::showMessageId(const std::string& messageId) {
  return reader_ && reader_->ShowByMessageId(messageId);
}

std::vector<TArticle*> TArticlesWindow::selectedArticles() const {
  std::vector<TArticle*> out;
  QModelIndexList rows = list_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  auto add = [&out](TArticle* a) {
    if (std::find(out.begin(), out.end(), a) == out.end()) out.push_back(a);
  };
  for (const QModelIndex& i : rows) {
    TNode* node = model_->nodeAt(i);
    if (!node) continue;
    if (TAThread* t = node->AsThread()) {
      for (TArticle* a : t->Articles) add(a);
    } else {
      add(node->AsArticle());
    }
  }
  if (out.empty() && current_) out.push_back(current_);
  return out;
}

void TArticlesWindow::markSelected(bool read) {
  for (TArticle* a : selectedArticles()) MarkRead(*view_, *a, read, true);
}

void TArticlesWindow::markAll(bool read) {
  {
    // One redraw for the whole list rather than one per row.
    const QSignalBlocker block(model_);
    for (TArticle* a : view_->MasterList()) MarkRead(*view_, *a, read, true);
  }
  rowsChanged();
}

void TArticlesWindow::startBatch(BatchOperation operation) {
  const std::vector<TArticle*> articles = selectedArticles();
  if (!articles.empty()) batch_->Start(operation, articles);
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
  a.wireToggle("acvFixWrap", t.fixWrap, [this](bool on) { viewer_->setFixWrap(on); });
  a.wireToggle("acvROT13", t.rot13, [this](bool on) { viewer_->setRot13(on); });
  a.wireToggle("acvFixedFont", t.fixedFont, [this](bool on) { viewer_->setFixedFont(on); });
  a.wire("acvAttachments", [this] { viewer_->showAttachmentsMenu(); });
  a.wire("acvSkipQuote", [this] { viewer_->skipQuote(); });
  a.wire("acaMarkRead", [this] { markSelected(true); });
  a.wire("acaMarkUnread", [this] { markSelected(false); });
  a.wire("acaMarkAllRead", [this] { markAll(true); });
  a.wire("acaMarkAllUnread", [this] { markAll(false); });
  a.wire("acaDecode", [this] { startBatch(BatchOperation::Decode); });
  a.wire("acaSaveAs", [this] { startBatch(BatchOperation::Save); });
  a.wire("acaFetch", [this] { startBatch(BatchOperation::Store); });
}

// ---------------------------------------------------------------- the view's calls

}  // namespace orvel::ui
