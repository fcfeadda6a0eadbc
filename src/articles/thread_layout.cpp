#include "articles/thread_layout.h"

#include <cstring>
#include <filesystem>
#include <optional>

#include "articles/sequential_reader.h"
#include "articles/store_io.h"

namespace orvel {

namespace {

constexpr char kMagic[4] = {'O', 'T', 'L', 'Y'};
constexpr std::int32_t kVersion = 1;
constexpr std::size_t kHeaderSize = 4 + 4 + 8 + 8 + 4 * 4;
constexpr std::size_t kReadBuffer = std::size_t{1} << 20;

struct FileStamp {
  std::int64_t size = -1;
  std::int64_t time = 0;
  bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> stampOf(const std::string& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return std::nullopt;
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  return FileStamp{static_cast<std::int64_t>(size),
                   static_cast<std::int64_t>(time.time_since_epoch().count())};
}

// The options that change which thread an article joins. The sort and the
// expansion are applied again on opening.
std::int32_t shapeOf(const ThreadOptions& options) {
  return (options.multiPartThreading ? 1 : 0) | (options.newSubjectNewThread ? 2 : 0);
}

bool layoutApplies(const ThreadOptions& options) {
  return options.threaded && !options.reconstructionRunning;
}

std::uint64_t zigzag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t unzigzag(std::uint64_t v) {
  return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

struct Header {
  FileStamp headers;
  std::int32_t shape = 0;
  std::int32_t articles = 0;
  std::int32_t roots = 0;
  std::int32_t threads = 0;
};

std::optional<Header> readHeader(std::string_view bytes) {
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    return std::nullopt;
  }
  store_io::Reader r(bytes.substr(sizeof kMagic));
  if (r.i32() != kVersion) return std::nullopt;
  Header h;
  h.headers.size = r.i64();
  h.headers.time = r.i64();
  h.shape = r.i32();
  h.articles = r.i32();
  h.roots = r.i32();
  h.threads = r.i32();
  const bool sane = h.articles >= 0 && h.roots >= 0 && h.roots <= h.articles && h.threads >= 0 &&
                    h.threads <= h.roots;
  if (!r.ok() || !sane) return std::nullopt;
  return h;
}

// Whether every article of the master list sits where its Thread and
// Position say: the state a threading pass leaves.
bool placedByAPass(const ViewLists& lists) {
  const auto& roots = lists.rootList;
  for (const TArticle* a : lists.masterList) {
    if (a->Position < 0) return false;
    const auto at = static_cast<std::size_t>(a->Position);
    if (const TAThread* t = a->Thread) {
      if (t->Position < 0 || static_cast<std::size_t>(t->Position) >= roots.size() ||
          roots[static_cast<std::size_t>(t->Position)] != t || at >= t->Articles.size() ||
          t->Articles[at] != a) {
        return false;
      }
    } else if (at >= roots.size() || roots[at] != a) {
      return false;
    }
  }
  std::size_t placed = 0;
  for (const TNode* root : lists.rootList) {
    const TAThread* t = root->AsThread();
    if (!t) {
      ++placed;
      continue;
    }
    if (t->Articles.empty()) return false;
    // An ordinary thread is named by its first article.
    if (!t->IsMultiPart() && t->Subject.view().data() != t->Articles.front()->Subject.view().data()) {
      return false;
    }
    placed += t->Articles.size();
  }
  return placed == lists.masterList.size();
}

void writeLayout(store_io::Writer& w, const FileStamp& stamp, const ViewLists& lists,
                 const ThreadOptions& options) {
  std::int32_t threads = 0;
  for (const TNode* root : lists.rootList) threads += root->IsThread() ? 1 : 0;
  w.bytes(std::string_view(kMagic, sizeof kMagic));
  w.i32(kVersion);
  w.i64(stamp.size);
  w.i64(stamp.time);
  w.i32(shapeOf(options));
  w.i32(static_cast<std::int32_t>(lists.masterList.size()));
  w.i32(static_cast<std::int32_t>(lists.rootList.size()));
  w.i32(threads);
  for (const TNode* root : lists.rootList) {
    const TAThread* t = root->AsThread();
    w.varint(t ? t->Articles.size() : 0);
    if (!t) continue;
    w.varint(static_cast<std::uint64_t>(t->PartsPresent + 1));
    w.varint(static_cast<std::uint64_t>(t->PartsTotal));
    if (t->IsMultiPart()) w.str(t->Subject.view());
  }
  std::int64_t previous = 0;
  for (const TArticle* a : lists.masterList) {
    w.varint(zigzag(a->Number - previous));
    previous = a->Number;
    const bool inThread = a->Thread != nullptr;
    w.varint(static_cast<std::uint64_t>(inThread ? a->Thread->Position : a->Position));
    w.varint(inThread ? static_cast<std::uint64_t>(a->Position) + 1 : 0);
    w.varint(static_cast<std::uint64_t>(a->Depth()));
    w.varint(static_cast<std::uint64_t>(static_cast<std::int64_t>(a->PartNumber) + 1));
  }
}

// Reads the layout into the lists; false at the first thing that does not
// match, with the lists' placement half done.
class LayoutReader {
 public:
  LayoutReader(ViewLists& lists, store_io::SequentialReader& file) : lists_(lists), file_(file) {}

  // Unread articles among those placed.
  std::int64_t unread() const { return unread_; }

  bool read(const Header& h) {
    file_.refill(kHeaderSize);
    r_ = store_io::Reader(file_.window());
    lists_.rootList.assign(static_cast<std::size_t>(h.roots), nullptr);
    std::int64_t inThreads = 0;
    for (std::int32_t k = 0; k < h.roots; ++k) {
      if (!entry([&] { return readRoot(k, inThreads); })) return false;
    }
    if (static_cast<std::int64_t>(lists_.threadNodes.size()) != h.threads ||
        inThreads + (h.roots - h.threads) != h.articles) {
      return false;
    }
    // Each article fills one slot no other took, and there are as many slots
    // as articles: when all are read, none is left empty.
    for (TArticle* a : lists_.masterList) {
      if (!entry([&] { return readArticle(*a); })) return false;
    }
    for (TAThread& t : lists_.threadNodes) {
      if (!t.IsMultiPart()) t.Subject = t.Articles.front()->Subject;
    }
    return true;
  }

 private:
  struct Placement {
    std::int64_t number = 0;
    std::uint64_t root = 0;
    std::uint64_t slot = 0;  // 0: the article is a root itself
    std::int32_t depth = 0;
    std::int32_t part = 0;
  };

  // Runs one entry's read, again once the rest of it is in the buffer.
  template <typename Read>
  bool entry(Read&& read) {
    while (true) {
      const std::size_t start = r_.pos();
      const bool valid = read();
      if (r_.ok()) return valid;
      if (!r_.shortOfBytes() || !file_.refill(start)) return false;
      r_ = store_io::Reader(file_.window());
    }
  }

  bool readRoot(std::int32_t k, std::int64_t& inThreads) {
    const std::uint64_t count = r_.varint();
    if (count == 0) return r_.ok();
    const std::uint64_t present = r_.varint();
    const std::uint64_t total = r_.varint();
    const std::string_view subject = present > 0 ? r_.str() : std::string_view();
    if (!r_.ok()) return false;
    inThreads += static_cast<std::int64_t>(count);
    if (inThreads > static_cast<std::int64_t>(lists_.masterList.size()) || present > INT32_MAX ||
        total > INT32_MAX) {
      return false;
    }
    TAThread& t = lists_.threadNodes.emplace_back();
    t.Articles.assign(count, nullptr);
    t.PartsPresent = static_cast<std::int32_t>(present) - 1;
    t.PartsTotal = static_cast<std::int32_t>(total);
    if (t.IsMultiPart()) t.SetOwnSubject(subject);
    t.Position = k;
    lists_.rootList[static_cast<std::size_t>(k)] = &t;
    return true;
  }

  bool readArticle(TArticle& a) {
    Placement p;
    p.number = previous_ + unzigzag(r_.varint());
    p.root = r_.varint();
    p.slot = r_.varint();
    const std::uint64_t depth = r_.varint();
    const std::uint64_t part = r_.varint();
    if (!r_.ok()) return false;
    if (p.root >= lists_.rootList.size() || depth > TNode::kMaxDepth || part > INT32_MAX) return false;
    p.depth = static_cast<std::int32_t>(depth);
    p.part = static_cast<std::int32_t>(static_cast<std::int64_t>(part) - 1);
    previous_ = p.number;
    return place(p, a);
  }

  bool place(const Placement& p, TArticle& a) {
    if (p.number != a.Number) return false;
    TNode*& node = lists_.rootList[p.root];
    if (p.slot == 0) {
      if (node) return false;
      node = &a;
      a.Thread = nullptr;
      a.Position = static_cast<std::int32_t>(p.root);
    } else {
      TAThread* t = node ? node->AsThread() : nullptr;
      if (!t || p.slot > t->Articles.size() || t->Articles[p.slot - 1]) return false;
      t->Articles[p.slot - 1] = &a;
      a.Thread = t;
      a.Position = static_cast<std::int32_t>(p.slot - 1);
    }
    a.SetDepth(p.depth);
    a.PartNumber = p.part;
    unread_ += a.Has(NodeFlag::Read) ? 0 : 1;
    return true;
  }

  ViewLists& lists_;
  store_io::SequentialReader& file_;
  store_io::Reader r_{std::string_view()};
  std::int64_t previous_ = 0;
  std::int64_t unread_ = 0;
};

void countStats(const ViewLists& lists, std::int64_t unread, ThreadStats& stats) {
  stats = ThreadStats{};
  stats.articles = static_cast<std::int64_t>(lists.masterList.size());
  stats.unread = unread;
  for (const TAThread& t : lists.threadNodes) {
    if (!t.IsMultiPart()) continue;
    ++stats.multiPart;
    if (t.PartsTotal >= 2 && t.PartsPresent == t.PartsTotal) ++stats.completeMultiPart;
  }
}

}  // namespace

bool ThreadLayoutCurrent(const ThreadLayoutFiles& files) {
  std::string head;
  if (!store_io::ReadAt(files.layout, 0, kHeaderSize, head)) return false;
  const auto h = readHeader(head);
  const auto stamp = stampOf(files.headers);
  return h && stamp && h->headers == *stamp;
}

bool SaveThreadLayout(const ThreadLayoutFiles& files, const ViewLists& lists,
                      const ThreadOptions& options) {
  const auto stamp = stampOf(files.headers);
  if (!stamp || !layoutApplies(options) || lists.viewList || lists.masterList.size() > INT32_MAX ||
      !placedByAPass(lists)) {
    return false;
  }
  store_io::Writer w;
  if (!w.openReplacing(files.layout)) return false;
  writeLayout(w, *stamp, lists, options);
  return w.commit();
}

bool ThreadFromLayout(const ThreadLayoutFiles& files, ViewLists& lists, const ThreadOptions& options,
                      ThreadStats& stats, Prompter* prompter) {
  if (!layoutApplies(options) || lists.viewList) return false;
  store_io::SequentialReader file(kReadBuffer);
  if (!file.open(files.layout)) return false;
  while (file.window().size() < kHeaderSize && file.refill(0)) {
  }
  const auto h = readHeader(file.window());
  const auto stamp = stampOf(files.headers);
  if (!h || !stamp || h->headers != *stamp || h->shape != shapeOf(options) ||
      static_cast<std::size_t>(h->articles) != lists.masterList.size()) {
    return false;
  }
  std::vector<TNode*>().swap(lists.rowList);
  lists.rootList.clear();
  lists.threadNodes.clear();
  LayoutReader reader(lists, file);
  if (!reader.read(*h)) {
    lists.rootList.clear();
    lists.threadNodes.clear();
    return false;
  }
  countStats(lists, reader.unread(), stats);
  FinishThreading(lists, options, stats, prompter);
  return true;
}

}  // namespace orvel
