#pragma once
// The rows of a group view: TArticle (one header) and TAThread (a collapsible
// thread), both TNode, which carries what the list shows for a row.
//
// Records are the hot data of the program (a large group holds millions), so
// they are compact: strings are PooledString pointers into the view's string
// pool, a reply's References link to its parent's (PooledReferences), the
// depth shares a word with the node's kind, and the two kinds are told apart
// by that tag instead of a virtual table. SetScore and IsQueued dispatch on it.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "articles/string_pool.h"

namespace orvel {

class TArticle;
class TAThread;

// Flag numbers are written to the store files: never renumber them.
enum class NodeFlag : std::uint8_t {
  Read = 0,
  Kept = 1,
  Deleted = 3,
  MailWanted = 4,
  PostWanted = 5,
  MailSent = 6,
  Posted = 7,
  Old = 8,
  Fetching = 10,
  ReplyToMe = 11,
  HasAttachments = 12,
  Missing = 13,
  SomeRead = 14,
};

inline constexpr std::int32_t kKilledScore = -9999;
inline constexpr std::int32_t kTopScore = 9999;

// The score settings a view applies (KeptScore, ThreadScoreOpt).
struct ScoreOptions {
  std::int32_t KeptScore = 8888;
  std::int32_t ThreadScoreOpt = 0;  // 0 maximum, 1 first non-zero best, 2 sum
};

class TNode {
 public:
  std::int32_t Score = 0;
  std::uint16_t Flags = 0;

 private:
  // The depth in its thread, the node's kind and, for an article, whether
  // its parent was cleared, in one word beside Flags.
  static constexpr std::uint16_t kThreadBit = 0x8000;
  static constexpr std::uint16_t kNoParentBit = 0x4000;
  static constexpr std::uint16_t kDepthMask = 0x3FFF;
  std::uint16_t shape_;

 public:
  // Depths past this one (a reply chain of sixteen thousand) are all shown
  // at it.
  static constexpr std::int32_t kMaxDepth = kDepthMask;

  PooledString Subject;
  std::int32_t Position = -1;
  std::int32_t SourceIndex = -1;

  std::int32_t Depth() const { return shape_ & kDepthMask; }
  void SetDepth(std::int32_t depth) {
    const auto d = static_cast<std::uint16_t>(std::clamp(depth, 0, kMaxDepth));
    shape_ = static_cast<std::uint16_t>((shape_ & ~kDepthMask) | d);
  }

  bool IsThread() const { return (shape_ & kThreadBit) != 0; }
  TArticle* AsArticle();
  const TArticle* AsArticle() const;
  TAThread* AsThread();
  const TAThread* AsThread() const;

  bool Has(NodeFlag f) const { return (Flags >> static_cast<unsigned>(f)) & 1u; }
  void Set(NodeFlag f, bool on = true) {
    const auto bit = static_cast<std::uint16_t>(1u << static_cast<unsigned>(f));
    Flags = on ? static_cast<std::uint16_t>(Flags | bit) : static_cast<std::uint16_t>(Flags & ~bit);
  }

  // 9999 for a reply to the user, -9999 when deleted, else Score, raised to
  // keptScore (when at least 1) for a kept node.
  std::int32_t EffectiveScore(std::int32_t keptScore) const;

  // Article: stores the score and recomputes its thread's. Thread: stores it
  // in the thread and every article of it.
  void SetScore(std::int32_t score, const ScoreOptions& options);
  bool IsQueued() const;

  ~TNode() = default;

 protected:
  explicit TNode(bool isThread) : shape_(isThread ? kThreadBit : kNoParentBit) {}
  bool noParent() const { return (shape_ & kNoParentBit) != 0; }
  void setNoParent(bool on) {
    shape_ = static_cast<std::uint16_t>(on ? shape_ | kNoParentBit : shape_ & ~kNoParentBit);
  }
  TNode(const TNode&) = default;
  TNode& operator=(const TNode&) = default;
};

class TArticle : public TNode {
 public:
  TArticle() : TNode(false) {}

  // The order of the fields packs the record into 96 bytes.
  std::int32_t PartNumber = -1;
  std::int32_t QueuePosition = -1;
  std::int32_t Number = 0;
  std::int32_t BodyOffset = -1;
  std::int32_t Lines = 0;
  std::int32_t Bytes = 0;
  PooledString Xref;
  PooledString MessageID;
  PooledReferences References;
  TAThread* Thread = nullptr;

  double Date = 0;

  // The author's name and address (one shared record per author).
  std::string_view FromName() const { return author_ ? author_->Name.view() : std::string_view{}; }
  std::string_view FromAddress() const {
    return author_ ? author_->Address.view() : std::string_view{};
  }
  void SetFrom(StringPool& pool, std::string_view name, std::string_view address) {
    author_ = pool.InternAuthor(name, address);
  }
  const TAuthor* Author() const { return author_; }
  void SetAuthor(const TAuthor* author) { author_ = author; }

  // The last Message-ID of References, empty when none (or cleared).
  std::string_view ParentID() const {
    if (noParent()) return {};
    if (References.IsLink()) return References.LinkedParentID();
    // The text ends with the parent's ID (SetReferences trimmed it there).
    const std::string_view text = References.PlainText();
    const std::size_t open = text.rfind('<');
    return open == std::string_view::npos ? text : text.substr(open);
  }
  bool HasParent() const { return !noParent(); }
  // Loads the record's cache lines ahead of a pass over many records.
  void PrefetchRecord() const {
    PrefetchRead(this);
    PrefetchRead(reinterpret_cast<const char*>(this) + 64);
  }
  // Loads the start of References (a text or a link) ahead of
  // PrefetchParentID.
  void PrefetchReferences() const {
    if (HasParent()) References.Prefetch();
  }
  // Loads the parent's ID ahead of a look-up; a link's node must have been
  // loaded by PrefetchReferences.
  void PrefetchParentID() const {
    if (!HasParent()) return;
    References.PrefetchParentID();
  }
  // References trimmed after its last ">" and ParentID from it (LastReference).
  // Set after MessageID: the article is then remembered as a parent whose
  // replies' References can link to it.
  void SetReferences(StringPool& pool, std::string_view references);
  void ClearParentID() { setNoParent(true); }

  // Read sets flags 0 and 14 together and updates the thread's read state.
  void SetRead(bool read);

 private:
  const TAuthor* author_ = nullptr;
};

class TAThread : public TNode {
 public:
  TAThread() : TNode(true) {}

  std::vector<TArticle*> Articles;
  bool Expanded = true;
  std::int32_t PartsPresent = -1;
  std::int32_t PartsTotal = 0;

  // A subject of the thread's own (the multi-part key).
  void SetOwnSubject(std::string_view text) {
    ownSubject_.assign(text);
    Subject = ownSubject_.get();
  }
  // The thread score from its articles' effective scores by ThreadScoreOpt.
  void RecomputeScore(const ScoreOptions& options);
  bool IsMultiPart() const { return PartsPresent >= 0; }

 private:
  OwnedString ownSubject_;
};

inline TArticle* TNode::AsArticle() { return IsThread() ? nullptr : static_cast<TArticle*>(this); }
inline const TArticle* TNode::AsArticle() const {
  return IsThread() ? nullptr : static_cast<const TArticle*>(this);
}
inline TAThread* TNode::AsThread() { return IsThread() ? static_cast<TAThread*>(this) : nullptr; }
inline const TAThread* TNode::AsThread() const {
  return IsThread() ? static_cast<const TAThread*>(this) : nullptr;
}

// Recomputes a thread's Read, SomeRead, Kept and Deleted flags, and applies the
// kept score (see the threading pass).
void UpdateThreadState(TAThread& thread, std::int32_t keptScore);
// Only the Read and SomeRead flags.
void UpdateThreadReadState(TAThread& thread);

}  // namespace orvel
