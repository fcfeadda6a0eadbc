#pragma once
// The stores of a group, folder or queue: a header file of fixed-width numbers
// and counted strings (".hdr", ".qdr" for a queue), one record per article,
// and a body file (".mbx") of article texts, each behind a 46-byte separator
// line "From ???@0x" + 8 hex digits + the mailbox date + CRLF.
//
// Header file: 80-byte header (magic 2092001 + kind, record count, body-file
// size, expiry days, flags word, group low and high marks, 13 reserved
// words), then the records; all numbers 32-bit little-endian, the date an
// 8-byte double, strings a 32-bit length and the bytes. The header file is
// always rewritten whole through a temporary file; bodies are appended and
// the body file is rewritten whole only by Compact.
//
// TCacheBox is a newsgroup's store, TFolder a folder's or queue's; the view
// that opens a store owns it.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article.h"
#include "articles/article_date.h"

namespace orvel {

class Clock;
class Prompter;
class MappedFile;
struct XoverView;
class ArticleArena;

enum StoreKind : std::uint8_t {
  kStoreArchive = 1,
  kStoreOutbox = 2,
  kStoreSent = 3,
  kStoreNewsgroup = 4,
  kStoreQueue = 5,
};

inline constexpr std::int32_t kStoreMagic = 2092001;
inline constexpr std::size_t kStoreHeaderSize = 80;
inline constexpr std::size_t kSeparatorSize = 46;
inline constexpr std::string_view kSeparatorStart = "From ???@";

// The group's numbers as the view knows them (low and high marks).
struct GroupNumbers {
  std::int32_t low = 0;
  std::int32_t high = -1;
  bool known = false;
};

// Storage choices of a group and their menu texts.
enum StorageChoice : std::int32_t { kStoreNothing = 1, kStoreHeaders = 2, kStoreHeadersAndBodies = 3 };
inline constexpr std::string_view kStoreNothingText =
    "Ne &rien Stocker (purger le cache en sortant)";
inline constexpr std::string_view kStoreHeadersText = "Stocker &En-têtes seules";
inline constexpr std::string_view kStoreBodiesText = "Stocker En-têtes et &Articles";

// "data/[server] group.mbx" under the base directory.
std::string StoreBodyPath(std::string_view baseDir, std::string_view serverName,
                          std::string_view groupName);

// The separator line in front of a body of the given size.
std::string SeparatorLine(std::int32_t bytes, DateTime date, int tz, DateTime now);

// The 80-byte header of a header file (reserved words left out).
struct StoreFileHeader {
  std::int32_t count = 0;
  std::int32_t bodySize = 0;
  std::int32_t expiryDays = 0;
  std::int32_t flags = 0;
  std::int32_t low = 0;
  std::int32_t high = 0;
};

// A header file as it stands, for inspection: every record whatever its
// number, date or flags.
struct HeaderFileDump {
  std::uint8_t kind = 0;
  StoreFileHeader header;
  std::vector<TArticle*> records;  // held by the arena given
  bool complete = false;           // every counted record could be read
};
// False when the file cannot be read or its magic names no store kind.
bool ReadHeaderFile(const std::string& path, ArticleArena& arena, HeaderFileDump& out);

// One entry of a body file: its separator line's offset, and its text.
struct BodyEntry {
  std::int64_t offset = 0;
  std::int64_t textOffset = 0;
  std::int64_t bytes = 0;
};
// The entries of a body file's bytes. An entry whose separator announces its
// size (as ours do) ends there when a separator or the file's end follows;
// others end at the next separator line. A last entry cut short of its
// announced size is left out and tornBytes says how long it was.
std::vector<BodyEntry> ScanBodyEntries(std::string_view file, std::int64_t& tornBytes);
// The status text for a torn last entry dropped from a folder.
std::string TornEntryText(std::int64_t bytes);

// A stored entry of a folder, known by what does not change when the store
// is compacted: its date and subject.
struct FolderEntryKey {
  DateTime date = 0;
  std::string subject;

  bool operator==(const FolderEntryKey&) const = default;
};

// Flags set and cleared on a folder's entry (bits of NodeFlag).
struct FolderEntryChange {
  std::uint16_t set = 0;
  std::uint16_t clear = 0;
};
constexpr std::uint16_t FlagBit(NodeFlag flag) {
  return static_cast<std::uint16_t>(1u << static_cast<unsigned>(flag));
}

// Told of each article appended to a folder's files, by whichever store
// object appended it (the transfer's, not the open view's), and of entries
// deleted from outside the view. The folder is known by its body file's
// path; everything runs on the event-loop thread.
class FolderAppendObserver {
 public:
  virtual ~FolderAppendObserver() = default;
  // article as written (flags as the caller holds them), recordOffset the
  // position of its record in the header file.
  virtual void folderArticleAdded(const TArticle& article, std::string_view origin,
                                  std::int32_t recordOffset) = 0;
  // Changes the flags of the first live entry with that key; false when
  // none.
  virtual bool folderEntryChanged(const FolderEntryKey& key, const FolderEntryChange& change) = 0;
};
void WatchFolder(const std::string& bodyPath, FolderAppendObserver& observer);
void UnwatchFolder(FolderAppendObserver& observer);

// Changes a folder entry's flags: through the view that has the folder open,
// else in the store's header file. False when no live entry has the key or
// the store could not be written.
bool ChangeFolderEntry(const std::string& bodyPath, std::uint8_t kind, const FolderEntryKey& key,
                       const FolderEntryChange& change);
inline bool DeleteFolderEntry(const std::string& bodyPath, std::uint8_t kind,
                              const FolderEntryKey& key) {
  return ChangeFolderEntry(bodyPath, kind, key, {FlagBit(NodeFlag::Deleted), 0});
}

class TMailbox {
 public:
  virtual ~TMailbox() = default;
  TMailbox(const TMailbox&) = delete;
  TMailbox& operator=(const TMailbox&) = delete;

  std::uint8_t Kind;
  bool Modified = false;
  bool NeedsCompaction = false;
  bool BodiesStored = false;
  std::string path;  // the body file
  std::int32_t ExpiryDays = 0;
  GroupNumbers* groupNumbers = nullptr;

  // Settings and services.
  std::int32_t CompactPercent = 30;
  std::int32_t TZ = 0;              // hours x 100 plus minutes
  const Clock* clock = nullptr;     // none: the system clock
  Prompter* prompter = nullptr;     // error texts; none: silent

  bool NoHeaderFile() const { return noHeaderFile_; }
  // Setting it deletes the header file.
  void SetNoHeaderFile(bool value);
  std::string HeaderPath() const;
  // The threads kept beside the header file (see thread_layout.h).
  std::string ThreadLayoutPath() const;
  // Now as the store's dates count (GMT shifted by TZ).
  DateTime Now() const;

  // Rewrites the header file when Modified; with compaction allowed the body
  // file is compacted when enough of it is dead.
  bool SaveHeaders(const std::vector<TArticle*>& list, bool compactionAllowed);
  // Appends a record (and the text as its body when given) to the files:
  // both or, when a write fails (a full disk), neither; the files are left
  // as they were. A folder's watcher is told of the new article.
  bool AddArticle(TArticle& article, const std::string_view* text, std::string_view origin);
  bool StoreBody(TArticle& article, std::string_view text);
  bool ReadBody(const TArticle& article, std::string& out) const;
  // Copies the live bodies to a new body file; offsets change only on success.
  bool Compact(const std::vector<TArticle*>& list);
  void Purge();
  // Whether compaction is due with liveBytes of the body file still used.
  bool CompactionDue(std::int64_t liveBytes) const;

 protected:
  TMailbox(std::uint8_t kind, std::string bodyPath);
  bool keepsHeadersAndBodies() const { return BodiesStored && !noHeaderFile_; }
  void report(std::string_view text) const;
  std::int32_t flagsWord() const {
    return (BodiesStored ? 1 : 0) | (NeedsCompaction ? 2 : 0);
  }
  bool writeHeaderFile(const std::vector<TArticle*>& list, std::int64_t& liveBytes);
  // Reports the header file as damaged; returns false.
  bool corrupt() const;
  // Maps the header file and reads its header into h; false when the file
  // cannot be opened, or (reported) when its header is damaged.
  bool openHeaderFile(MappedFile& file, StoreFileHeader& h) const;
  // The body file's path without its extension.
  std::string basePath() const;

  bool noHeaderFile_ = false;
};

class TCacheBox : public TMailbox {
 public:
  TCacheBox(std::string bodyPath, GroupNumbers* numbers);

  // Bytes of the header file read at a time while loading (a record longer
  // than that is read whole all the same).
  std::size_t LoadBufferBytes = std::size_t{1} << 20;
  // Deletes both files when headers are not kept, the body file when bodies
  // are not stored.
  ~TCacheBox() override;

  // Loads the records into the view's master list (see the store notes in
  // the header download); false after a read error, keeping what was read.
  bool LoadHeaders(XoverView& view, bool rescore);
  void ApplyStorageChoice(StorageChoice choice);
};

class TFolder : public TMailbox {
 public:
  // A folder of the given kind; a header file that is missing, invalid or
  // out of step with the body file is rebuilt from the body file.
  TFolder(std::string bodyPath, std::uint8_t kind);

  // Loads every record; Score holds the record's position in the file.
  bool LoadHeaders(ArticleArena& arena, std::vector<TArticle*>& masterList);
  // Rebuilds the header file from the body file's entries; a torn last
  // entry is cut off the body file (DroppedBytes counts it).
  bool RebuildHeaderFile();
  // Bytes of torn entries dropped by the rebuilds of this object.
  std::int64_t DroppedBytes() const { return droppedBytes_; }

 private:
  std::int64_t droppedBytes_ = 0;
};

}  // namespace orvel
