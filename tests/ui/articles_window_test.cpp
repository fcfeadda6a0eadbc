// The group view window against the fixture news server: the stop command
// on a stalled download, TfmXOVER's limit and the statistics window, the
// storage options kept across a reopening, the layout switches, and the
// group list closing its group views; decoded pictures in their windows,
// and no window for a picture that failed its CRC check.

#include <QBuffer>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QGroupBox>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTreeView>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include "articles_window_fixture.h"
#include "content/yenc_test_encoder.h"
#include "content/content_test_support.h"
#include "content/nzb.h"
#include "ui/article_list_model.h"
#include "ui/cache_form.h"
#include "ui/picture_window.h"
#include "ui/xover_form.h"

using namespace orvel;
using orvel::test::ArticlesWindowFixture;
using orvel::test::ModalScript;

namespace {

// The expiry days recorded in a header file (offset 12).
std::int32_t storedExpiryDays(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char bytes[16] = {};
  in.read(bytes, sizeof bytes);
  if (!in) return -1;
  return static_cast<std::int32_t>(static_cast<std::uint8_t>(bytes[12]) |
                                   static_cast<std::uint8_t>(bytes[13]) << 8 |
                                   static_cast<std::uint8_t>(bytes[14]) << 16 |
                                   static_cast<std::uint8_t>(bytes[15]) << 24);
}

// The group of a corpus open in its window, every article of it queued for
// decoding into out; nothing when the window does not come up.
std::unique_ptr<ArticlesWindowFixture> decodeWholeGroup(const QString& corpus,
                                                        const std::string& group,
                                                        const QString& out) {
  auto fx = std::make_unique<ArticlesWindowFixture>(
      QStringList{"--corpus", corpus}, group + ":\r\n",
      [&](MainState& s) { s.settings.decodeDir = out.toStdString() + "/"; });
  if (!fx->ready()) return nullptr;
  ui::TArticlesWindow* window = fx->open(group);
  if (!window || !ArticlesWindowFixture::downloaded(window)) return nullptr;
  window->action("acaSelectAll")->trigger();
  window->action("acaDecode")->trigger();
  return fx;
}

void closeWindow(ui::TArticlesWindow* window) {
  auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget());
  QVERIFY(sub);
  QVERIFY(sub->close());
}

}  // namespace

class ArticlesWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void escapeStopsAStalledDownload() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    ArticlesWindowFixture fx({"--generate", "alt.g:3000", "--fault",
                              "cmd=XOVER once stall 60 after=2000"},
                             "alt.g:\r\n");
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open("alt.g");
    QVERIFY(window);
    QVERIFY(test::waitFor([&] { return window->progressText().contains("XOVER"); }));
    QVERIFY(window->action("stop")->isEnabled());
    QVERIFY2(window->progressText().startsWith("1. fx XOVER"), qPrintable(window->progressText()));
    test::saveScreen(window, "articles-stalled");

    ModalScript script;
    script.then(ModalScript::press(QMessageBox::Yes, "Tuer la connexion 1?"));
    window->list().setFocus();
    QTest::keyClick(&window->list(), Qt::Key_Escape);
    QVERIFY(test::waitFor([&] { return script.done(); }));
    QVERIFY(!window->groupView().Slots().AnyTaken());
    QVERIFY(!window->action("stop")->isEnabled());
    // A stop is not a failure: nothing resumes.
    QTest::qWait(1500);
    QVERIFY(!window->groupView().Slots().AnyTaken());
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
  }

  void theDownloadDialogsLimitIsHonouredAndStatisticsShow() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    ArticlesWindowFixture fx({"--generate", "alt.g:500"}, "alt.g:\r\n",
                             [](MainState& s) { s.settings.promptThreshold = 100; });
    QVERIFY(fx.ready());
    ModalScript script;
    QString estimate;
    script.then([&](QWidget* w) {
      auto* form = qobject_cast<ui::XoverForm*>(w);
      QVERIFY2(form, "the download dialog was expected");
      QCOMPARE(form->startField().value(), 1);
      QCOMPARE(form->endField().value(), 500);
      form->limitBox().setChecked(true);
      form->limitField().setValue(40);
      estimate = form->estimateText();
      form->accept();
    });
    ui::TArticlesWindow* window = fx.open("alt.g");
    QVERIFY(window);
    QVERIFY(ArticlesWindowFixture::downloaded(window));
    QCOMPARE(estimate, QString("Soit: 40"));
    QCOMPARE(window->groupView().MasterList().size(), std::size_t(40));
    QCOMPARE(window->groupView().MasterList().back()->Number, 40);

    bool actionsHidden = false;
    script.then([&](QWidget* w) {
      auto* form = qobject_cast<ui::XoverForm*>(w);
      QVERIFY2(form, "the statistics window was expected");
      QCOMPARE(form->windowTitle(), QString("Statistics"));
      actionsHidden = !form->findChildren<QRadioButton*>().first()->isVisibleTo(form);
      test::saveScreen(form, "articles-statistics");
      form->accept();
    });
    window->action("acvStatsForm")->trigger();
    QVERIFY(script.done());
    QVERIFY(actionsHidden);
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
  }

  void storageOptionsAreKeptForTheNextOpening() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    ArticlesWindowFixture fx;
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open("alt.t");
    QVERIFY(window);
    QVERIFY(ArticlesWindowFixture::downloaded(window));
    QCOMPARE(window->groupView().Storage(), kStoreHeaders);
    QCOMPARE(window->groupView().ExpiryDays(), 7);

    ModalScript script;
    script.then([](QWidget* w) {
      auto* form = qobject_cast<ui::TfmCache*>(w);
      QVERIFY2(form, "the storage options were expected");
      QCOMPARE(form->windowTitle(), QString("Options de stockage"));
      QCOMPARE(form->choice(), kStoreHeaders);
      QCOMPARE(form->expiryDays(), 7);
      test::saveScreen(form, "articles-storage");
      form->setChoice(kStoreHeadersAndBodies);
      form->setExpiryDays(30);
      form->accept();
    });
    window->action("acaStorage")->trigger();
    QVERIFY(script.done());
    closeWindow(window);
    const std::string hdr = fx.base.path() + "data/[fx] alt.t.hdr";
    QCOMPARE(storedExpiryDays(hdr), 30);

    window = fx.open("alt.t");
    QVERIFY(window);
    QVERIFY(ArticlesWindowFixture::downloaded(window));
    QCOMPARE(window->groupView().Storage(), kStoreHeadersAndBodies);
    QCOMPARE(window->groupView().ExpiryDays(), 30);

    // "Purger quand expiré sur le serveur" and nothing stored.
    script.then([](QWidget* w) {
      auto* form = qobject_cast<ui::TfmCache*>(w);
      QVERIFY(form);
      QCOMPARE(form->choice(), kStoreHeadersAndBodies);
      QCOMPARE(form->expiryDays(), 30);
      form->setExpiryDays(0);
      form->setChoice(kStoreNothing);
      form->accept();
    });
    window->action("acaStorage")->trigger();
    QVERIFY(script.done());
    closeWindow(window);
    QVERIFY(!std::filesystem::exists(hdr));

    // The choice goes to the newsrc's companion file with the group.
    fx.frame->close();
    QVERIFY2(QString::fromStdString(fx.base.read("fx.Orvelrc")).contains("~alt.t"),
             fx.base.read("fx.Orvelrc").c_str());
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join('\n')));
  }

  void decodedPicturesOpenInTheirOwnWindows() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    QTemporaryDir demo;
    QTemporaryDir out;
    QVERIFY(test::writeDemoCorpus(demo.path()));
    const auto fx = decodeWholeGroup(demo.path(), "alt.binaries.pictures.demo", out.path());
    QVERIFY(fx);
    auto pictures = [&fx] {
      QMap<QString, ui::PictureWindow*> byName;
      for (auto* p : fx->frame->findChildren<ui::PictureWindow*>()) byName[p->windowTitle()] = p;
      return byName;
    };
    QVERIFY(test::waitFor([&] { return pictures().size() == 3; }, 15000));
    const auto shown = pictures();
    QCOMPARE(shown.keys(), (QStringList{"couchant.jpg", "matin.jpg", "phare.jpg"}));
    // The four-part picture is whole: its last rows are the sea, not grey.
    const QImage phare = shown["phare.jpg"]->image();
    QCOMPARE(phare.size(), QSize(640, 480));
    const QColor sea = phare.pixelColor(10, 470);
    QVERIFY2(sea.blue() > sea.red() + 20, qPrintable(sea.name()));
    QVERIFY(!shown["phare.jpg"]->shown().isNull());
    test::saveScreen(fx->frame.get(), "articles-decoded-picture");
    QVERIFY(QFile::exists(out.path() + "/phare.jpg"));
  }

  void pictureThatFailsItsCheckOpensNoWindow() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    QTemporaryDir corpus;
    QTemporaryDir out;
    const std::string group = "alt.binaries.checks";
    QVERIFY(QDir().mkpath(corpus.path() + "/" + QString::fromStdString(group)));
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "JPG"));
    const std::string bytes = jpeg.toStdString();
    const struct {
      int number;
      const char* name;
      const char* crc;
    } posts[] = {{1, "sound.jpg", ""}, {2, "failed.jpg", "deadbeef"}};
    for (const auto& post : posts) {
      const std::string article = test::YEncArticle(post.name, bytes, 0, 0, true, post.crc);
      QFile file(corpus.path() + "/" + QString::fromStdString(group) + "/" +
                 QString::number(post.number));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(QByteArray::fromStdString(
          "From: P <p@example.invalid>\nNewsgroups: " + group + "\nSubject: " + post.name +
          "\nDate: Mon, 05 Jan 2026 10:00:0" + std::to_string(post.number) +
          " +0000\nMessage-ID: <" + std::to_string(post.number) + "@c.invalid>\n\n" +
          article.substr(article.find("\r\n\r\n") + 4)));
    }
    const auto fx = decodeWholeGroup(corpus.path(), group, out.path());
    QVERIFY(fx);
    QVERIFY(test::waitFor(
        [&] { return QFile::exists(out.path() + "/failed.jpg__yEnc_CRCerror.txt"); }, 15000));
    QStringList shown;
    for (auto* p : fx->frame->findChildren<ui::PictureWindow*>()) shown << p->windowTitle();
    QCOMPARE(shown, QStringList{"sound.jpg"});
  }

  // The demo pictures selected and exported: the four-part yEnc picture
  // makes an NZB that reads back, its segments in part order.
  void selectedBinariesExportAsNzb() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    QTemporaryDir demo;
    QTemporaryDir out;
    QVERIFY(test::writeDemoCorpus(demo.path()));
    const std::string group = "alt.binaries.pictures.demo";
    ArticlesWindowFixture fx({"--corpus", demo.path()}, group + ":\r\n");
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open(group);
    QVERIFY(window && ArticlesWindowFixture::downloaded(window));
    window->action("acaSelectAll")->trigger();
    const QString target = out.path() + "/demo.nzb";
    test::ModalScript script;
    script.then([&](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      QVERIFY2(dialog, "a file dialog was expected");
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(target);
      static_cast<QDialog*>(dialog)->accept();
    });
    window->action("acaExportNzb")->trigger();
    QVERIFY(script.done());
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join(", ")));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const NzbParse parse = ParseNzb(file.readAll().toStdString());
    QVERIFY2(parse.ok(), parse.error.c_str());
    QStringList files;
    for (const NzbFile& f : parse.document.files) {
      QStringList numbers;
      for (const NzbSegment& s : f.segments) numbers << QString::number(s.number);
      files << QString::fromStdString(f.subject) + " [" + numbers.join(',') + "]";
      QCOMPARE(f.groups, std::vector<std::string>{group});
    }
    // The other pictures are posts without part numbers: no binary posts.
    QCOMPARE(files, QStringList{"Lighthouse at dusk - \"phare.jpg\" yEnc (1/4) [1,2,3,4]"});
  }

  // An NZB of a four-part yEnc post and its PAR2 files imported into the
  // group view: the part the server lacks is rebuilt by par2, and the
  // summary says so.
  void importedNzbDecodesAndRepairs() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    if (!QFile::exists("/usr/bin/uuenview") || !QFile::exists("/usr/bin/par2")) QSKIP("uudeview or par2 missing");
    QTemporaryDir work;
    QTemporaryDir out;
    const std::string dir = work.path().toStdString();
    const std::string original = test::RandomBytes(200000, 5);
    QFile data(work.path() + "/n.bin");
    QVERIFY(data.open(QIODevice::WriteOnly));
    data.write(original.data(), static_cast<qint64>(original.size()));
    data.close();
    const std::string make = "cd '" + dir +
                             "' && uuenview -y -400 -od . n.bin >/dev/null 2>&1 && "
                             "par2 create -q -q -s10000 -r30 -n1 n.par2 n.bin >/dev/null 2>&1 && "
                             "mkdir enc && cd enc && uuenview -y -od . ../n.par2 ../n.vol0*.par2 >/dev/null 2>&1";
    QVERIFY(std::system(make.c_str()) == 0);
    QStringList bodies = QDir(work.path()).entryList({"n.0*"}, QDir::Files, QDir::Name);
    QCOMPARE(bodies.size(), 4);
    const QStringList par2Bodies = QDir(work.path() + "/enc").entryList(QDir::Files, QDir::Name);
    QCOMPARE(par2Bodies.size(), 2);
    const std::string group = "alt.binaries.nzbimport";
    QVERIFY(QDir().mkpath(work.path() + "/corpus/" + QString::fromStdString(group)));
    NzbDocument document;
    int number = 0;
    const auto post = [&](const QString& body, const std::string& subject, int part) {
      ++number;
      const std::string id = "<n" + std::to_string(number) + "@nzb.invalid>";
      NzbFile* file = part == 1 ? &document.files.emplace_back() : &document.files.back();
      if (part == 1) {
        file->subject = subject;
        file->groups = {group};
      }
      file->segments.push_back({part, 1000, id});
      if (number == 3) return;  // the server never had part 3
      QFile in(body);
      QVERIFY(in.open(QIODevice::ReadOnly));
      QFile article(work.path() + "/corpus/" + QString::fromStdString(group) + "/" + QString::number(number));
      QVERIFY(article.open(QIODevice::WriteOnly));
      article.write(QByteArray::fromStdString("From: P <p@example.invalid>\nNewsgroups: " + group + "\nSubject: " +
                                              subject + "\nDate: Mon, 05 Jan 2026 10:00:00 +0000\nMessage-ID: " +
                                              id + "\n\n") +
                    in.readAll());
    };
    for (int k = 0; k < 4; ++k) {
      post(work.path() + "/" + bodies[k], "\"n.bin\" yEnc (" + std::to_string(k + 1) + "/4)", k + 1);
    }
    for (const QString& body : par2Bodies) post(work.path() + "/enc/" + body, body.toStdString(), 1);
    const QString nzb = work.path() + "/n.nzb";
    QFile nzbFile(nzb);
    QVERIFY(nzbFile.open(QIODevice::WriteOnly));
    nzbFile.write(QByteArray::fromStdString(WriteNzb(document)));
    nzbFile.close();

    ArticlesWindowFixture fx({"--corpus", work.path() + "/corpus"}, group + ":\r\n",
                             [&](MainState& st) { st.settings.decodeDir = out.path().toStdString() + "/"; });
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open(group);
    QVERIFY(window && ArticlesWindowFixture::downloaded(window));
    QString summary;
    test::ModalScript script;
    script.then([&](QWidget* w) {
      auto* dialog = qobject_cast<QFileDialog*>(w);
      QVERIFY2(dialog, "a file dialog was expected");
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(nzb);
      static_cast<QDialog*>(dialog)->accept();
    });
    script.then([&](QWidget* w) {
      auto* box = qobject_cast<QMessageBox*>(w);
      QVERIFY2(box, "the summary was expected");
      summary = box->text();
      box->button(QMessageBox::Ok)->click();
    });
    window->action("acaImportNzb")->trigger();
    QVERIFY(test::waitFor([&] { return script.done(); }, 30000));
    QVERIFY2(script.unexpected().isEmpty(), qPrintable(script.unexpected().join(", ")));
    QVERIFY2(summary.contains("PAR2 réparé: " + out.path() + "/n.par2"), qPrintable(summary));
    QFile decoded(out.path() + "/n.bin");
    QVERIFY(decoded.open(QIODevice::ReadOnly));
    QVERIFY(decoded.readAll() == QByteArray::fromStdString(original));
    QVERIFY(!QFile::exists(out.path() + "/n.bin__error_part_3"));
  }

  void layoutSwitchesAndTheGroupListClosesItsViews() {
    if (!test::FixtureProcess::available()) QSKIP("orvel-fixture-server is not built");
    ArticlesWindowFixture fx;
    QVERIFY(fx.ready());
    ui::TArticlesWindow* window = fx.open("alt.t");
    QVERIFY(window);
    QVERIFY(ArticlesWindowFixture::downloaded(window));
    // Opening again activates the same window.
    QCOMPARE(fx.open("alt.t"), window);
    QCOMPARE(fx.frame->childWidgets().size(), std::size_t(2));

    QCOMPARE(window->splitter().orientation(), Qt::Vertical);
    window->action("acvSplitAlign")->trigger();
    QCOMPARE(window->splitter().orientation(), Qt::Horizontal);
    QVERIFY(window->verticalSplit());
    window->action("acvFS")->trigger();
    QVERIFY(window->fullScreen());
    QVERIFY(!window->list().isHidden());  // nothing shown yet: the list
    window->action("acvSwitchView")->trigger();
    QVERIFY(window->list().isHidden());
    window->action("acvFS")->trigger();
    QVERIFY(!window->list().isHidden());

    QPointer<ui::TArticlesWindow> watched(window);
    QVERIFY(fx.groups->parentWidget()->close());
    QVERIFY(test::waitFor([&] { return watched.isNull(); }));
    QVERIFY(fx.frame->childWidgets().empty());
  }
};

QTEST_MAIN(ArticlesWindowTest)
#include "articles_window_test.moc"
