#pragma once
// The rows of a group view: TArticle (one header) and TAThread (a collapsible
// thread), both TNode, which carries what the list shows for a row.
//
// Records are the hot data of the program (a large group holds millions), so
// they are compact: strings are PooledString pointers into the view's string
// pool, ParentID is kept as the start of the last Message-ID inside
// References, and the two node kinds are told apart by a tag instead of a
// virtual table. SetScore and IsQueued dispatch on that tag.

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
  bool isThread_;

 public:
  PooledString Subject;
  std::int32_t Position = -1;
  std::int32_t SourceIndex = -1;
  std::int32_t Depth = 0;

  bool IsThread() const { return isThread_; }
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
  explicit TNode(bool isThread) : isThread_(isThread) {}
  TNode(const TNode&) = default;
  TNode& operator=(const TNode&) = default;
};

class TArticle : public TNode {
 public:
  TArticle() : TNode(false) {}

  // The order of the fields packs the record into 104 bytes.
  std::int32_t PartNumber = -1;
  PooledString Xref;
  PooledString MessageID;
  PooledReferences References;
  TAThread* Thread = nullptr;
  std::int32_t QueuePosition = -1;
  std::int32_t Number = 0;
  std::int32_t BodyOffset = -1;
  std::int32_t Lines = 0;
  std::int32_t Bytes = 0;

 private:
  static constexpr std::uint32_t kNoParent = 0xFFFFFFFFu;
  std::uint32_t parentStart_ = kNoParent;  // where ParentID starts in References

 public:
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
    if (parentStart_ == kNoParent) return {};
    return References.IsLink() ? References.LinkedParentID()
                               : References.PlainText().substr(parentStart_);
  }
  bool HasParent() const { return parentStart_ != kNoParent; }
  // Loads the start of References (a text or a link) ahead of
  // PrefetchParentID.
  void PrefetchReferences() const {
    if (HasParent()) References.Prefetch();
  }
  // Loads the parent's ID ahead of a look-up; a link's node must have been
  // loaded by PrefetchReferences.
  void PrefetchParentID() const {
    if (!HasParent()) return;
    if (References.IsLink()) {
      References.PrefetchLinkedParentID();
    } else {
      References.PrefetchAt(parentStart_);
    }
  }
  // References trimmed after its last ">" and ParentID from it (LastReference).
  // Set after MessageID: the article is then remembered as a parent whose
  // replies' References can link to it.
  void SetReferences(StringPool& pool, std::string_view references);
  void ClearParentID() { parentStart_ = kNoParent; }

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

inline TArticle* TNode::AsArticle() { return isThread_ ? nullptr : static_cast<TArticle*>(this); }
inline const TArticle* TNode::AsArticle() const {
  return isThread_ ? nullptr : static_cast<const TArticle*>(this);
}
inline TAThread* TNode::AsThread() { return isThread_ ? static_cast<TAThread*>(this) : nullptr; }
inline const TAThread* TNode::AsThread() const {
  return isThread_ ? static_cast<const TAThread*>(this) : nullptr;
}

// Recomputes a thread's Read, SomeRead, Kept and Deleted flags, and applies the
// kept score (see the threading pass).
void UpdateThreadState(TAThread& thread, std::int32_t keptScore);
// Only the Read and SomeRead flags.
void UpdateThreadReadState(TAThread& thread);

}  // namespace orvel
