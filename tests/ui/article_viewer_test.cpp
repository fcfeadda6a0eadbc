// The article viewer pane over small hand-made articles: the header panel,
// the styles of the lines, the view toggles, the X-Face and inline pictures,
// the attachments menu with its save dialog, link clicks, keyboard paging,
// selection, and lines arriving while an article streams in.

#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QToolButton>
#include <QtTest>

#include "content/mime_types.h"
#include "content/viewer_test_support.h"
#include "core/null_prompter.h"
#include "ui/article_viewer.h"
#include "ui/qt_convert.h"
#include "ui/viewer_header_panel.h"
#include "ui/viewer_pictures.h"
#include "ui/viewer_services.h"
#include "ui_test_support.h"

using namespace orvel;
using orvel::test::Article;
using orvel::ui::ArticleViewer;
using orvel::ui::ViewerDisplayOptions;

namespace {

// A frame, the main diagonal and a filled square (x 10-19, y 30-39).
constexpr const char* kTestFace =
    " \"H?[/{m]*UEq|1`XY7#']YvK|JBKMeET*cqf;:&jI#yl]5a@Z&!G>'\\ai`bI:@&6S_(MKL:\n"
    " fgB\\rpIEiq}}9]EmNy1\\t`A*";

struct Shown {
  explicit Shown(ViewerSettings settings = {}, ViewerDisplayOptions options = {})
      : mimeTypes(SystemMimeTypes()),
        saveDialog(nullptr),
        view(std::move(settings),
             ViewerServices{prompter, launcher, {mimeTypes.get(), nullptr}, &saveDialog}),
        viewer(view, std::move(options)) {
    viewer.resize(640, 480);
    viewer.show();
  }
  void show(const std::string& article) { view.ShowStoredArticle(article, false); }
  QPlainTextEdit& text() { return *viewer.textView(); }
  QTextDocument& document() { return *text().document(); }
  QStringList blocks() {
    QStringList texts;
    for (QTextBlock b = document().begin(); b.isValid(); b = b.next()) texts << b.text();
    return texts;
  }
  QTextCharFormat blockFormat(int number) {
    const QTextBlock block = document().findBlockByNumber(number);
    return block.begin().atEnd() ? block.charFormat() : block.begin().fragment().charFormat();
  }
  int blockOf(const QString& text) { return static_cast<int>(blocks().indexOf(text)); }
  // The middle of that character of that block, in viewport coordinates.
  QPoint pointAt(int block, int position) {
    const QTextBlock b = document().findBlockByNumber(block);
    QTextCursor left(b);
    left.setPosition(b.position() + position);
    QTextCursor right(b);
    right.setPosition(b.position() + position + 1);
    const QRect a = text().cursorRect(left);
    const QRect z = text().cursorRect(right);
    return QPoint((a.left() + z.left()) / 2, a.center().y());
  }

  NullPrompter prompter;
  test::RecordingLauncher launcher;
  std::unique_ptr<FileMimeTypes> mimeTypes;
  ui::QtAttachmentSaveDialog saveDialog;
  ArticleView view;
  ArticleViewer viewer;
};

const std::string kPlain = Article({"Subject: Essai", "From: jean@example.fr",
                                    "Newsgroups: fr.test", "Message-ID: <1@example.fr>", "",
                                    "Bonjour", "> cit\xC3\xA9", "Uryyb jbeyq", "-- ", "Jean"});

std::string pictureArticle(const QByteArray& jpeg) {
  return Article({"Subject: photo", "MIME-Version: 1.0",
                  "Content-Type: multipart/mixed; boundary=\"b\"", "", "--b", "", "Voici:",
                  "--b", "Content-Type: image/jpeg; name=\"photo.jpg\"",
                  "Content-Transfer-Encoding: base64", ""}) +
         test::Base64Lines(std::string_view(jpeg.constData(), static_cast<std::size_t>(jpeg.size()))) +
         Article({"--b--"});
}

QByteArray redJpeg(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(220, 0, 0));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 90);
  return bytes;
}

bool isRedish(QRgb pixel) { return qRed(pixel) > 180 && qGreen(pixel) < 60 && qBlue(pixel) < 60; }

enum class Toggle { Rot13, HideQuoted, Raw, FixedFont };

}  // namespace

Q_DECLARE_METATYPE(Toggle)

class ArticleViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toUtf8()); }

  void headerPanel_data() {
    QTest::addColumn<QString>("visible");
    QTest::addColumn<bool>("allHeaders");
    QTest::addColumn<bool>("noHeadersInSplit");
    QTest::addColumn<QString>("panel");
    QTest::newRow("setting order, not article order")
        << "From,Subject" << false << false << "From: jean@example.fr\nSubject: Essai";
    QTest::newRow("all headers in article order")
        << "From" << true << false
        << "Subject: Essai\nFrom: jean@example.fr\nNewsgroups: fr.test\nMessage-ID: <1@example.fr>";
    QTest::newRow("none in split screen") << "From,Subject" << false << true << "";
  }
  void headerPanel() {
    QFETCH(QString, visible);
    QFETCH(bool, allHeaders);
    QFETCH(bool, noHeadersInSplit);
    QFETCH(QString, panel);
    ViewerSettings settings;
    settings.visibleHeaders = visible.toStdString();
    settings.noHeadersInSplitScreen = noHeadersInSplit;
    Shown s(settings);
    s.viewer.setShowAllHeaders(allHeaders);
    s.show(kPlain);
    QCOMPARE(s.viewer.headerPanel()->text(), panel);
    QCOMPARE(s.viewer.headerPanel()->isVisible(), !panel.isEmpty());
    // The text begins with the body: the headers are in the panel only.
    QCOMPARE(s.blocks().value(0), QString("Bonjour"));
  }

  void stylesAndQuoteColoursByDepth() {
    ViewerDisplayOptions options;
    options.quoteColors = {Rgb(1, 0, 0), Rgb(2, 0, 0), Rgb(3, 0, 0),
                           Rgb(4, 0, 0), Rgb(5, 0, 0), Rgb(6, 0, 0)};
    options.viewerFont.color = Rgb(0, 0, 9);
    options.signatureColor = Rgb(0, 9, 0);
    Shown s({}, options);
    s.show(Article({"Subject: q", "", "corps", "> a", ">> b", ">>> c", ">>>> d", ">>>>> e",
                    ">>>>>> f", ">>>>>>> g", ">>>>>>>> h", "-- ", "sig"}));
    QCOMPARE(s.blockFormat(0).foreground().color(), ui::qtColor(Rgb(0, 0, 9)));
    for (int depth = 0; depth < 8; ++depth) {
      const QColor expected = ui::qtColor(options.quoteColors[std::size_t(depth % 6)]);
      QCOMPARE(s.blockFormat(1 + depth).foreground().color(), expected);
    }
    QCOMPARE(s.blockFormat(s.blockOf("sig")).foreground().color(), ui::qtColor(Rgb(0, 9, 0)));
  }

  void togglesRenderAgain_data() {
    QTest::addColumn<Toggle>("toggle");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("countAfter");
    QTest::newRow("rot13") << Toggle::Rot13 << "Uryyb jbeyq" << "Hello world" << 1;
    QTest::newRow("hidden quotes collapse") << Toggle::HideQuoted << "> un" << "> [...]" << 1;
    QTest::newRow("raw shows the headers") << Toggle::Raw << "Bonjour" << "Subject: Essai" << 1;
    QTest::newRow("fixed font keeps the text") << Toggle::FixedFont << "Bonjour" << "Bonjour" << 1;
  }
  void togglesRenderAgain() {
    QFETCH(Toggle, toggle);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, countAfter);
    Shown s;
    s.show(Article({"Subject: Essai", "", "Bonjour", "Uryyb jbeyq", "> un", "> deux", "> trois",
                    "> quatre", "> cinq", "fin"}));
    const QStringList first = s.blocks();
    QVERIFY(first.contains(before));
    switch (toggle) {
      case Toggle::Rot13: s.viewer.setRot13(true); break;
      case Toggle::HideQuoted: s.viewer.setShowQuoted(false); break;
      case Toggle::Raw: s.viewer.setRaw(true); break;
      case Toggle::FixedFont: s.viewer.setFixedFont(true); break;
    }
    QCOMPARE(s.blocks().count(after), countAfter);
    if (toggle == Toggle::HideQuoted) {
      QVERIFY(!s.blocks().contains("> deux"));
      QCOMPARE(s.blocks().last(), QString("fin"));
    }
    if (toggle == Toggle::FixedFont) {
      QCOMPARE(s.blockFormat(s.blockOf("Bonjour")).font().family(),
               ui::qtFont(s.viewer.displayOptions().fixedFont).family());
    }
    // Back to the start: the first rendering again.
    switch (toggle) {
      case Toggle::Rot13: s.viewer.setRot13(false); break;
      case Toggle::HideQuoted: s.viewer.setShowQuoted(true); break;
      case Toggle::Raw: s.viewer.setRaw(false); break;
      case Toggle::FixedFont: s.viewer.setFixedFont(false); break;
    }
    QCOMPARE(s.blocks(), first);
  }

  void xFacePicture() {
    Shown s;
    s.show(Article({"Subject: visage", std::string("X-Face: ") + kTestFace, "", "Bonjour"}));
    auto* face = s.viewer.findChild<QLabel*>("xFace");
    QVERIFY(face && face->isVisible());
    const QImage shown = face->grab().toImage();
    QCOMPARE(shown.size(), QSize(48, 48));
    struct Probe {
      int x, y;
      bool black;
    };
    for (const Probe& p : {Probe{15, 35, true}, Probe{30, 10, false}, Probe{5, 5, true},
                           Probe{6, 5, false}, Probe{0, 20, true}, Probe{47, 47, true}}) {
      QCOMPARE(qGray(shown.pixel(p.x, p.y)) < 128, p.black);
    }
    test::saveScreen(&s.viewer, "article_viewer_xface");
    // The next article without a face clears it.
    s.show(kPlain);
    QVERIFY(!face->isVisible());
  }

  void inlinePicture_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("scaledDown");
    QTest::newRow("wider than the pane") << QSize(1600, 200) << true;
    QTest::newRow("small, never scaled up") << QSize(40, 20) << false;
  }
  void inlinePicture() {
    QFETCH(QSize, picture);
    QFETCH(bool, scaledDown);
    Shown s;
    s.show(pictureArticle(redJpeg(picture.width(), picture.height())));
    QCOMPARE(s.viewer.pictures().count(), 1);
    const QSize shown = s.viewer.pictures().shownSize(0);
    const int paneWidth = s.text().viewport()->width();
    if (scaledDown) {
      QVERIFY2(shown.width() < paneWidth && shown.width() > paneWidth / 2,
               qPrintable(QString("%1 in %2").arg(shown.width()).arg(paneWidth)));
      QCOMPARE(shown.height(), picture.height() * shown.width() / picture.width());
    } else {
      QCOMPARE(shown, picture);
    }
    // Narrowing the pane shrinks a wide picture with it.
    if (scaledDown) {
      s.viewer.resize(400, 480);
      QTest::qWait(20);
      QVERIFY(s.viewer.pictures().shownSize(0).width() < shown.width());
    }
    // The picture is drawn: red pixels in the text area.
    const QImage screen = s.text().viewport()->grab().toImage();
    int red = 0;
    for (int y = 0; y < screen.height(); y += 2) {
      for (int x = 0; x < screen.width(); x += 2) red += isRedish(screen.pixel(x, y)) ? 1 : 0;
    }
    QVERIFY2(red > 50, qPrintable(QString::number(red)));
    test::saveScreen(&s.viewer, QString("article_viewer_picture_%1").arg(picture.width()));
  }

  void attachmentSavedThroughTheDialog() {
    QTemporaryDir dir;
    const std::string bytes("\x00\x01 binaire \xFF\xFE", 13);
    Shown s;
    QSignalSpy available(&s.viewer, &ArticleViewer::attachmentsAvailable);
    s.show(Article({"Subject: fichier", "MIME-Version: 1.0",
                    "Content-Type: multipart/mixed; boundary=\"b\"", "", "--b", "", "Le voici",
                    "--b", "Content-Type: application/octet-stream; name=\"data.bin\"",
                    "Content-Transfer-Encoding: base64", ""}) +
           test::Base64Lines(bytes) + Article({"--b--"}));
    QVERIFY(!available.isEmpty() && available.last().at(0).toBool());
    QVERIFY(s.viewer.findChild<QToolButton*>("attachmentsButton")->isVisible());
    QList<QAction*> entries = s.viewer.attachmentsMenu()->actions();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries[0]->text(), QString("data.bin"));
    QVERIFY(!entries[0]->isChecked());

    const QString target = dir.path() + "/sauve.bin";
    test::ModalScript script;
    script.then([&](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      QVERIFY2(dialog, "a file dialog was expected");
      QCOMPARE(dialog->windowTitle(), QString("Sauver         "));
      // What a person types in the name box.
      auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
      QVERIFY(name);
      name->setText(target);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own accept is protected
    });
    entries[0]->trigger();
    QVERIFY(script.done());
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join(", ")));
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    // The entry now names the file on disk, ticked.
    entries = s.viewer.attachmentsMenu()->actions();
    QCOMPARE(entries[0]->text(), target);
    QVERIFY(entries[0]->isChecked());
  }

  void linkClicks_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("online");
    QTest::addColumn<QString>("messageId");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("url");
    QTest::newRow("Message-ID") << "<abc@example.fr>" << true << "<abc@example.fr>" << "" << "";
    QTest::newRow("news Message-ID") << "news:abc@example.fr" << true << "<abc@example.fr>" << ""
                                     << "";
    QTest::newRow("web page") << "http://example.com/page" << true << "" << ""
                              << "http://example.com/page";
    QTest::newRow("newsgroup") << "news:fr.test" << true << "" << "fr.test" << "";
    QTest::newRow("offline Message-ID goes to the archive")
        << "<abc@example.fr>" << false << "" << ""
        << "https://www.google.com/search?q=%3Cabc@example.fr%3E";
    QTest::newRow("address in parentheses") << "(jean@example.fr)" << true << "" << ""
                                            << "mailto:jean@example.fr";
  }
  void linkClicks() {
    QFETCH(QString, word);
    QFETCH(bool, online);
    QFETCH(QString, messageId);
    QFETCH(QString, group);
    QFETCH(QString, url);
    Shown s;
    QString gotId, gotGroup, gotUrl;
    s.viewer.setOnlineGroupView(online);
    s.viewer.setMessageIdHandler([&](std::string id) { gotId = ui::qs(id); });
    s.viewer.setGroupHandler([&](std::string g, std::string) { gotGroup = ui::qs(g); });
    s.viewer.setUrlOpener([&](const QUrl& u) {
      gotUrl = u.toString(QUrl::FullyEncoded);
      return true;
    });
    s.show(Article({"Subject: liens", "", "Voir " + word.toStdString() + " ici", "rien"}));
    QVERIFY(QTest::qWaitForWindowExposed(&s.viewer));
    const int block = s.blockOf("Voir " + word + " ici");
    QVERIFY(block >= 0);
    QWidget* viewport = s.text().viewport();
    // The pointer shows the hand over the link, not over plain words.
    QTest::mouseMove(viewport, s.pointAt(block, 1));
    QCOMPARE(viewport->cursor().shape(), Qt::IBeamCursor);
    const QPoint onLink = s.pointAt(block, 5 + static_cast<int>(word.size()) / 2);
    QTest::mouseMove(viewport, onLink);
    QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, onLink);
    QVERIFY(test::waitFor([&] { return !(gotId + gotGroup + gotUrl).isEmpty(); }, 2000));
    QCOMPARE(gotId, messageId);
    QCOMPARE(gotGroup, group);
    QCOMPARE(gotUrl, url);
  }

  void spacePagesThenMovesOn() {
    Shown s;
    std::string text = Article({"Subject: long", ""});
    for (int i = 0; i < 300; ++i) text += "ligne " + std::to_string(i) + "\r\n";
    s.show(text);
    QSignalSpy moveOn(&s.viewer, &ArticleViewer::endOfArticleReached);
    QScrollBar* bar = s.text().verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    QTest::keyClick(&s.text(), Qt::Key_Space);
    QVERIFY(bar->value() > 0);
    QCOMPARE(moveOn.count(), 0);
    int presses = 1;
    while (moveOn.isEmpty() && presses < 100) {
      QTest::keyClick(&s.text(), Qt::Key_Space);
      ++presses;
    }
    QCOMPARE(moveOn.count(), 1);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(presses > 3);
    // A short article moves on at the first press.
    s.show(kPlain);
    QTest::keyClick(&s.text(), Qt::Key_Space);
    QCOMPARE(moveOn.count(), 2);
  }

  void skipQuoteMovesOnOnceTheSignatureShows() {
    Shown s;
    std::string text = Article({"Subject: long", ""});
    for (int i = 0; i < 100; ++i) text += "> ligne " + std::to_string(i) + "\r\n";
    text += "-- \r\n";
    for (int i = 0; i < 60; ++i) text += "signature " + std::to_string(i) + "\r\n";
    s.show(text);
    QSignalSpy moveOn(&s.viewer, &ArticleViewer::endOfArticleReached);
    QScrollBar* bar = s.text().verticalScrollBar();
    int presses = 0;
    while (moveOn.isEmpty() && presses < 100) {
      s.viewer.skipQuote();
      ++presses;
    }
    QCOMPARE(moveOn.count(), 1);
    QVERIFY(presses > 1);
    // The separator is on screen; the rest of the signature is not read.
    const int separator = s.blockOf("-- ");
    QVERIFY(s.text().cursorForPosition(QPoint(0, 0)).blockNumber() <= separator);
    QVERIFY(bar->value() < bar->maximum());
  }

  void selectionIsCopied() {
    Shown s;
    s.show(kPlain);
    s.viewer.selectAll();
    QVERIFY(s.viewer.selectedText().startsWith("Bonjour\n> cit\u00e9\nUryyb jbeyq\n"));
    s.viewer.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), s.viewer.selectedText());
  }

  void streamedArticleIsOnlyAppended() {
    std::string body;
    for (int i = 0; i < 200; ++i) body += (i % 7 == 0 ? "> cite " : "texte ") + std::to_string(i) + "\r\n";
    // A server's article has its Message-ID and Newsgroups before the blank line.
    const std::string article = Article({"Subject: flux", "From: a@b.fr", "Newsgroups: fr.test",
                                         "Message-ID: <2@b.fr>", ""}) + body;
    Shown whole;
    whole.show(article);

    Shown s;
    s.view.StartArticle(true, false);
    int removed = 0;
    connect(&s.document(), &QTextDocument::contentsChange, this,
            [&](int, int charsRemoved, int) { removed += charsRemoved; });
    const std::string reply = article + ".\r\n";
    std::string buffer;
    bool last = false;
    int blocksSeen = 0;
    constexpr std::size_t kBlock = 61;
    for (std::size_t offset = 0; offset < reply.size() && !last; offset += kBlock) {
      buffer.append(reply, offset, kBlock);
      buffer.erase(0, s.view.ParseArticle(ArticleRequestKind::Article, buffer, 0, last));
      QVERIFY(s.document().blockCount() >= blocksSeen);
      blocksSeen = s.document().blockCount();
    }
    QVERIFY(last);
    QCOMPARE(removed, 0);
    QCOMPARE(s.blocks(), whole.blocks());
    QCOMPARE(s.viewer.headerPanel()->text(), whole.viewer.headerPanel()->text());
  }

  void fittedPictureSizes() {
    struct Row {
      QSize picture;
      int width;
      QSize shown;
    };
    for (const Row& r : {Row{{800, 600}, 400, {400, 300}}, Row{{100, 50}, 400, {100, 50}},
                         Row{{400, 10}, 400, {400, 10}}, Row{{4000, 1}, 400, {400, 1}},
                         Row{{800, 600}, 0, {800, 600}}}) {
      QCOMPARE(ui::FittedPictureSize(r.picture, r.width), r.shown);
    }
  }
};

QTEST_MAIN(ArticleViewerTest)
#include "article_viewer_test.moc"
