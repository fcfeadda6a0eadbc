#include "ui/shown_article_document.h"

#include <QBuffer>
#include <QTextCursor>
#include <QTextDocumentWriter>
#include <QUrl>

#include "content/article_view.h"
#include "ui/qt_convert.h"
#include "ui/viewer_formats.h"
#include "ui/viewer_pictures.h"

namespace orvel::ui {

std::unique_ptr<QTextDocument> ShownArticleDocument(const ArticleView& view,
                                                    const ViewerDisplayOptions& options,
                                                    std::size_t first) {
  auto document = std::make_unique<QTextDocument>();
  document->setDefaultFont(qtFont(options.viewerFont));
  const ViewerFormats formats(options);
  const std::vector<RenderedLine>& lines = view.lines();
  QTextCursor cursor(document.get());
  for (std::size_t i = first; i < lines.size(); ++i) {
    const RenderedLine& line = lines[i];
    const QTextCharFormat& format = formats.of(line);
    if (i > first) cursor.insertBlock(QTextBlockFormat(), format);
    if (line.kind == LineKind::Picture) {
      const QImage picture = DecodePicture(view.AttachmentBytes(line.fileIndex));
      if (!picture.isNull()) {
        const QString name = QStringLiteral("picture:%1").arg(i);
        document->addResource(QTextDocument::ImageResource, QUrl(name), picture);
        cursor.insertImage(name);
        continue;
      }
    }
    cursor.insertText(qs(line.text), format);
  }
  return document;
}

QByteArray ShownArticleBytes(const ArticleView& view, const ViewerDisplayOptions& options,
                             ShownArticleForm form) {
  switch (form) {
    case ShownArticleForm::PlainText:
      return QByteArray::fromStdString(ShownText(view.lines()));
    case ShownArticleForm::RichText: {
      const std::unique_ptr<QTextDocument> document = ShownArticleDocument(view, options);
      QBuffer buffer;
      QTextDocumentWriter writer(&buffer, "odf");
      return writer.write(document.get()) ? buffer.data() : QByteArray();
    }
    case ShownArticleForm::HtmlBody:
      if (auto html = HtmlPartOf(view.rawCopy())) return QByteArray::fromStdString(*html);
      return ShownArticleDocument(view, options, FirstBodyLine(view.lines()))->toHtml().toUtf8();
  }
  return {};
}

}  // namespace orvel::ui
