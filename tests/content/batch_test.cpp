// TBatch over a fake group view: multi-part decoding in any order and over
// several batches, incomplete files and CRC errors as outcomes of their own,
// CRC markers, retries from alternative servers, resume records, fetched
// text in pieces, the other operations, progress texts and launching.

#include "content/batch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "content_test_support.h"
#include "group_content_fixture.h"
#include "support/scripted_prompter.h"
#include "uu_test_encoder.h"
#include "yenc_test_encoder.h"

namespace orvel {
namespace {

struct FakeArticle {
  std::string text;
  int part = -1;
  bool stored = true;
};

class FakeGroupView : public BatchHost {
 public:
  std::vector<FakeArticle> articles;
  std::map<BatchItem, int> positions;
  std::vector<BatchItem> fetches;
  std::vector<BatchItem> missing;
  std::vector<BatchItem> interrupted;
  std::vector<std::string> stored;
  int alternativesLeft = 0;
  bool online = true;
  bool ended = false;

  BatchArticleInfo articleInfo(BatchItem item) const override {
    BatchArticleInfo info;
    info.subject = "Subject " + std::to_string(item);
    info.from = "jo@example.org";
    info.date = "Sun, 6 Dec 2026";
    info.partNumber = articles.at(item).part;
    info.bytes = static_cast<std::int64_t>(articles.at(item).text.size());
    return info;
  }
  bool isOnline() const override { return online; }
  bool storedText(BatchItem item, std::string& text) override {
    if (!articles.at(item).stored) return false;
    text = articles.at(item).text;
    return true;
  }
  bool fetchArticle(BatchItem item, std::string_view) override {
    fetches.push_back(item);
    return true;
  }
  void setQueuePosition(BatchItem item, int position) override { positions[item] = position; }
  void articleDone(BatchItem) override {}
  void articleInterrupted(BatchItem item) override { interrupted.push_back(item); }
  void markMissing(BatchItem item) override { missing.push_back(item); }
  // The retry is fetched from the alternative server instead of the store.
  bool requeueFromAlternative(BatchItem item) override {
    if (alternativesLeft-- <= 0) return false;
    articles.at(item).stored = false;
    return true;
  }
  bool storeBody(BatchItem, std::string_view text) override {
    stored.emplace_back(text);
    return true;
  }
  bool otherOperation(BatchOperation, BatchItem, std::string_view) override { return false; }
  void batchEnded() override { ended = true; }
};

class RecordingLauncher : public FileLauncher {
 public:
  bool open(const std::string& path) override {
    opened.push_back(path.substr(path.rfind('/') + 1));
    return true;
  }
  std::vector<std::string> opened;
};

// An article as a server sends it: dot-stuffed, ended by a lone ".".
std::string wireForm(const std::string& text) {
  return "Message-ID: <1@x>\r\nNewsgroups: a.b\r\n" + test::DotStuffed(text);
}

class BatchTest : public ::testing::Test {
 protected:
  BatchTest() : resume_(dir_.file(".resume")) {
    settings_.decodeDir = dir_.path();
    settings_.saveDir = dir_.path();
  }
  TBatch& batch() {
    if (!batch_) {
      batch_ = std::make_unique<TBatch>(view_, prompter_, settings_, MimeEnvironment{}, &launcher_,
                                        &resume_);
      batch_->setReportListener([this](const BatchFileReport& r) {
        std::string line = std::to_string(static_cast<int>(r.kind)) + " " +
                           r.path.substr(r.path.rfind('/') + 1);
        for (std::size_t i = 0; i < r.missingParts.size(); ++i) {
          line += (i == 0 ? " missing " : ",") + std::to_string(r.missingParts[i]);
        }
        reports_.push_back(line);
      });
    }
    return *batch_;
  }
  void addPost(const std::string& name, const std::string& data, int parts) {
    for (int k = 1; k <= parts; ++k) {
      view_.articles.push_back({test::YEncArticle(name, data, k, parts), k});
    }
  }
  void queueAll() {
    for (std::size_t i = 0; i < view_.articles.size(); ++i) batch().Append(i);
  }

  test::ScratchDir dir_;
  FileResumeStore resume_;
  FakeGroupView view_;
  test::ScriptedPrompter prompter_;
  RecordingLauncher launcher_;
  BatchSettings settings_;
  std::unique_ptr<TBatch> batch_;
  std::vector<std::string> reports_;
  const std::string data_ = test::RandomBytes(5000, 11);
};

TEST_F(BatchTest, DecodesAMultiPartPostFromTheStore) {
  addPost("m.bin", data_, 3);
  queueAll();
  EXPECT_EQ(view_.positions[2], 2);
  ASSERT_TRUE(batch().Start(BatchOperation::Decode));
  EXPECT_FALSE(batch().running());
  EXPECT_TRUE(view_.ended);
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
  EXPECT_EQ(reports_, std::vector<std::string>{"0 m.bin"});
  EXPECT_EQ(prompter_.lastStatus(), "1 files decoded.");
  const auto statuses = prompter_.statuses();
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Decoding 2 of 3"), statuses.end());
  EXPECT_EQ(view_.positions[2], -1);
  EXPECT_EQ(batch().bytesRemaining(), 0);
}

TEST_F(BatchTest, FetchedArticleArrivesInPieces) {
  addPost("m.bin", data_, 1);
  view_.articles[0].stored = false;
  queueAll();
  batch().Start(BatchOperation::Decode);
  ASSERT_EQ(view_.fetches.size(), 1u);
  // Fed in blocks of 7 bytes.
  const std::string wire = wireForm(view_.articles[0].text);
  for (std::size_t i = 0; i < wire.size(); i += 7) batch().ArticleData(std::string_view(wire).substr(i, 7));
  batch().ArticleEnded();
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
  EXPECT_TRUE(view_.ended);
}

// A CRC error is an outcome of its own: the file stays, a marker beside it
// names the failed part (none for a single part or the whole file's CRC),
// a part to blame is marked missing and nothing is launched.
struct CrcMarkerCase {
  const char* name;
  int parts;    // 0: a single-part post
  int badPart;  // the part whose own CRC is wrong, 0 for none
  const char* fileCrc;
  std::vector<std::string> reports;
  std::vector<BatchItem> missing;
  friend void PrintTo(const CrcMarkerCase& c, std::ostream* os) { *os << c.name; }
};

class CrcMarker : public BatchTest, public ::testing::WithParamInterface<CrcMarkerCase> {};

TEST_P(CrcMarker, FileStaysAndTheMarkerNamesTheFault) {
  const CrcMarkerCase& c = GetParam();
  for (int k = 1; k <= std::max(c.parts, 1); ++k) {
    view_.articles.push_back({test::YEncArticle("m.jpg", data_, c.parts > 0 ? k : 0, c.parts, true,
                                                k == c.badPart ? "deadbeef" : "", c.fileCrc),
                              c.parts > 0 ? k : -1});
  }
  queueAll();
  batch().Start(BatchOperation::Decode, {}, true);
  EXPECT_EQ(reports_, c.reports);
  EXPECT_EQ(view_.missing, c.missing);
  EXPECT_TRUE(std::filesystem::exists(dir_.file(c.reports.back().substr(2))));
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.jpg")), data_);
  EXPECT_EQ(prompter_.lastStatus(), "0 files decoded.");
  EXPECT_TRUE(launcher_.opened.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, CrcMarker,
    ::testing::Values(
        CrcMarkerCase{"PartCrc", 2, 2, "", {"5 m.jpg", "3 m.jpg__yEnc_CRCerror_part_2.txt"}, {1}},
        CrcMarkerCase{"WholeFileCrc", 3, 0, "0badc0de", {"5 m.jpg", "3 m.jpg__yEnc_CRCerror.txt"}, {}},
        CrcMarkerCase{"SinglePart", 0, 1, "", {"5 m.jpg", "3 m.jpg__yEnc_CRCerror.txt"}, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct RetryCase {
  const char* name;
  int badPart;  // of three; the last one completes the file before its retry
  friend void PrintTo(const RetryCase& c, std::ostream* os) { *os << c.name; }
};

class CrcRetry : public BatchTest, public ::testing::WithParamInterface<RetryCase> {};

// The failed part goes back to the queue and is fetched again from another
// server; the file stays open (or opens again) for the new copy to be
// written over the failed one, and is decoded once that copy passes.
TEST_P(CrcRetry, FromAnAlternativeServerRepairsTheFile) {
  const int k = GetParam().badPart;
  addPost("m.bin", data_, 3);
  const std::string good = view_.articles[k - 1].text;
  view_.articles[k - 1].text = test::YEncArticle("m.bin", data_, k, 3, true, "deadbeef");
  view_.alternativesLeft = 1;
  queueAll();
  batch().Start(BatchOperation::Decode);
  ASSERT_EQ(view_.fetches, std::vector<BatchItem>{static_cast<BatchItem>(k - 1)});
  const auto statuses = prompter_.statuses();
  const std::string scanning = "Scanning " + std::to_string(k + 1) + " of 4";
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), scanning), statuses.end());
  EXPECT_TRUE(reports_.empty());
  batch().ArticleData(wireForm(good));
  batch().ArticleEnded();
  EXPECT_TRUE(view_.missing.empty());
  EXPECT_EQ(reports_, std::vector<std::string>{"0 m.bin"});
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
  EXPECT_EQ(prompter_.lastStatus(), "1 files decoded.");
}

INSTANTIATE_TEST_SUITE_P(Parts, CrcRetry,
                         ::testing::Values(RetryCase{"MiddlePart", 2}, RetryCase{"LastPart", 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BatchTest, KillBreaksOffAndALaterBatchResumes) {
  addPost("m.bin", data_, 3);
  view_.articles[1].stored = false;  // part 2 must be fetched: the batch waits there
  queueAll();
  batch().Start(BatchOperation::Decode);
  ASSERT_EQ(view_.fetches, std::vector<BatchItem>{1});
  batch().ArticleData("X: y\r\n\r\n=ybegin part=2 total=3 line=128 size=5000 name=m.bin\r\n");
  batch().Kill();
  EXPECT_EQ(view_.interrupted, std::vector<BatchItem>{1});
  EXPECT_EQ(batch().queue(), (std::vector<BatchItem>{1, 2}));
  EXPECT_EQ(reports_, std::vector<std::string>{"2 m.bin__error_part_2 missing 2,3"});
  EXPECT_TRUE(std::filesystem::exists(dir_.file("m.bin__error_part_2")));
  ASSERT_EQ(resume_.load().size(), 1u);

  view_.articles[1].stored = true;
  batch().Start(BatchOperation::Decode);
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("m.bin__error_part_2")));
  EXPECT_TRUE(resume_.load().empty());
}

TEST_F(BatchTest, WithoutSmartDecodingAKillLeavesTheFileAsItIs) {
  settings_.useSmartDecode = false;
  addPost("m.bin", data_, 3);
  view_.articles[1].stored = false;
  queueAll();
  batch().Start(BatchOperation::Decode);
  batch().Kill();
  EXPECT_TRUE(std::filesystem::exists(dir_.file("m.bin")));
  EXPECT_TRUE(resume_.load().empty());
  EXPECT_EQ(reports_, std::vector<std::string>{"1 m.bin missing 2,3"});
}

TEST_F(BatchTest, SaveAppendAndStore) {
  view_.articles.push_back({"Subject: a/b\r\n\r\nbody 1\r\n", -1});
  view_.articles.push_back({"Subject: c\r\n\r\nbody 2\r\n", -1});
  queueAll();
  batch().Start(BatchOperation::Save);
  EXPECT_EQ(prompter_.lastStatus(), "2 saved.");
  EXPECT_EQ(test::ReadFileBytes(dir_.file("Subject 0.1.txt")), view_.articles[0].text);
  EXPECT_TRUE(std::filesystem::exists(dir_.file("Subject 1.2.txt")));

  queueAll();
  batch().Start(BatchOperation::Append, dir_.file("all.txt"));
  EXPECT_EQ(test::ReadFileBytes(dir_.file("all.txt")),
            "From jo@example.org Sun, 6 Dec 2026\r\n" + view_.articles[0].text + "\r\n" +
                "From jo@example.org Sun, 6 Dec 2026\r\n" + view_.articles[1].text + "\r\n");

  queueAll();
  batch().Start(BatchOperation::Store);
  EXPECT_EQ(view_.stored.size(), 2u);
  EXPECT_EQ(prompter_.lastStatus(), "2 stored.");
}

TEST_F(BatchTest, RefusedFolderOperationKillsTheBatch) {
  view_.articles.push_back({"Subject: a\r\n\r\nbody\r\n", -1});
  view_.articles.push_back({"Subject: b\r\n\r\nbody\r\n", -1});
  queueAll();
  batch().Start(BatchOperation::Transfer);
  EXPECT_FALSE(batch().running());
  EXPECT_EQ(batch().queue(), std::vector<BatchItem>{1});
}

TEST_F(BatchTest, QueueOperationsKeepPositions) {
  for (int i = 0; i < 4; ++i) view_.articles.push_back({"", -1});
  queueAll();
  batch().Remove(1);
  EXPECT_EQ(view_.positions[1], -1);
  EXPECT_EQ(view_.positions[3], 2);
  batch().InsertAt(0, 1);
  EXPECT_EQ(batch().queue(), (std::vector<BatchItem>{1, 0, 2, 3}));
  batch().Toggle(2);
  EXPECT_EQ(view_.positions[2], -1);
  batch().ResortQueue([](BatchItem item) { return -static_cast<int>(item); });
  EXPECT_EQ(batch().queue(), (std::vector<BatchItem>{3, 1, 0}));
  EXPECT_EQ(view_.positions[0], 2);
  batch().ClearQueue();
  EXPECT_EQ(view_.positions[3], -1);
  EXPECT_FALSE(batch().Start(BatchOperation::Decode));
}

TEST(BatchTexts, ProgressAndSummary) {
  EXPECT_EQ(BatchProgressText(BatchOperation::Decode, 2, 5, false), "Decoding 2 of 5");
  EXPECT_EQ(BatchProgressText(BatchOperation::Decode, 2, 5, true), "Scanning 2 of 5");
  EXPECT_EQ(BatchProgressText(BatchOperation::Transfer, 1, 1, false), "Transferring 1 of 1");
  EXPECT_EQ(BatchProgressText(BatchOperation::Store, 1, 1, false), "");
  EXPECT_EQ(BatchSummaryText(BatchOperation::Copy, 3), "3 copied.");
  EXPECT_EQ(BatchSummaryText(BatchOperation::Cancel, 3), "");
}

TEST_F(BatchTest, LaunchAfterDecodeSkipsDangerousFiles) {
  view_.articles.push_back({test::YEncArticle("setup.exe", data_, 0, 0), -1});
  view_.articles.push_back({test::YEncArticle("photo.jpg", data_, 0, 0), -1});
  queueAll();
  batch().Start(BatchOperation::Decode, {}, true);
  EXPECT_EQ(launcher_.opened, std::vector<std::string>{"photo.jpg"});
  struct stat st;
  ASSERT_EQ(::stat(dir_.file("photo.jpg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0111, 0u);  // written without an execute bit
}

TEST(LaunchFile, DangerousFilesNeedAYesAndExecutableFilesNever) {
  test::ScratchDir dir;
  test::ScriptedPrompter prompter;
  RecordingLauncher launcher;
  test::WriteFileBytes(dir.file("run.sh"), "x");
  test::WriteFileBytes(dir.file("tool"), "x");
  ::chmod(dir.file("tool").c_str(), 0755);
  EXPECT_FALSE(LaunchFile(dir.file("run.sh"), false, launcher, prompter));
  prompter.answer(Button::No);
  EXPECT_FALSE(LaunchFile(dir.file("run.sh"), true, launcher, prompter));
  prompter.answer(Button::Yes);
  EXPECT_TRUE(LaunchFile(dir.file("run.sh"), true, launcher, prompter));
  EXPECT_EQ(prompter.questions().back(),
            dir.file("run.sh") + " dangeureux !!!!!.\r\n       Le lancer quand même ?");
  EXPECT_FALSE(LaunchFile(dir.file("tool"), true, launcher, prompter));
  EXPECT_FALSE(LaunchFile(dir.file("absent.txt"), true, launcher, prompter));
  EXPECT_EQ(launcher.opened, std::vector<std::string>{"run.sh"});
}

TEST(AttachNotify, OpensSavedFilesOfTheLaunchTypes) {
  test::ScratchDir dir;
  test::ScriptedPrompter prompter;
  RecordingLauncher launcher;
  MimeSettings settings;
  settings.autoSaveAttachments = true;
  TMime viewer(false, settings);
  viewer.setOutputMode(OutputMode::ViewAutoSave);
  viewer.setOutputDirectory(dir.path());
  viewer.setCompletionEvent([&](TMime& sender, int code) {
    AttachNotify(sender, code, ".TXT|.GIF", launcher, prompter);
  });
  for (const char* name : {"a.gif", "b.jpg"}) {
    viewer.ResetArticle();
    test::ParseAll(viewer, std::string("Content-Type: image/x; name=") + name +
                               "\r\nContent-Transfer-Encoding: base64\r\n\r\nR0lG\r\n");
  }
  EXPECT_EQ(launcher.opened, std::vector<std::string>{"a.gif"});
}

TEST(ResumeRecord, RoundTripAndBadRecords) {
  DecoderState s;
  s.directory = "/d/";
  s.fileName = "f.bin";
  s.requestedName = "f.bin";
  s.bytesWritten = 256000;
  s.partNumber = 3;
  s.encoding = TransferEncoding::UUencode;
  s.mimeVersion = true;
  s.partial = true;
  s.boundaries = {"--in", "--out"};
  s.series = "f.bin (~/3)";
  DecoderState y;
  y.directory = "/d/";
  y.fileName = "y_0.bin";
  y.requestedName = "y.bin";
  y.partNumber = 2;
  y.encoding = TransferEncoding::YEnc;
  y.yencSize = 300;
  y.parts = YEncAssembly(300);
  y.parts->add({1, 1, 0, 100, 0x1234abcdu, true});
  y.parts->add({3, 3, 200, 300, 0xdeadbeefu, false});
  y.parts->setFileCrc(0x0badc0deu);
  const auto back = ParseResumeRecords(FormatResumeRecords({s, y}));
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].bytesWritten, 256000);
  EXPECT_EQ(back[0].partNumber, 3);
  EXPECT_EQ(back[0].encoding, TransferEncoding::UUencode);
  EXPECT_TRUE(back[0].mimeVersion);
  EXPECT_FALSE(back[0].attachment);
  EXPECT_TRUE(back[0].partial);
  EXPECT_EQ(back[0].boundaries, s.boundaries);
  EXPECT_EQ(back[0].series, s.series);
  EXPECT_FALSE(back[0].parts.has_value());
  EXPECT_EQ(back[1].fileName, "y_0.bin");
  EXPECT_EQ(back[1].requestedName, "y.bin");
  ASSERT_TRUE(back[1].parts.has_value());
  EXPECT_EQ(back[1].parts->pieces(), y.parts->pieces());
  EXPECT_EQ(back[1].parts->fileCrc(), std::optional<std::uint32_t>(0x0badc0deu));
  EXPECT_EQ(back[1].parts->missingParts(), std::vector<std::int64_t>{2});

  EXPECT_TRUE(ParseResumeRecords("[Resume]\nFile=x\n").empty());
  EXPECT_TRUE(ParseResumeRecords("[Resume]\nLastSize=5\n").empty());
  EXPECT_EQ(ParseResumeRecords("File=x\nLastSize=1\nEncoding=99\nBoundaryCount=999999\n")
                .at(0)
                .encoding,
            TransferEncoding::None);
  // A yEnc record of no believable size is of no use; parts outside the
  // file or unreadable are left out.
  EXPECT_TRUE(ParseResumeRecords("File=x\nLastSize=0\nEncoding=4\nYSize=1099511627776\nYParts=\n")
                  .empty());
  const auto odd = ParseResumeRecords(
      "File=x\nLastSize=0\nEncoding=4\nYSize=100\nYParts=1:0-50:zz,2:50-200:-,3:50-100:-,x\n");
  ASSERT_EQ(odd.size(), 1u);
  EXPECT_EQ(odd[0].parts->pieces().size(), 1u);
  EXPECT_EQ(BrokenPartName("a.bin", 4), "a.bin__error_part_4");
  EXPECT_EQ(BrokenPartName("a.bin", 0), "a.bin__error");
}

// A record written before parts were placed by offsets: its file holds
// parts 1 to Part - 1 from its first byte, and it goes on with any of the
// others; the whole file's CRC is then read back from the disk.
TEST_F(BatchTest, OlderYEncRecordGoesOnWithTheMissingPartsInAnyOrder) {
  addPost("m.bin", data_, 3);
  const std::size_t first = (data_.size() + 2) / 3;
  test::WriteFileBytes(dir_.file("m.bin__error_part_2"), data_.substr(0, first));
  test::WriteFileBytes(dir_.file(".resume"),
                       "[Resume]\nDat=" + dir_.path() + "/\nFile=m.bin\nRequested=m.bin\nLastSize=" +
                           std::to_string(first) +
                           "\nPart=2\nTotal=3\nYSize=5000\nEncoding=4\nMIME=0\nUULen=-1\n");
  batch().Append(2);
  batch().Append(1);
  batch().Start(BatchOperation::Decode);
  EXPECT_EQ(reports_, std::vector<std::string>{"0 m.bin"});
  EXPECT_EQ(test::ReadFileBytes(dir_.file("m.bin")), data_);
  EXPECT_EQ(dir_.entries(), std::vector<std::string>{"m.bin"});
}

TEST_F(BatchTest, MissingPartLeavesTheOthersAtTheirOffsets) {
  addPost("m.bin", data_, 3);
  batch().Append(0);
  batch().Append(2);
  batch().Start(BatchOperation::Decode);
  EXPECT_EQ(reports_, std::vector<std::string>{"1 m.bin__error_part_2 missing 2"});
  EXPECT_EQ(prompter_.lastStatus(), "0 files decoded.");
  const std::string kept = test::ReadFileBytes(dir_.file("m.bin__error_part_2"));
  const std::size_t chunk = (data_.size() + 2) / 3;
  ASSERT_EQ(kept.size(), data_.size());
  EXPECT_EQ(kept.substr(0, chunk), data_.substr(0, chunk));
  EXPECT_EQ(kept.substr(chunk, chunk), std::string(chunk, '\0'));
  EXPECT_EQ(kept.substr(2 * chunk), data_.substr(2 * chunk));
}

// Batches of parts given one after the other (a later batch is a new run
// that finds the earlier ones' files through the resume record), and what
// each file came to.
struct AssemblyCase {
  const char* name;
  std::vector<std::vector<int>> batches;
  std::vector<std::string> reports;
  friend void PrintTo(const AssemblyCase& c, std::ostream* os) { *os << c.name; }
};

using ArticleMaker = std::string (*)(std::string_view name, std::string_view data, int k, int n);

std::string yencPart(std::string_view name, std::string_view data, int k, int n) {
  return test::YEncArticle(name, data, k, n);
}

class BatchAssembly : public BatchTest, public ::testing::WithParamInterface<AssemblyCase> {
 protected:
  void run(ArticleMaker make, const std::string& name) {
    for (int k = 1; k <= 3; ++k) view_.articles.push_back({make(name, data_, k, 3), k});
    for (const std::vector<int>& parts : GetParam().batches) {
      batch_.reset();
      for (int k : parts) batch().Append(static_cast<BatchItem>(k - 1));
      batch().Start(BatchOperation::Decode);
      batch().Close();
    }
    EXPECT_EQ(reports_, GetParam().reports);
    if (reports_.back() == "0 " + name) {
      EXPECT_EQ(test::ReadFileBytes(dir_.file(name)), data_);
      EXPECT_EQ(dir_.entries(), std::vector<std::string>{name});  // no record, no piece left
    }
  }
};

class YEncAssemblyBatches : public BatchAssembly {};
class UUSeriesBatches : public BatchAssembly {};

TEST_P(YEncAssemblyBatches, FileIsDecodedExactlyWhenEveryPartArrived) { run(&yencPart, "m.bin"); }

TEST_P(UUSeriesBatches, FileIsDecodedExactlyWhenEveryPartArrivedInOrder) {
  run(&test::UUArticle, "u.bin");
}

INSTANTIATE_TEST_SUITE_P(
    Orders, YEncAssemblyBatches,
    ::testing::Values(
        AssemblyCase{"InOrder", {{1, 2, 3}}, {"0 m.bin"}},
        AssemblyCase{"TwoOneThree", {{2, 1, 3}}, {"0 m.bin"}},
        AssemblyCase{"Reversed", {{3, 2, 1}}, {"0 m.bin"}},
        AssemblyCase{"DuplicateParts", {{1, 2, 2, 3}}, {"0 m.bin"}},
        AssemblyCase{"LastMissing", {{1, 2}}, {"1 m.bin__error_part_3 missing 3"}},
        AssemblyCase{"LastInALaterBatch",
                     {{1, 2}, {3}},
                     {"1 m.bin__error_part_3 missing 3", "0 m.bin"}},
        AssemblyCase{"MiddleInALaterBatch",
                     {{1, 3}, {2}},
                     {"1 m.bin__error_part_2 missing 2", "0 m.bin"}},
        AssemblyCase{"LastFirstThenTheRestReversed",
                     {{3}, {2, 1}},
                     {"1 m.bin__error_part_1 missing 1,2", "0 m.bin"}},
        AssemblyCase{"OnePartABatch",
                     {{2}, {3}, {1}},
                     {"1 m.bin__error_part_1 missing 1,3", "1 m.bin__error_part_1 missing 1",
                      "0 m.bin"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Orders, UUSeriesBatches,
    ::testing::Values(
        AssemblyCase{"InOrder", {{1, 2, 3}}, {"0 u.bin"}},
        AssemblyCase{"DuplicatePart", {{1, 2, 2, 3}}, {"0 u.bin"}},
        AssemblyCase{"Hole", {{1, 3}}, {"1 u.bin__error_part_2 missing 2"}},
        AssemblyCase{"LastMissing", {{1, 2}}, {"1 u.bin__error_part_3 missing 3"}},
        AssemblyCase{"HoleFilledByALaterBatch",
                     {{1, 3}, {2, 3}},
                     {"1 u.bin__error_part_2 missing 2", "0 u.bin"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
