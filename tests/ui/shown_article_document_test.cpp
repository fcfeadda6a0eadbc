// Printing and saving the article the viewer shows: a PDF printed offscreen,
// and the bytes each save form writes.

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include "content/mime_types.h"
#include "content/viewer_test_support.h"
#include "core/null_prompter.h"
#include "ui/shown_article_document.h"

using namespace orvel;
using orvel::test::Article;

namespace {

struct Stored {
  explicit Stored(const std::string& article)
      : mimeTypes(SystemMimeTypes()),
        view({}, ViewerServices{prompter, launcher, {mimeTypes.get(), nullptr}}) {
    view.ShowStoredArticle(article, false);
  }
  NullPrompter prompter;
  test::RecordingLauncher launcher;
  std::unique_ptr<FileMimeTypes> mimeTypes;
  ArticleView view;
};

const std::string kPlain = Article({"Subject: Printed subject", "From: a@b.example", "",
                                    "First body line", "", "Last body line"});

const std::string kHtml =
    Article({"Subject: Html", "MIME-Version: 1.0", "Content-Type: multipart/alternative; boundary=b",
             "", "--b", "Content-Type: text/plain", "", "plain words", "--b",
             "Content-Type: text/html", "", "<p>html words</p>", "--b--"});

}  // namespace

class ShownArticleDocumentTest : public QObject {
  Q_OBJECT

 private slots:
  void printsToPdfWithoutAPrinter() {
    Stored s(kPlain);
    const auto document = ui::ShownArticleDocument(s.view, {});
    const QString text = document->toPlainText();
    QVERIFY(text.contains("Subject: Printed subject"));
    QVERIFY(text.contains("Last body line"));

    QTemporaryDir dir;
    const QString path = dir.filePath("article.pdf");
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    document->print(&printer);
    QFile pdf(path);
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QCOMPARE(pdf.read(4), QByteArray("%PDF"));
  }

  void saveForms_data() {
    QTest::addColumn<QString>("article");
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("contained");
    QTest::addColumn<QString>("absent");
    const auto plain = QString::fromStdString(kPlain);
    const auto html = QString::fromStdString(kHtml);
    const int text = int(ShownArticleForm::PlainText);
    const int body = int(ShownArticleForm::HtmlBody);
    QTest::newRow("text keeps the shown headers")
        << plain << text << "Subject: Printed subject\nFrom: a@b.example\n\nFirst body line\n" << "<";
    QTest::newRow("html of a plain article drops the headers")
        << plain << body << "First body line" << "Printed subject";
    QTest::newRow("html of an html article is its part")
        << html << body << "<p>html words</p>" << "plain words";
  }
  void saveForms() {
    QFETCH(QString, article);
    QFETCH(int, form);
    QFETCH(QString, contained);
    QFETCH(QString, absent);
    Stored s(article.toStdString());
    const QString saved = QString::fromUtf8(
        ui::ShownArticleBytes(s.view, {}, static_cast<ShownArticleForm>(form)));
    QVERIFY2(saved.contains(contained), qPrintable(saved));
    QVERIFY2(!saved.contains(absent), qPrintable(saved));
  }

  void richTextIsAnOdfDocument() {
    Stored s(kPlain);
    const QByteArray odf = ui::ShownArticleBytes(s.view, {}, ShownArticleForm::RichText);
    QVERIFY(odf.startsWith("PK"));
    QVERIFY(odf.contains("application/vnd.oasis.opendocument.text"));
  }
};

QTEST_MAIN(ShownArticleDocumentTest)
#include "shown_article_document_test.moc"
