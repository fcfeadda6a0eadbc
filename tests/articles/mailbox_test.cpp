#include "articles/mailbox.h"

#include <gmock/gmock.h>

#include "store_fixture.h"

namespace orvel {
namespace {

using test::ArticleSpec;
using test::ThreadBuilder;

class MailboxTest : public test::StoreTestBase {
 protected:
  // A newsgroup store whose articles numbered low..high hold bodies.
  struct Group {
    GroupNumbers numbers;
    ThreadBuilder articles;
  };

  void fillGroup(Group& g, TCacheBox& box, std::int32_t low, std::int32_t high,
                 std::size_t bodySize) {
    g.numbers = {low, high, true};
    for (std::int32_t n = low; n <= high; ++n) {
      TArticle* a = g.articles.Add("Subject " + std::to_string(n),
                                   "<" + std::to_string(n) + "@x>", "", today() - 1);
      a->Number = n;
      ASSERT_TRUE(box.StoreBody(*a, std::string(bodySize, 'b')));
    }
  }

  // A store in the test directory, configured, with the storage choice.
  struct Box : TCacheBox {
    Box(MailboxTest& t, const char* file, GroupNumbers& numbers, StorageChoice choice)
        : TCacheBox(t.path(file), &numbers) {
      t.configure(*this);
      ApplyStorageChoice(choice);
    }
  };

  // Saves headers-only records numbered 1..count with ids <n@x>.
  static void saveRecords(TCacheBox& box, std::int32_t count) {
    ThreadBuilder b;
    for (std::int32_t n = 1; n <= count; ++n) b.Add("S", "<" + std::to_string(n) + "@x>")->Number = n;
    box.Modified = true;
    ASSERT_TRUE(box.SaveHeaders(b.lists.masterList, false));
  }

  // Loads the store into a fresh view for group numbers g.
  struct Loaded {
    ArticleArena arena;
    ViewLists lists;
    XoverView view{arena, lists};
  };
  std::unique_ptr<Loaded> load(TCacheBox& box, GroupNumbers& numbers) {
    auto l = std::make_unique<Loaded>();
    if (numbers.known) l->view.SizeSets(numbers.low, numbers.high);
    box.groupNumbers = &numbers;
    box.LoadHeaders(l->view, false);
    return l;
  }
};

TEST_F(MailboxTest, HandWrittenHeaderFileLoads) {
  std::string bytes;
  auto i32 = [&](std::int32_t v) { bytes += store_io::Int32Bytes(v); };
  auto str = [&](std::string_view s) {
    i32(static_cast<std::int32_t>(s.size()));
    bytes += s;
  };
  i32(2092001 + 4);
  i32(1);     // records
  i32(0);     // body size
  i32(0);     // expiry
  i32(0);     // flags: no bodies
  i32(10);    // low
  i32(20);    // high
  for (int k = 0; k < 13; ++k) i32(0);
  ASSERT_EQ(bytes.size(), 80u);
  i32(12);                 // Number
  i32((1 << 0) | (1 << 1) | (1 << 14));  // Read, Kept, SomeRead
  i32(-1);                 // BodyOffset
  i32(7);
  i32(7);                  // reserved words
  i32(1234);               // Bytes
  i32(42);                 // Lines
  const double date = *EncodeDateTime(2003, 6, 3, 10);
  std::uint64_t u;
  std::memcpy(&u, &date, 8);
  for (int k = 0; k < 8; ++k) bytes += static_cast<char>((u >> (8 * k)) & 0xFF);
  str("<id@x>");
  str("Hello");
  str("Ann");
  str("ann@x");
  str("<a@x> <b@x>");
  str("other.group:5");
  writeAll(path("g.hdr"), bytes);
  GroupNumbers numbers;
  TCacheBox box(path("g.mbx"), &numbers);
  configure(box);
  EXPECT_FALSE(box.NoHeaderFile());
  auto l = load(box, numbers);
  EXPECT_TRUE(numbers.known);
  EXPECT_EQ(numbers.low, 10);
  EXPECT_EQ(numbers.high, 20);
  ASSERT_EQ(l->lists.masterList.size(), 1u);
  const TArticle& a = *l->lists.masterList[0];
  EXPECT_EQ(a.Number, 12);
  EXPECT_TRUE(a.Has(NodeFlag::Read));
  EXPECT_TRUE(a.Has(NodeFlag::Kept));
  EXPECT_TRUE(a.Has(NodeFlag::Old));
  EXPECT_EQ(a.Bytes, 1234);
  EXPECT_EQ(a.Lines, 42);
  EXPECT_EQ(a.Date, date);
  EXPECT_EQ(a.MessageID, "<id@x>");
  EXPECT_EQ(a.Subject, "Hello");
  EXPECT_EQ(a.FromName(), "Ann");
  EXPECT_EQ(a.FromAddress(), "ann@x");
  EXPECT_EQ(a.ParentID(), "<b@x>");
  EXPECT_EQ(a.Xref, "other.group:5");
  EXPECT_TRUE(l->view.presentSet.test(2));
  EXPECT_TRUE(l->view.readSet.test(2));
  EXPECT_TRUE(l->view.keptSet.test(2));
  EXPECT_EQ(l->view.highestSeen, 12);

  // Saving writes the same bytes back, with the flags word as reserved copies.
  box.Modified = true;
  ASSERT_TRUE(box.SaveHeaders(l->lists.masterList, false));
  const std::string saved = readAll(path("g.hdr"));
  std::string expected = bytes;
  const std::string flags = store_io::Int32Bytes((1 << 0) | (1 << 1) | (1 << 8) | (1 << 14));
  expected.replace(84, 4, flags);
  expected.replace(92, 4, flags);
  expected.replace(96, 4, flags);
  EXPECT_EQ(saved, expected);
}

TEST_F(MailboxTest, RoundTripKeepsRecordsAndBodies) {
  GroupNumbers numbers{1, 3, true};
  {
    Box box(*this, "r.mbx", numbers, kStoreHeadersAndBodies);
    Group g;
    fillGroup(g, box, 1, 3, 100);
    g.articles.lists.masterList[1]->SetRead(true);
    ASSERT_TRUE(box.SaveHeaders(g.articles.lists.masterList, true));
  }
  TCacheBox box(path("r.mbx"), &numbers);
  configure(box);
  EXPECT_TRUE(box.BodiesStored);
  auto l = load(box, numbers);
  ASSERT_EQ(l->lists.masterList.size(), 3u);
  EXPECT_TRUE(l->lists.masterList[1]->Has(NodeFlag::Read));
  std::string body;
  ASSERT_TRUE(box.ReadBody(*l->lists.masterList[2], body));
  EXPECT_EQ(body, std::string(100, 'b'));
  EXPECT_EQ(store_io::FileSize(path("r.mbx")), 3 * (46 + 100));
}

// The loader reads the file through a buffer of a megabyte: records that
// straddle its end, and one larger than the whole buffer, load unchanged.
// Even articles reply to the odd one before them, so their References are
// links both when saved and when loaded.
TEST_F(MailboxTest, RecordsAcrossTheReadBufferLoadUnchanged) {
  constexpr std::int32_t kCount = 30000;  // about 3 MB of records
  constexpr std::int32_t kHuge = 12345;
  const std::string hugeSubject(3 << 20, 'h');
  auto subjectOf = [&](std::int32_t n) {
    return n == kHuge ? hugeSubject : "Subject " + std::to_string(n);
  };
  auto referencesOf = [](std::int32_t n) {
    return n % 2 ? std::string("<r@x>") : "<r@x> <" + std::to_string(n - 1) + "@x>";
  };
  GroupNumbers numbers{1, kCount, true};
  {
    Box box(*this, "big.mbx", numbers, kStoreHeaders);
    ThreadBuilder b;
    for (std::int32_t n = 1; n <= kCount; ++n) {
      b.Add(subjectOf(n), "<" + std::to_string(n) + "@x>", referencesOf(n))->Number = n;
    }
    box.Modified = true;
    ASSERT_TRUE(box.SaveHeaders(b.lists.masterList, false));
  }
  Box box(*this, "big.mbx", numbers, kStoreHeaders);
  auto l = load(box, numbers);
  ASSERT_EQ(l->lists.masterList.size(), static_cast<std::size_t>(kCount));
  for (std::int32_t n = 1; n <= kCount; ++n) {
    const TArticle& a = *l->lists.masterList[static_cast<std::size_t>(n - 1)];
    ASSERT_EQ(a.Number, n);
    ASSERT_EQ(a.MessageID.view(), "<" + std::to_string(n) + "@x>");
    ASSERT_EQ(a.Subject.view(), subjectOf(n)) << n;
    ASSERT_EQ(a.FromAddress(), "poster@example.com");
    ASSERT_EQ(a.References.str(), referencesOf(n)) << n;
    ASSERT_EQ(a.References.IsLink(), n % 2 == 0) << n;
  }
  EXPECT_NE(prompter_.lastStatus(), box.HeaderPath() + " Corrompu ?      ");
}

TEST_F(MailboxTest, LowMarkMovedDropsRecordsAndCompactsOnClose) {
  GroupNumbers numbers{100, 199, true};
  {
    Box box(*this, "c.mbx", numbers, kStoreHeadersAndBodies);
    Group g;
    fillGroup(g, box, 100, 199, 54);
    ASSERT_TRUE(box.SaveHeaders(g.articles.lists.masterList, true));
  }
  ASSERT_EQ(store_io::FileSize(path("c.mbx")), 100 * 100);
  GroupNumbers moved{150, 199, true};
  TCacheBox box(path("c.mbx"), &moved);
  configure(box);
  auto l = load(box, moved);
  ASSERT_EQ(l->lists.masterList.size(), 50u);
  EXPECT_EQ(l->lists.masterList.front()->Number, 150);
  EXPECT_TRUE(box.NeedsCompaction);
  box.Modified = true;
  ASSERT_TRUE(box.SaveHeaders(l->lists.masterList, true));
  EXPECT_FALSE(box.NeedsCompaction);
  EXPECT_EQ(store_io::FileSize(path("c.mbx")), 50 * 100) << "half the file was dead";
  for (TArticle* a : l->lists.masterList) {
    std::string body;
    ASSERT_TRUE(box.ReadBody(*a, body)) << a->Number;
    EXPECT_EQ(body, std::string(54, 'b'));
  }
  auto reloaded = load(box, moved);
  ASSERT_EQ(reloaded->lists.masterList.size(), 50u);
  std::string body;
  EXPECT_TRUE(box.ReadBody(*reloaded->lists.masterList[49], body));
}

struct CompactCase {
  const char* name;
  std::int64_t live;
  bool due;
};
void PrintTo(const CompactCase& c, std::ostream* os) { *os << c.name; }

class CompactionTest : public MailboxTest, public testing::WithParamInterface<CompactCase> {};

TEST_P(CompactionTest, ThirtyPercentDeadIsTheLimit) {
  writeAll(path("p.mbx"), std::string(1000, 'x'));
  GroupNumbers numbers{1, 1, true};
  Box box(*this, "p.mbx", numbers, kStoreHeadersAndBodies);
  EXPECT_EQ(box.CompactionDue(GetParam().live), GetParam().due);
  box.ApplyStorageChoice(kStoreHeaders);
  EXPECT_FALSE(box.CompactionDue(0)) << "a headers-only store never compacts";
  box.ApplyStorageChoice(kStoreHeadersAndBodies);
}

INSTANTIATE_TEST_SUITE_P(Examples, CompactionTest,
                         testing::Values(CompactCase{"Live690", 690, true},
                                         CompactCase{"Live700", 700, false},
                                         CompactCase{"Live694Rounds", 694, true},
                                         CompactCase{"Live695RoundsUp", 695, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailboxTest, KeptArticleOlderThanExpirySurvives) {
  GroupNumbers numbers{1, 2, true};
  Box box(*this, "e.mbx", numbers, kStoreHeaders);
  box.ExpiryDays = 7;
  ThreadBuilder b;
  TArticle* old = b.Add("Old", "<old@x>", "", today() - 30);
  old->Number = 1;
  TArticle* kept = b.Add("Kept", "<kept@x>", "", today() - 30);
  kept->Number = 2;
  kept->Set(NodeFlag::Kept);
  box.Modified = true;
  ASSERT_TRUE(box.SaveHeaders(b.lists.masterList, false));
  EXPECT_TRUE(old->Has(NodeFlag::Deleted));
  EXPECT_FALSE(kept->Has(NodeFlag::Deleted));
  auto l = load(box, numbers);
  ASSERT_EQ(l->lists.masterList.size(), 1u);
  EXPECT_EQ(l->lists.masterList[0]->MessageID, "<kept@x>");
  EXPECT_FALSE(l->lists.masterList[0]->Has(NodeFlag::Deleted));
  EXPECT_EQ(box.ExpiryDays, 7);
}

TEST_F(MailboxTest, ExpiryOnLoadDropsOldArticles) {
  GroupNumbers numbers{1, 2, true};
  Box box(*this, "x.mbx", numbers, kStoreHeadersAndBodies);
  Group g;
  fillGroup(g, box, 1, 2, 10);
  g.articles.lists.masterList[0]->Date = today() - 3;
  ASSERT_TRUE(box.SaveHeaders(g.articles.lists.masterList, false));
  box.ExpiryDays = 2;
  box.Modified = true;
  g.articles.lists.masterList[0]->Date = today() - 1;
  ASSERT_TRUE(box.SaveHeaders(g.articles.lists.masterList, false));
  clock_.advance(2LL * 86400 * 1000);
  auto l = load(box, numbers);
  EXPECT_EQ(l->lists.masterList.size(), 0u);
  EXPECT_TRUE(box.Modified);
  EXPECT_TRUE(box.NeedsCompaction);
  EXPECT_TRUE(l->view.presentSet.test(0)) << "an expired number is still known";
}

TEST_F(MailboxTest, DateZeroSeparatorStillFindsNextEntry) {
  GroupNumbers numbers{1, 2, true};
  Box box(*this, "z.mbx", numbers, kStoreHeadersAndBodies);
  ThreadBuilder b;
  TArticle* first = b.Add("Undated", "<u@x>");
  first->Date = 0;
  TArticle* second = b.Add("Dated", "<d@x>");
  ASSERT_TRUE(box.StoreBody(*first, "first\r\n"));
  ASSERT_TRUE(box.StoreBody(*second, "second\r\n"));
  const std::string file = readAll(path("z.mbx"));
  EXPECT_EQ(file.substr(0, 25), "From ???@0x0000002DDate: ");
  std::string body;
  ASSERT_TRUE(box.ReadBody(*second, body));
  EXPECT_EQ(body, "second\r\n");
  ASSERT_TRUE(box.ReadBody(*first, body));
  EXPECT_EQ(body, "first\r\n");
  const std::string separator = file.substr(static_cast<std::size_t>(second->BodyOffset), 46);
  EXPECT_EQ(separator.substr(0, 19), "From ???@0x0000002E");
  EXPECT_EQ(separator.substr(44), "\r\n");
}

TEST_F(MailboxTest, MissingSeparatorFailsReadAndStopsCompaction) {
  GroupNumbers numbers{1, 2, true};
  Box box(*this, "m.mbx", numbers, kStoreHeadersAndBodies);
  Group g;
  fillGroup(g, box, 1, 2, 10);
  TArticle* a = g.articles.lists.masterList[1];
  a->BodyOffset += 3;
  std::string body;
  EXPECT_FALSE(box.ReadBody(*a, body));
  const std::string before = readAll(path("m.mbx"));
  EXPECT_FALSE(box.Compact(g.articles.lists.masterList));
  EXPECT_EQ(readAll(path("m.mbx")), before) << "the old body file stays";
  EXPECT_EQ(prompter_.lastStatus(), "Erreur pendant le compactage ");
  EXPECT_EQ(g.articles.lists.masterList[0]->BodyOffset, 0) << "offsets change only on success";
}

struct CorruptCase {
  const char* name;
  std::size_t cutAt;           // the file is cut here (0: not cut)
  std::size_t patchAt;         // these four bytes are overwritten (0: none)
  std::int32_t patchValue;
  std::size_t recordsKept;
  bool reported;
};
void PrintTo(const CorruptCase& c, std::ostream* os) { *os << c.name; }

class CorruptStoreTest : public MailboxTest, public testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptStoreTest, KeepsWhatWasReadAndReports) {
  const auto& c = GetParam();
  GroupNumbers numbers{1, 3, true};
  {
    Box box(*this, "k.mbx", numbers, kStoreHeaders);
    saveRecords(box, 3);
  }
  // Each record: 36 bytes of numbers, then "<n@x>" (5), "S" (1), "Poster"
  // (6), "poster@example.com" (18) and two empty strings: 36 + 24 + 30 = 90.
  std::string bytes = readAll(path("k.hdr"));
  ASSERT_EQ(bytes.size(), 80u + 3 * 90);
  if (c.patchAt) bytes.replace(c.patchAt, 4, store_io::Int32Bytes(c.patchValue));
  if (c.cutAt) bytes.resize(c.cutAt);
  // The file is read in pieces: any size of them, down to a byte, loads the
  // same records.
  for (const std::size_t buffer : {std::size_t{1}, std::size_t{7}, std::size_t{90}, std::size_t{1} << 20}) {
    SCOPED_TRACE(buffer);
    writeAll(path("k.hdr"), bytes);
    prompter_.clear();
    Box box(*this, "k.mbx", numbers, kStoreHeaders);
    box.LoadBufferBytes = buffer;
    auto l = load(box, numbers);
    EXPECT_EQ(l->lists.masterList.size(), c.recordsKept);
    EXPECT_EQ(prompter_.lastStatus() == box.HeaderPath() + " Corrompu ?      ", c.reported);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Damage, CorruptStoreTest,
    testing::Values(CorruptCase{"Intact", 0, 0, 0, 3, false},
                    CorruptCase{"TruncatedThirdRecord", 80 + 2 * 90 + 20, 0, 0, 2, true},
                    CorruptCase{"CutInsideHeader", 50, 0, 0, 0, true},
                    CorruptCase{"ImpossibleCount", 0, 4, 0x7FFFFFFF, 3, true},
                    CorruptCase{"NegativeCount", 0, 4, -5, 0, true},
                    CorruptCase{"StringPastTheEnd", 0, 80 + 90 + 36, 0x7FFFFFF0, 1, true},
                    CorruptCase{"NegativeStringLength", 0, 80 + 36, -1, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MailboxTest, ImpossibleGroupMarksAreRefused) {
  GroupNumbers written{1, 3, true};
  {
    Box box(*this, "b.mbx", written, kStoreHeaders);
    saveRecords(box, 2);
  }
  std::string bytes = readAll(path("b.hdr"));
  bytes.replace(24, 4, store_io::Int32Bytes(2000000000));  // high mark
  writeAll(path("b.hdr"), bytes);
  GroupNumbers unknown;
  Box box(*this, "b.mbx", unknown, kStoreHeaders);
  auto l = load(box, unknown);
  EXPECT_TRUE(l->lists.masterList.empty());
  EXPECT_FALSE(unknown.known);
  EXPECT_EQ(l->view.presentSet.size(), 0) << "no set sized by a damaged mark";
  EXPECT_EQ(prompter_.lastStatus(), box.HeaderPath() + " Corrompu ?      ");
}

TEST_F(MailboxTest, WrongMagicStartsEmptyAndDeletesBothFiles) {
  writeAll(path("w.hdr"), std::string(80, '\x07'));
  writeAll(path("w.mbx"), "body");
  GroupNumbers numbers;
  TCacheBox box(path("w.mbx"), &numbers);
  EXPECT_TRUE(box.NoHeaderFile());
  EXPECT_FALSE(store_io::FileExists(path("w.hdr")));
  EXPECT_FALSE(store_io::FileExists(path("w.mbx")));
}

TEST_F(MailboxTest, DestructorFollowsStorageChoice) {
  GroupNumbers numbers{1, 1, true};
  auto make = [&](StorageChoice choice) {
    writeAll(path("d.mbx"), "x");
    Box box(*this, "d.mbx", numbers, kStoreHeaders);
    saveRecords(box, 1);
    box.ApplyStorageChoice(choice);
  };
  make(kStoreNothing);
  EXPECT_FALSE(store_io::FileExists(path("d.hdr")));
  EXPECT_FALSE(store_io::FileExists(path("d.mbx")));
  make(kStoreHeaders);
  EXPECT_TRUE(store_io::FileExists(path("d.hdr")));
  EXPECT_FALSE(store_io::FileExists(path("d.mbx")));
  make(kStoreHeadersAndBodies);
  EXPECT_TRUE(store_io::FileExists(path("d.mbx")));
}

TEST_F(MailboxTest, EmptyQueueStoreDeletesItsFiles) {
  writeAll(path("q.mbx"), "");
  TFolder queue(path("q.mbx"), kStoreQueue);
  configure(queue);
  ThreadBuilder b;
  TArticle* a = b.Add("Queued", "<q@x>");
  const std::string_view text = "Subject: Queued\r\n\r\nbody\r\n";
  ASSERT_TRUE(queue.AddArticle(*a, &text, ""));
  EXPECT_TRUE(store_io::FileExists(path("q.qdr")));
  a->Set(NodeFlag::Deleted);
  queue.Modified = true;
  ASSERT_TRUE(queue.SaveHeaders(b.lists.masterList, false));
  EXPECT_FALSE(store_io::FileExists(path("q.qdr")));
  EXPECT_FALSE(store_io::FileExists(path("q.mbx")));
}

TEST_F(MailboxTest, FolderAddLoadAndRebuild) {
  {
    TFolder folder(path("f.mbx"), kStoreArchive);
    configure(folder);
    ThreadBuilder b;
    TArticle* a = b.Add("Kept one", "<k@x>");
    a->SetRead(true);
    a->Set(NodeFlag::Kept);
    const std::string_view text =
        "From: Ann <ann@x>\r\nSubject: =?utf-8?q?caf=C3=A9?=\r\nMessage-ID: <k@x>\r\n"
        "Date: Tue, 03 Jun 2003 10:00:00 GMT\r\n\r\nline 1\r\nline 2\r\n";
    ASSERT_TRUE(folder.AddArticle(*a, &text, "news.example:comp.test"));
    EXPECT_TRUE(a->Has(NodeFlag::Read)) << "flags come back after the write";
    TArticle* headerOnly = b.Add("No body", "<n@x>");
    ASSERT_TRUE(folder.AddArticle(*headerOnly, nullptr, "srv:grp"));
  }
  ArticleArena arena;
  std::vector<TArticle*> master;
  {
    TFolder folder(path("f.mbx"), kStoreArchive);
    ASSERT_TRUE(folder.LoadHeaders(arena, master));
    ASSERT_EQ(master.size(), 2u);
    EXPECT_EQ(master[0]->Xref, "news.example:comp.test");
    EXPECT_FALSE(master[0]->Has(NodeFlag::Read)) << "Read is cleared for the write";
    EXPECT_FALSE(master[0]->Has(NodeFlag::Kept));
    EXPECT_EQ(master[0]->Score, 80) << "Score holds the record position";
    EXPECT_EQ(master[1]->BodyOffset, -1);
    std::string body;
    ASSERT_TRUE(folder.ReadBody(*master[0], body));
    EXPECT_EQ(body.substr(0, 10), "From: Ann ");
  }
  // A lost header file is rebuilt from the body file's entries.
  store_io::RemoveFile(path("f.hdr"));
  TFolder rebuilt(path("f.mbx"), kStoreArchive);
  ArticleArena arena2;
  std::vector<TArticle*> again;
  ASSERT_TRUE(rebuilt.LoadHeaders(arena2, again));
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0]->Subject, "café");
  EXPECT_EQ(again[0]->FromName(), "Ann");
  EXPECT_EQ(again[0]->MessageID, "<k@x>");
  EXPECT_EQ(again[0]->Lines, 2);
  EXPECT_EQ(again[0]->Date, *EncodeDateTime(2003, 6, 3, 10));
  std::string body;
  ASSERT_TRUE(rebuilt.ReadBody(*again[0], body));
  EXPECT_EQ(body.size(), static_cast<std::size_t>(again[0]->Bytes));
}

TEST_F(MailboxTest, StorePathEscapesTheGroup) {
  EXPECT_EQ(StoreBodyPath("/base", "news", "alt.bin:*"), "/base/data/[news] alt.bin%3a%2a.mbx");
}

}  // namespace
}  // namespace orvel
