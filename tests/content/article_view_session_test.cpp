// The viewer over whole sessions: server data in pieces, the raw copy,
// re-rendering after a toggle, the header panel, scrolling, the quote-repair
// plug-in, the attachments menu and clicks.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "content/article_view.h"
#include "content/content_test_support.h"
#include "content/group_content_fixture.h"
#include "content/viewer_test_support.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

using test::Article;
using test::LineCodes;

struct Fixture {
  test::ScriptedPrompter prompter;
  test::RecordingLauncher launcher;
  test::TableMimeTypes types;
  ArticleView view;

  explicit Fixture(ViewerSettings settings = {})
      : view(std::move(settings), ViewerServices{prompter, launcher, {&types, nullptr}}) {}
};

// Feeds the reply in blocks of the given size as a connection would, keeping
// what the viewer did not use for the next block.
bool FeedReply(ArticleView& view, ArticleRequestKind kind, std::string_view reply,
               std::size_t block) {
  std::string buffer;
  bool last = false;
  for (std::size_t offset = 0; offset < reply.size() && !last; offset += block) {
    buffer.append(reply.substr(offset, block));
    const std::size_t used = view.ParseArticle(kind, buffer, 0, last);
    buffer.erase(0, used);
  }
  return last && buffer.empty();
}

const std::string kArticle = Article({"Subject: Essai", "From: j@x.fr", "Newsgroups: fr.test",
                                      "Message-ID: <1@x.fr>", "", "Bonjour", "..point",
                                      "> cite", "-- ", "sig"});

TEST(ViewerServerData, AnyBlockSizeGivesTheStoredRenderingAndRawCopy) {
  Fixture stored;
  stored.view.ShowStoredArticle(kArticle, false);
  for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{4096}}) {
    Fixture fetched;
    fetched.view.StartArticle(true, false);
    ASSERT_TRUE(FeedReply(fetched.view, ArticleRequestKind::Article, test::DotStuffed(kArticle), block))
        << block;
    EXPECT_EQ(LineCodes(fetched.view), LineCodes(stored.view)) << block;
    EXPECT_EQ(fetched.view.rawCopy(), kArticle + std::string(1, '\0')) << block;
    EXPECT_TRUE(fetched.view.articleEnded());
    // the blank line, five body lines and the terminating line
    EXPECT_EQ(fetched.view.progressLines(), 7) << block;
  }
  EXPECT_EQ(LineCodes(stored.view),
            (std::vector<std::string>{"H|Subject: Essai", "H|From: j@x.fr", "H|Newsgroups: fr.test",
                                      "B|", "B|Bonjour", "B|..point", "Q0|> cite", "S|-- ",
                                      "S|sig"}));
}

TEST(ViewerServerData, HeadReplyShowsAllHeaders) {
  Fixture f;
  f.view.StartArticle(true, false);
  const std::string head = "Subject: S\r\nPath: p\r\n.\r\n";
  ASSERT_TRUE(FeedReply(f.view, ArticleRequestKind::Head, head, 5));
  EXPECT_EQ(LineCodes(f.view), (std::vector<std::string>{"H|Subject: S", "H|Path: p", "B|"}));
  EXPECT_TRUE(f.view.headersEnded());
}

TEST(ViewerRedisplay, ToggleChangesTheRenderingOfTheRawCopy) {
  Fixture f;
  f.view.StartArticle(true, false);
  ASSERT_TRUE(FeedReply(f.view, ArticleRequestKind::Article, test::DotStuffed(kArticle), 9));
  f.view.toggles().quoted = false;
  f.view.toggles().showAllHeaders = true;
  EXPECT_TRUE(f.view.RedisplayArticle());
  EXPECT_EQ(LineCodes(f.view),
            (std::vector<std::string>{"H|Subject: Essai", "H|From: j@x.fr", "H|Newsgroups: fr.test",
                                      "H|Message-ID: <1@x.fr>", "B|", "B|Bonjour", "B|..point",
                                      "Q0|> [...]", "S|-- ", "S|sig"}));
  EXPECT_EQ(f.view.rawCopy(), kArticle + std::string(1, '\0'));
}

TEST(ViewerRedisplay, WhileArrivingWaitsForTheEnd) {
  Fixture f;
  f.view.StartArticle(true, false);
  const std::string reply = test::DotStuffed(kArticle);
  bool last = false;
  const std::size_t half = reply.find("> cite");
  std::size_t used = f.view.ParseArticle(ArticleRequestKind::Article, reply.substr(0, half), 0, last);
  ASSERT_FALSE(last);
  f.view.toggles().rot13 = true;
  EXPECT_FALSE(f.view.RedisplayArticle());
  f.view.ParseArticle(ArticleRequestKind::Article, reply.substr(used), 0, last);
  ASSERT_TRUE(last);
  EXPECT_EQ(LineCodes(f.view)[4], "B|Obawbhe");  // rendered again, rotated
}

// A face drawn by us: a frame, the main diagonal and a filled square,
// compressed once with the compface tool.
constexpr const char* kTestFace =
    "\"H?[/{m]*UEq|1`XY7#']YvK|JBKMeET*cqf;:&jI#yl]5a@Z&!G>'\\ai`bI:@&6S_(MKL:\r\n"
    " fgB\\rpIEiq}}9]EmNy1\\t`A*";

TEST(ViewerPanel, XFaceDecodedIntoThePanelClearedForTheNextAndNoneWhenOff) {
  Fixture f;
  f.view.ShowStoredArticle(Article({"Subject: f", std::string("X-Face: ") + kTestFace, "", "x"}),
                           false);
  ASSERT_TRUE(f.view.headerPanel().face.has_value());
  EXPECT_TRUE(f.view.headerPanel().face->Pixel(0, 0));
  EXPECT_TRUE(f.view.headerPanel().face->Pixel(15, 35));
  EXPECT_FALSE(f.view.headerPanel().face->Pixel(30, 5));
  EXPECT_EQ(f.view.headerPanel().lines, (std::vector<std::string>{"Subject: f"}));

  f.view.ShowStoredArticle(Article({"Subject: g", "", "x"}), false);
  EXPECT_FALSE(f.view.headerPanel().face.has_value());

  ViewerSettings off;
  off.xFace = false;
  Fixture noFaces(off);
  noFaces.view.ShowStoredArticle(
      Article({"Subject: f", std::string("X-Face: ") + kTestFace, "", "x"}), false);
  EXPECT_FALSE(noFaces.view.headerPanel().face.has_value());
}

TEST(ViewerScrolling, SkipHeadersScrollsToTheFirstBodyLine) {
  ViewerSettings settings;
  settings.skipHeaders = true;
  Fixture f(settings);
  f.view.ShowStoredArticle(kArticle, false);
  EXPECT_EQ(f.view.ScrollTargetAfterHeaders(), std::optional<std::size_t>(4));
  f.view.toggles().showAllHeaders = true;
  f.view.RedisplayArticle();
  EXPECT_EQ(f.view.ScrollTargetAfterHeaders(), std::nullopt);
  f.view.toggles().showAllHeaders = false;
  f.view.ShowStoredArticle(Article({"Subject: only"}), false);
  EXPECT_EQ(f.view.ScrollTargetAfterHeaders(), std::nullopt);  // nothing after the headers
}

TEST(ViewerScrolling, SkipQuoteMovesOnOnceTheSignatureIsVisible) {
  Fixture f;
  f.view.ShowStoredArticle(kArticle, false);
  ASSERT_EQ(f.view.lines()[7].text, "-- ");
  EXPECT_FALSE(f.view.SkipQuoteMovesOn(5));
  EXPECT_TRUE(f.view.SkipQuoteMovesOn(7));
  f.view.ShowStoredArticle(Article({"Subject: x", "", "a", "b"}), false);
  EXPECT_FALSE(f.view.SkipQuoteMovesOn(2));
  EXPECT_TRUE(f.view.SkipQuoteMovesOn(3));  // the last line
}

// Joins a quoted line that ends without punctuation with the next one of the
// same depth, as a repairing store would; counts the flushes.
class JoiningStore : public QuoteLineStore {
 public:
  void Add(RenderedLine line, const Sink& sink) override {
    if (held_ && line.style == LineStyle::Quoted && line.quoteDepth == held_->quoteDepth) {
      held_->text += " " + line.text.substr(2);
      return;
    }
    Flush(sink);
    if (line.style == LineStyle::Quoted) {
      held_ = std::move(line);
    } else {
      sink(std::move(line));
    }
  }
  void Flush(const Sink& sink) override {
    ++flushes;
    if (held_) sink(std::move(*held_));
    held_.reset();
  }
  int flushes = 0;

 private:
  std::optional<RenderedLine> held_;
};

TEST(ViewerQuoteRepair, StoreUsedOnlyWithQuotedAndFixWrap) {
  Fixture f;
  JoiningStore store;
  f.view.setQuoteRepairStore(&store);
  const std::string article = Article({"Subject: r", "", "> une ligne", "> coupée", "fin"});
  f.view.ShowStoredArticle(article, false);
  EXPECT_EQ(LineCodes(f.view).size(), 5u);  // not used: fixWrap is off
  f.view.toggles().fixWrap = true;
  f.view.ShowStoredArticle(article, false);
  EXPECT_EQ(LineCodes(f.view), (std::vector<std::string>{"H|Subject: r", "B|",
                                                         "Q0|> une ligne coupée", "B|fin"}));
  EXPECT_GE(store.flushes, 1);
  f.view.toggles().quoted = false;
  f.view.ShowStoredArticle(article, false);
  EXPECT_EQ(LineCodes(f.view)[2], "Q0|> [...]");
}

TEST(ViewerQuoteRepair, FixWrapRepairsOneArticleAndUniformMarks) {
  ViewerSettings settings;
  settings.fixWrapOnce = true;
  Fixture f(settings);
  const std::string article =
      Article({"Subject: r", "", ": > a quoted line that was cut in the", ": > middle", "", "fin"});
  f.view.toggles().fixWrap = true;
  f.view.toggles().uniformQuote = true;
  f.view.ShowStoredArticle(article, false);
  EXPECT_EQ(LineCodes(f.view), (std::vector<std::string>{"H|Subject: r", "B|",
                                                         "Q1|>> a quoted line that was cut in the middle",
                                                         "B|", "B|fin"}));
  // Switched off once shown: the same article again is not repaired.
  EXPECT_FALSE(f.view.toggles().fixWrap);
  f.view.toggles().uniformQuote = false;
  ASSERT_TRUE(f.view.RedisplayArticle());
  EXPECT_EQ(LineCodes(f.view)[2], "Q1|: > a quoted line that was cut in the");
}

const std::string kGifArticle =
    Article({"Subject: gif", "MIME-Version: 1.0", "Content-Type: image/gif; name=\"pic.gif\"",
             "Content-Transfer-Encoding: base64", "", "R0lGODlhAQABAAAAADs="});
const std::string kGifBytes = std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);

TEST(ViewerAttachments, MemoryFileSavedThroughTheDialogUnlessCancelledThenOpened) {
  test::ScratchDir dir;
  Fixture f;
  f.view.setAttachmentDirectory(dir.path() + "/in");
  f.view.ShowStoredArticle(kGifArticle, false);
  ASSERT_EQ(f.view.Attachments().size(), 1u);
  EXPECT_EQ(f.view.Attachments()[0].label, "pic.gif");
  EXPECT_FALSE(f.view.Attachments()[0].onDisk);
  const std::size_t fileLine = f.view.lines().size() - 1;
  EXPECT_EQ(f.view.lines()[fileLine].text, "    Fichier d\xC3\xA9" "cod\xC3\xA9: pic.gif");
  EXPECT_TRUE(f.view.IsLinkAt(fileLine, 0));

  f.prompter.answerPath(std::nullopt);  // a cancelled dialog saves nothing
  EXPECT_FALSE(f.view.RunAttachment(0));
  EXPECT_FALSE(f.view.Attachments()[0].onDisk);

  f.prompter.answerPath(dir.file("kept.gif"));
  EXPECT_EQ(f.view.ClickAt(fileLine, 3, true).kind, LinkDecision::Kind::None);
  ASSERT_EQ(f.prompter.records().back().caption, "Sauver         ");
  EXPECT_EQ(f.prompter.records().back().text, dir.path() + "/in/pic.gif");
  EXPECT_EQ(test::ReadFileBytes(dir.file("kept.gif")), kGifBytes);
  EXPECT_EQ(f.view.Attachments()[0].label, dir.file("kept.gif"));
  EXPECT_TRUE(f.view.Attachments()[0].onDisk);
  EXPECT_EQ(f.view.attachmentDirectory(), dir.path() + "/");
  EXPECT_TRUE(f.launcher.opened.empty());

  // On disk now: the same click opens it.
  EXPECT_TRUE(f.view.RunAttachment(0));
  EXPECT_EQ(f.launcher.opened, (std::vector<std::string>{dir.file("kept.gif")}));

  // Shown again, the file is found in the directory it was saved to.
  f.view.ShowStoredArticle(Article({"Subject: gif", "Content-Type: image/gif; name=\"kept.gif\"",
                                    "Content-Transfer-Encoding: base64", "",
                                    "R0lGODlhAQABAAAAADs="}),
                           false);
  EXPECT_EQ(f.view.lines().back().text, "   Fichier sauv\xC3\xA9: " + dir.file("kept.gif"));
}

TEST(ViewerAttachments, AutoSaveSavesByTypeAndOpensLaunchTypes) {
  test::ScratchDir dir;
  ViewerSettings settings;
  settings.saveTypes = ".GIF";
  settings.launchTypes = ".GIF";
  Fixture f(settings);
  f.view.setAttachmentDirectory(dir.path());
  f.view.ShowStoredArticle(kGifArticle, true);
  EXPECT_EQ(test::ReadFileBytes(dir.file("pic.gif")), kGifBytes);
  EXPECT_EQ(f.view.lines().back().text, "   Fichier sauv\xC3\xA9: " + dir.file("pic.gif"));
  EXPECT_EQ(f.launcher.opened, (std::vector<std::string>{dir.file("pic.gif")}));

  // Re-rendering after a toggle neither saves a second copy nor opens again.
  f.view.toggles().rot13 = true;
  f.view.RedisplayArticle();
  EXPECT_EQ(dir.entries(), (std::vector<std::string>{"pic.gif"}));
  EXPECT_EQ(f.launcher.opened.size(), 1u);
  EXPECT_EQ(f.view.lines().back().text, "   Fichier sauv\xC3\xA9: " + dir.file("pic.gif"));
}

TEST(ViewerAttachments, NoDirectoryNoAutoSave) {
  ViewerSettings settings;
  settings.autoSaveAttachments = true;
  Fixture f(settings);
  f.view.ShowStoredArticle(kGifArticle, true);
  EXPECT_FALSE(f.view.Attachments()[0].onDisk);
}

std::string PictureArticle(std::string_view name, std::string_view bytes) {
  return Article({"Subject: photo", "MIME-Version: 1.0",
                  "Content-Type: multipart/mixed; boundary=\"b\"", "", "--b", "", "Voici:", "--b",
                  "Content-Type: image/jpeg; name=\"" + std::string(name) + "\"",
                  "Content-Transfer-Encoding: base64", ""}) +
         test::Base64Lines(bytes) + Article({"--b--"});
}

TEST(ViewerPictures, JpegShownInlineWithItsSize) {
  Fixture f;
  const std::string jpeg = test::MakeJpeg(32, 20);
  f.view.ShowStoredArticle(PictureArticle("photo.jpg", jpeg), false);
  const auto codes = LineCodes(f.view);
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes[codes.size() - 2], "P|photo.jpg");
  const RenderedLine& picture = f.view.lines()[codes.size() - 2];
  EXPECT_EQ(picture.pictureWidth, 32);
  EXPECT_EQ(picture.pictureHeight, 20);
  EXPECT_EQ(f.view.AttachmentBytes(picture.fileIndex), jpeg);
  EXPECT_TRUE(f.view.IsLinkAt(codes.size() - 2, 0));
}

TEST(ViewerPictures, ListedAsFilesWhenOffBrokenOrNotNamedJpeg) {
  const struct {
    bool jpegSetting;
    std::string name;
    std::string bytes;
  } rows[] = {{false, "photo.jpg", test::MakeJpeg(8, 8)},
              {true, "photo.jpg", "not a picture"},
              {true, "photo.png", test::MakeJpeg(8, 8)}};
  for (const auto& r : rows) {
    ViewerSettings settings;
    settings.jpeg = r.jpegSetting;
    Fixture f(settings);
    f.view.ShowStoredArticle(PictureArticle(r.name, r.bytes), false);
    const auto codes = LineCodes(f.view);
    EXPECT_EQ(codes[codes.size() - 2], "B|    Fichier d\xC3\xA9" "cod\xC3\xA9: " + r.name);
  }
}

TEST(ViewerLinks, HoverAndClicks) {
  Fixture f;
  f.view.ShowStoredArticle(
      Article({"Subject: l", "", "Voir http://example.com/a. ou <ref@host.fr> merci",
               "Lance readme.exe vite"}),
      false);
  const std::size_t line = 2;
  const std::string& text = f.view.lines()[line].text;
  EXPECT_TRUE(f.view.IsLinkAt(line, text.find("example")));
  EXPECT_FALSE(f.view.IsLinkAt(line, 1));
  EXPECT_EQ(f.view.ClickAt(line, text.find("http"), true),
            (LinkDecision{LinkDecision::Kind::OpenUrl, "http://example.com/a", {}}));
  EXPECT_EQ(f.view.ClickAt(line, text.find("ref@"), true),
            (LinkDecision{LinkDecision::Kind::FetchMessageId, "<ref@host.fr>", {}}));
  EXPECT_EQ(f.view.ClickAt(line, text.find("ref@"), false).kind, LinkDecision::Kind::OpenUrl);
  EXPECT_EQ(f.view.ClickAt(line, 1, true).kind, LinkDecision::Kind::None);

  // A bare word with a dot: the "Danger !" box, whose text goes on when OK.
  const std::size_t danger = 3;
  f.prompter.answerText(std::string("readme.txt"));
  EXPECT_EQ(f.view.ClickAt(danger, 8, true),
            (LinkDecision{LinkDecision::Kind::OpenUrl, "readme.txt", {}}));
  const test::PromptRecord& asked = f.prompter.records().back();
  EXPECT_EQ(asked.caption, "Danger !");
  EXPECT_EQ(asked.text, "\"OK\" ex\xC3\xA9" "cutera quel que doit le fichier !!");
  EXPECT_EQ(asked.initial, "readme.exe");
  f.prompter.answerText(std::nullopt);
  EXPECT_EQ(f.view.ClickAt(danger, 8, true).kind, LinkDecision::Kind::None);
  EXPECT_TRUE(f.launcher.opened.empty());
}

class CountingObserver : public ViewerObserver {
 public:
  void viewerCleared() override { ++cleared; }
  void linesAdded(std::size_t first) override { firsts.push_back(first); }
  void headerPanelChanged() override { ++panel; }
  int cleared = 0;
  int panel = 0;
  std::vector<std::size_t> firsts;
};

TEST(ViewerObserverCalls, ClearedThenLinesInBlocks) {
  Fixture f;
  CountingObserver observer;
  f.view.setObserver(&observer);
  f.view.StartArticle(true, false);
  const std::string reply = test::DotStuffed(kArticle);
  bool last = false;
  const std::size_t cut = reply.find("Bonjour");
  f.view.ParseArticle(ArticleRequestKind::Article, reply.substr(0, cut), 0, last);
  f.view.ParseArticle(ArticleRequestKind::Article, reply.substr(cut), 0, last);
  EXPECT_EQ(observer.cleared, 1);
  ASSERT_EQ(observer.firsts.size(), 2u);
  EXPECT_EQ(observer.firsts[0], 0u);
  EXPECT_EQ(observer.firsts[1], 4u);  // the three headers and the blank came first
  EXPECT_EQ(observer.panel, 2);       // cleared, then the headers
}

}  // namespace
}  // namespace orvel
