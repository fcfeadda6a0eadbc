#include "articles/mailbox.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "articles/article_arena.h"
#include "articles/header_utils.h"
#include "articles/sequential_reader.h"
#include "articles/store_io.h"
#include "articles/xover.h"
#include "core/clock.h"
#include "core/mapped_file.h"
#include "core/prompter.h"

namespace orvel {

namespace {

constexpr std::size_t kReservedWords = 13;
// The smallest record: the numbers of a kind-4 record and six empty strings.
constexpr std::size_t kSmallestRecord = 36 + 6 * 4;
// How far ahead of the record being read the loader asks for the file's bytes:
// a few records of a typical group, so each page is there when it is reached.
constexpr std::size_t kLoadPrefetchDistance = 2048;
constexpr std::size_t kSeparatorLookahead = 256;

using StoreHeader = StoreFileHeader;

bool readStoreHeader(store_io::Reader& r, std::uint8_t kind, StoreHeader& h) {
  if (r.i32() != kStoreMagic + kind || !r.ok()) return false;
  h.count = r.i32();
  h.bodySize = r.i32();
  h.expiryDays = r.i32();
  h.flags = r.i32();
  h.low = r.i32();
  h.high = r.i32();
  r.skip(kReservedWords * 4);
  return r.ok();
}

bool hasValidMagic(const std::string& headerPath, std::uint8_t kind) {
  std::string head;
  if (!store_io::ReadAt(headerPath, 0, 4, head) || head.size() < 4) return false;
  store_io::Reader r(head);
  return r.i32() == kStoreMagic + kind;
}

void writeStoreHeader(store_io::Writer& w, std::uint8_t kind, const StoreHeader& h) {
  w.i32(kStoreMagic + kind);
  w.i32(h.count);
  w.i32(h.bodySize);
  w.i32(h.expiryDays);
  w.i32(h.flags);
  w.i32(h.low);
  w.i32(h.high);
  for (std::size_t k = 0; k < kReservedWords; ++k) w.i32(0);
}

void writeRecord(store_io::Writer& w, std::uint8_t kind, const TArticle& a, std::string_view xref) {
  const std::int32_t flags = a.Flags;
  if (kind == kStoreNewsgroup) {
    w.i32(a.Number);
    w.i32(flags);
    w.i32(a.BodyOffset);
  } else if (kind == kStoreQueue) {
    w.i32(flags);
    w.i32(a.BodyOffset);
    w.i32(a.Number);
    w.i32(a.QueuePosition);
  } else {
    w.i32(flags);
    w.i32(a.BodyOffset);
  }
  w.i32(flags);
  w.i32(flags);
  w.i32(a.Bytes);
  w.i32(a.Lines);
  w.f64(a.Date);
  w.str(a.MessageID);
  w.str(a.Subject);
  w.str(a.FromName());
  w.str(a.FromAddress());
  // A save spells its linked References into one buffer.
  thread_local std::string scratch;
  w.str(a.References.Text(scratch));
  w.str(xref);
}

// Reads one record after its leading number (kind 4) or from its start.
bool readRecordRest(store_io::Reader& r, std::uint8_t kind, TArticle& a, StringPool& pool) {
  if (kind == kStoreQueue) {
    a.Flags = static_cast<std::uint16_t>(r.i32());
    a.BodyOffset = r.i32();
    a.Number = r.i32();
    a.QueuePosition = r.i32();
  } else {
    a.Flags = static_cast<std::uint16_t>(r.i32());
    a.BodyOffset = r.i32();
  }
  r.i32();
  r.i32();
  a.Bytes = r.i32();
  a.Lines = r.i32();
  a.Date = r.f64();
  const std::string_view id = r.str();
  const std::string_view subject = r.str();
  const std::string_view name = r.str();
  const std::string_view address = r.str();
  const std::string_view references = r.str();
  const std::string_view xref = r.str();
  if (!r.ok()) return false;
  // References right after the Message-ID, which makes the article a parent
  // its replies can link to.
  a.MessageID = pool.Store(id);
  a.SetReferences(pool, references);
  a.Subject = pool.Share(subject);
  // Records of one author often follow each other (a binary series).
  const TAuthor* last = pool.LastAuthor();
  if (last && last->Name.view() == name && last->Address.view() == address) {
    a.SetAuthor(last);
  } else {
    a.SetFrom(pool, name, address);
  }
  a.Xref = pool.Store(xref);
  return true;
}

// Skips one record's fields after its leading number (kind 4).
bool skipRecordRest(store_io::Reader& r) {
  r.skip(32);
  for (int k = 0; k < 6; ++k) r.str();
  return r.ok();
}

std::int32_t bodyFileSize(const std::string& path) {
  const std::int64_t size = store_io::FileSize(path);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(size, 0, INT32_MAX));
}

// The text of a body entry read from its separator line on; false when the
// line is not a separator or the text is cut short.
bool entryText(const store_io::FileReader& file, std::int64_t offset, std::int32_t bytes,
               std::string& out) {
  if (bytes < 0 || !file.readAt(offset, kSeparatorLookahead, out)) return false;
  if (out.compare(0, kSeparatorStart.size(), kSeparatorStart) != 0) return false;
  const std::size_t lf = out.find('\n');
  if (lf == std::string::npos) return false;
  const std::int64_t start = offset + static_cast<std::int64_t>(lf) + 1;
  if (!file.readAt(start, static_cast<std::size_t>(bytes), out)) return false;
  return out.size() == static_cast<std::size_t>(bytes);
}

}  // namespace

bool ReadHeaderFile(const std::string& path, ArticleArena& arena, HeaderFileDump& out) {
  MappedFile file;
  if (!file.open(path) || file.bytes().size() < 4) return false;
  const std::string_view bytes = file.bytes();
  const std::int32_t magic = store_io::Reader(bytes).i32();
  if (magic <= kStoreMagic || magic > kStoreMagic + 255) return false;
  out.kind = static_cast<std::uint8_t>(magic - kStoreMagic);
  store_io::Reader r(bytes);
  StoreHeader& h = out.header;
  if (!readStoreHeader(r, out.kind, h)) return false;
  out.complete = false;
  if (h.count < 0) return true;
  for (std::int32_t k = 0; k < h.count; ++k) {
    TArticle* a = arena.New();
    if (out.kind == kStoreNewsgroup) a->Number = r.i32();
    if (!r.ok() || !readRecordRest(r, out.kind, *a, arena.Strings())) {
      arena.Free(a);
      return true;
    }
    out.records.push_back(a);
  }
  out.complete = true;
  return true;
}

std::string StoreBodyPath(std::string_view baseDir, std::string_view serverName,
                          std::string_view groupName) {
  std::string path(baseDir);
  if (!path.empty() && path.back() != '/') path += '/';
  path += "data/[";
  path += serverName;
  path += "] ";
  path += EscapeFileName(groupName);
  path += ".mbx";
  return path;
}

std::string SeparatorLine(std::int32_t bytes, DateTime date, int tz, DateTime now) {
  char head[24];
  std::snprintf(head, sizeof head, "From ???@0x%.8X", static_cast<unsigned>(bytes) + 38u);
  return head + FormatDateHeader(date, tz, now) + "\r\n";
}

TMailbox::TMailbox(std::uint8_t kind, std::string bodyPath) : Kind(kind), path(std::move(bodyPath)) {}

std::string TMailbox::basePath() const {
  std::string base = path;
  const std::size_t dot = base.rfind('.');
  const std::size_t slash = base.rfind('/');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) base.resize(dot);
  return base;
}

std::string TMailbox::HeaderPath() const { return basePath() + (Kind == kStoreQueue ? ".qdr" : ".hdr"); }

std::string TMailbox::ThreadLayoutPath() const { return basePath() + ".thl"; }

DateTime TMailbox::Now() const {
  const auto wall = clock ? clock->now() : std::chrono::system_clock::now();
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(wall.time_since_epoch()).count();
  return DateTimeFromUnix(seconds) + ZoneOffsetDays(TZ);
}

void TMailbox::SetNoHeaderFile(bool value) {
  noHeaderFile_ = value;
  if (value) store_io::RemoveFile(HeaderPath());
}

void TMailbox::report(std::string_view text) const {
  if (prompter) prompter->status(text);
}

bool TMailbox::CompactionDue(std::int64_t liveBytes) const {
  if (Kind == kStoreNewsgroup && !keepsHeadersAndBodies()) return false;
  const std::int64_t size = store_io::FileSize(path);
  if (size <= 0) return false;
  const auto used = static_cast<std::int64_t>(std::llround(static_cast<double>(liveBytes) * 100.0 /
                                                           static_cast<double>(size)));
  return 100 - used > CompactPercent;
}

bool TMailbox::writeHeaderFile(const std::vector<TArticle*>& list, std::int64_t& liveBytes) {
  store_io::Writer w;
  if (!w.openReplacing(HeaderPath())) return false;
  StoreHeader h;
  h.bodySize = bodyFileSize(path);
  h.expiryDays = ExpiryDays;
  h.flags = flagsWord();
  if (Kind == kStoreNewsgroup && groupNumbers) {
    h.low = groupNumbers->low;
    h.high = groupNumbers->high;
  }
  writeStoreHeader(w, Kind, h);
  const bool expire = Kind == kStoreNewsgroup && ExpiryDays > 0;
  const DateTime now = expire ? Now() : 0;
  std::int32_t count = 0;
  liveBytes = 0;
  for (TArticle* a : list) {
    if (!a) continue;
    if (expire && now - a->Date > ExpiryDays) a->Set(NodeFlag::Deleted);
    if (a->Has(NodeFlag::Deleted)) {
      if (!a->Has(NodeFlag::Kept)) continue;
      a->Set(NodeFlag::Deleted, false);
    }
    writeRecord(w, Kind, *a, a->Xref);
    if (a->BodyOffset >= 0) liveBytes += a->Bytes;
    ++count;
  }
  w.patch(4, store_io::Int32Bytes(count));
  w.patch(16, store_io::Int32Bytes(flagsWord()));
  if (!w.commit()) return false;
  if (Kind == kStoreQueue && count == 0) Purge();
  return true;
}

bool TMailbox::SaveHeaders(const std::vector<TArticle*>& list, bool compactionAllowed) {
  if (!Modified || noHeaderFile_) return true;
  std::int64_t liveBytes = 0;
  if (!writeHeaderFile(list, liveBytes)) {
    report(HeaderPath() + " Corrompu ?      !");
    return false;
  }
  Modified = false;
  if (compactionAllowed && store_io::FileExists(HeaderPath()) && CompactionDue(liveBytes)) {
    return Compact(list);
  }
  return true;
}

namespace {

struct FolderWatch {
  std::string path;
  FolderAppendObserver* observer;
};
// The open folder views by body file; few, so a list.
std::vector<FolderWatch>& folderWatches() {
  static std::vector<FolderWatch> watches;
  return watches;
}

// Puts a file back to its size before a failed append (removing it when it
// did not exist).
void restoreSize(const std::string& file, std::int64_t size) {
  if (size < 0) {
    store_io::RemoveFile(file);
  } else {
    store_io::Truncate(file, size);
  }
}

}  // namespace

void WatchFolder(const std::string& bodyPath, FolderAppendObserver& observer) {
  UnwatchFolder(observer);
  folderWatches().push_back({bodyPath, &observer});
}

void UnwatchFolder(FolderAppendObserver& observer) {
  std::erase_if(folderWatches(), [&](const FolderWatch& w) { return w.observer == &observer; });
}

bool ChangeFolderEntry(const std::string& bodyPath, std::uint8_t kind, const FolderEntryKey& key,
                       const FolderEntryChange& change) {
  for (const FolderWatch& w : folderWatches()) {
    if (w.path == bodyPath) return w.observer->folderEntryChanged(key, change);
  }
  TFolder folder(bodyPath, kind);
  ArticleArena arena;
  std::vector<TArticle*> list;
  if (!folder.LoadHeaders(arena, list)) return false;
  const auto entry = std::find_if(list.begin(), list.end(), [&](const TArticle* a) {
    return a->Date == key.date && a->Subject.view() == key.subject;
  });
  if (entry == list.end()) return false;
  (*entry)->Flags = static_cast<std::uint16_t>(((*entry)->Flags | change.set) & ~change.clear);
  folder.Modified = true;
  return folder.SaveHeaders(list, false);
}

bool TMailbox::AddArticle(TArticle& article, const std::string_view* text, std::string_view origin) {
  const std::string header = HeaderPath();
  const std::int64_t bodyBefore = store_io::FileSize(path);
  const std::int64_t headerBefore = store_io::FileSize(header);
  const std::int32_t savedOffset = article.BodyOffset;
  const std::int32_t savedBytes = article.Bytes;
  const std::uint16_t savedFlags = article.Flags;
  article.Set(NodeFlag::Read, false);
  article.Set(NodeFlag::Deleted, false);
  bool ok = true;
  bool bodyWritten = false;
  if (text) {
    store_io::Writer body;
    ok = body.openAppending(path) && body.position() + static_cast<std::int64_t>(kSeparatorSize) +
                                             static_cast<std::int64_t>(text->size()) <=
                                         INT32_MAX;
    if (ok) {
      article.Bytes = static_cast<std::int32_t>(text->size());
      article.BodyOffset = static_cast<std::int32_t>(body.position());
      body.bytes(SeparatorLine(article.Bytes, article.Date, TZ, Now()));
      body.bytes(*text);
      bodyWritten = true;
      ok = body.commit();
    }
  } else {
    article.BodyOffset = -1;
  }
  std::int32_t count = 0;
  bool freshHeader = false;
  if (ok && hasValidMagic(header, Kind)) {
    std::string countBytes;
    ok = store_io::ReadAt(header, 4, 4, countBytes) && countBytes.size() == 4;
    count = store_io::Reader(countBytes).i32();
  } else if (ok) {
    store_io::Writer fresh;
    StoreHeader h;
    h.flags = flagsWord();
    ok = fresh.openReplacing(header);
    writeStoreHeader(fresh, Kind, h);
    ok = ok && fresh.commit();
    freshHeader = ok;
  }
  std::int64_t recordOffset = 0;
  if (ok) {
    store_io::Writer w;
    ok = w.openAppending(header);
    recordOffset = w.position();
    writeRecord(w, Kind, article, origin.empty() ? article.Xref.view() : origin);
    ok = ok && w.commit() && recordOffset <= INT32_MAX &&
         store_io::WriteAt(header, 8, store_io::Int32Bytes(bodyFileSize(path))) &&
         store_io::WriteAt(header, 4, store_io::Int32Bytes(count + 1));
  }
  article.Flags = savedFlags;
  if (!ok) {
    // Both or neither: the record goes (the count is written last, so the
    // old one still stands), and the body with it.
    if (bodyWritten) restoreSize(path, bodyBefore);
    if (freshHeader || headerBefore < 0) {
      store_io::RemoveFile(header);
    } else if (store_io::FileSize(header) > headerBefore) {
      store_io::Truncate(header, headerBefore);
      store_io::WriteAt(header, 8, store_io::Int32Bytes(bodyFileSize(path)));
    }
    article.BodyOffset = savedOffset;
    article.Bytes = savedBytes;
    report(header + " Corrompu ?      !");
    return false;
  }
  if (Kind != kStoreNewsgroup) {
    const std::string_view written = origin.empty() ? article.Xref.view() : origin;
    for (const FolderWatch& w : std::vector<FolderWatch>(folderWatches())) {
      if (w.path == path) {
        w.observer->folderArticleAdded(article, written, static_cast<std::int32_t>(recordOffset));
      }
    }
  }
  return true;
}

bool TMailbox::StoreBody(TArticle& article, std::string_view text) {
  if (article.BodyOffset >= 0) return true;
  store_io::Writer body;
  if (!body.openAppending(path) ||
      body.position() + static_cast<std::int64_t>(kSeparatorSize + text.size()) > INT32_MAX) {
    return false;
  }
  const auto offset = static_cast<std::int32_t>(body.position());
  const auto bytes = static_cast<std::int32_t>(text.size());
  body.bytes(SeparatorLine(bytes, article.Date, TZ, Now()));
  body.bytes(text);
  if (!body.commit()) return false;
  article.Bytes = bytes;
  article.BodyOffset = offset;
  article.Set(NodeFlag::Deleted, false);
  Modified = true;
  const std::string header = HeaderPath();
  if (hasValidMagic(header, Kind)) {
    return store_io::WriteAt(header, 8, store_io::Int32Bytes(bodyFileSize(path)));
  }
  std::int64_t live = 0;
  return writeHeaderFile({}, live);
}

bool TMailbox::ReadBody(const TArticle& article, std::string& out) const {
  out.clear();
  if (article.BodyOffset < 0) return false;
  if (Kind == kStoreNewsgroup && article.Has(NodeFlag::Deleted)) return false;
  store_io::FileReader file;
  return file.open(path) && entryText(file, article.BodyOffset, article.Bytes, out);
}

bool TMailbox::Compact(const std::vector<TArticle*>& list) {
  store_io::FileReader in;
  store_io::Writer out;
  if (!in.open(path) || !out.openReplacing(path)) {
    report("Erreur pendant le compactage ");
    return false;
  }
  std::vector<std::int32_t> offsets(list.size(), -1);
  std::string text;
  const DateTime now = Now();
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TArticle* a = list[i];
    if (!a || a->BodyOffset < 0) continue;
    const bool keptInGroup = Kind == kStoreNewsgroup && a->Has(NodeFlag::Kept);
    if (a->Has(NodeFlag::Deleted) && !keptInGroup) continue;
    if (!entryText(in, a->BodyOffset, a->Bytes, text) ||
        out.position() + static_cast<std::int64_t>(kSeparatorSize + text.size()) > INT32_MAX) {
      out.abandon();
      report("Erreur pendant le compactage ");
      return false;
    }
    offsets[i] = static_cast<std::int32_t>(out.position());
    out.bytes(SeparatorLine(a->Bytes, a->Date, TZ, now));
    out.bytes(text);
  }
  if (!out.commit()) {
    report("Erreur pendant le compactage ");
    return false;
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (list[i]) list[i]->BodyOffset = offsets[i];
  }
  Modified = true;
  NeedsCompaction = false;
  return SaveHeaders(list, false);
}

void TMailbox::Purge() {
  store_io::RemoveFile(path);
  store_io::RemoveFile(HeaderPath());
  store_io::RemoveFile(ThreadLayoutPath());
}

TCacheBox::TCacheBox(std::string bodyPath, GroupNumbers* numbers)
    : TMailbox(kStoreNewsgroup, std::move(bodyPath)) {
  groupNumbers = numbers;
  const std::string header = HeaderPath();
  if (!store_io::FileExists(header)) {
    noHeaderFile_ = true;
  } else if (!hasValidMagic(header, Kind)) {
    Purge();
    noHeaderFile_ = true;
  } else {
    BodiesStored = store_io::FileExists(path);
  }
}

TCacheBox::~TCacheBox() {
  if (noHeaderFile_) {
    Purge();
  } else if (!BodiesStored) {
    store_io::RemoveFile(path);
  }
}

void TCacheBox::ApplyStorageChoice(StorageChoice choice) {
  BodiesStored = choice == kStoreHeadersAndBodies;
  SetNoHeaderFile(choice == kStoreNothing);
}

bool TMailbox::corrupt() const {
  report(HeaderPath() + " Corrompu ?      ");
  return false;
}

bool TMailbox::openHeaderFile(MappedFile& file, StoreFileHeader& h) const {
  if (!file.open(HeaderPath())) return false;
  store_io::Reader r(file.bytes());
  if (!readStoreHeader(r, Kind, h) || h.count < 0) return corrupt();
  return true;
}

bool TCacheBox::LoadHeaders(XoverView& view, bool rescore) {
  // Read through a bounded buffer rather than mapped: a store of millions
  // of headers would otherwise stay resident beside the records made from it.
  store_io::SequentialReader file(LoadBufferBytes);
  if (!file.open(HeaderPath())) return false;
  while (file.window().size() < kStoreHeaderSize && file.refill(0)) {
  }
  StoreHeader h;
  {
    store_io::Reader r(file.window());
    if (!readStoreHeader(r, Kind, h) || h.count < 0) return corrupt();
  }
  file.refill(kStoreHeaderSize);
  ExpiryDays = h.expiryDays;
  BodiesStored = (h.flags & 1) != 0;
  NeedsCompaction = (h.flags & 2) != 0;
  const bool bodiesUsable = BodiesStored && store_io::FileExists(path);
  GroupNumbers fallback;
  GroupNumbers& numbers = groupNumbers ? *groupNumbers : fallback;
  if (!numbers.known) {
    // The marks size the view's bit sets: damaged ones must not allocate.
    constexpr std::int64_t kLargestRange = std::int64_t{1} << 28;
    if (h.low < 0 || static_cast<std::int64_t>(h.high) - h.low + 1 < 0 ||
        static_cast<std::int64_t>(h.high) - h.low + 1 > kLargestRange) {
      return corrupt();
    }
    numbers.low = h.low;
    numbers.high = h.high;
    numbers.known = true;
    view.SizeSets(h.low, h.high);
  }
  Modified = false;
  auto& master = view.lists.masterList;
  const std::int64_t recordBytes =
      std::max<std::int64_t>(store_io::FileSize(HeaderPath()) - kStoreHeaderSize, 0);
  master.reserve(master.size() + std::min<std::size_t>(static_cast<std::size_t>(h.count),
                                                       recordBytes / kSmallestRecord));
  StringPool& pool = view.arena.Strings();
  const DateTime now = ExpiryDays > 0 ? Now() : 0;
  store_io::Reader r(file.window());
  for (std::int32_t k = 0; k < h.count;) {
    const std::size_t start = r.pos();
    r.prefetch(kLoadPrefetchDistance);
    const std::int32_t number = r.i32();
    const bool wanted = number >= numbers.low && number <= numbers.high;
    TArticle* a = r.ok() && wanted ? view.arena.New() : nullptr;
    if (a) a->Number = number;
    if (!r.ok() || !(a ? readRecordRest(r, Kind, *a, pool) : skipRecordRest(r))) {
      view.arena.Free(a);
      // A record that runs past the buffer is read again once the rest of
      // it is in; one that runs past the file's end is damage.
      if (!r.shortOfBytes() || !file.refill(start)) return corrupt();
      r = store_io::Reader(file.window());
      continue;
    }
    ++k;
    if (!a) {
      if (bodiesUsable) NeedsCompaction = true;
      continue;
    }
    a->QueuePosition = -1;
    a->Set(NodeFlag::Old);
    if (!bodiesUsable) a->BodyOffset = -1;
    const std::int32_t bit = number - view.lowMark;
    view.presentSet.set(bit);
    view.readSet.set(bit, a->Has(NodeFlag::Read));
    view.keptSet.set(bit, a->Has(NodeFlag::Kept));
    view.highestSeen = std::max(view.highestSeen, number);
    if (rescore && view.scorer && view.options.scoring) {
      a->SetScore(view.scorer->Score(*a, view.extraNames, view.extraValues.get()),
                  view.options.score);
    }
    const bool killed = a->EffectiveScore(view.options.score.KeptScore) <= kKilledScore && view.options.hardKill;
    const bool expired = ExpiryDays > 0 && now - a->Date > ExpiryDays;
    if ((killed || expired) && !a->Has(NodeFlag::Kept)) a->Set(NodeFlag::Deleted);
    if (a->Has(NodeFlag::Deleted)) {
      if (a->BodyOffset >= 0) NeedsCompaction = true;
      Modified = true;
      view.arena.Free(a);
      continue;
    }
    master.push_back(a);
  }
  return true;
}

TFolder::TFolder(std::string bodyPath, std::uint8_t kind) : TMailbox(kind, std::move(bodyPath)) {
  // A folder keeps every body it is given.
  BodiesStored = true;
  const std::string header = HeaderPath();
  if (!store_io::FileExists(path)) return;
  std::string head;
  bool valid = store_io::ReadAt(header, 0, kStoreHeaderSize, head) && head.size() == kStoreHeaderSize;
  if (valid) {
    store_io::Reader r(head);
    StoreHeader h;
    valid = readStoreHeader(r, Kind, h) && h.bodySize == bodyFileSize(path);
  }
  if (!valid) RebuildHeaderFile();
}

bool TFolder::LoadHeaders(ArticleArena& arena, std::vector<TArticle*>& masterList) {
  MappedFile file;
  StoreHeader h;
  if (!openHeaderFile(file, h)) return false;
  store_io::Reader r(file.bytes());
  r.seek(kStoreHeaderSize);
  NeedsCompaction = (h.flags & 2) != 0;
  Modified = false;
  masterList.reserve(masterList.size() + std::min<std::size_t>(static_cast<std::size_t>(h.count),
                                                               r.left() / kSmallestRecord));
  for (std::int32_t k = 0; k < h.count; ++k) {
    const auto start = static_cast<std::int32_t>(r.pos());
    TArticle* a = arena.New();
    if (!readRecordRest(r, Kind, *a, arena.Strings())) {
      arena.Free(a);
      return corrupt();
    }
    a->Set(NodeFlag::Old, false);
    a->Set(NodeFlag::Kept, false);
    a->Set(NodeFlag::ReplyToMe, false);
    a->Score = start;
    if (a->Has(NodeFlag::Deleted)) {
      if (a->BodyOffset >= 0) NeedsCompaction = true;
      Modified = true;
      arena.Free(a);
      continue;
    }
    masterList.push_back(a);
  }
  return true;
}

}  // namespace orvel
