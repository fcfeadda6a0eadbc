#include "corpus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "corpus_text.h"

namespace orvel::corpus {

namespace {

constexpr std::int32_t kBlock = 4096;
constexpr int kMaxDepth = 20;
constexpr double kBinaryShare = 0.15;
constexpr std::int64_t kStartTime = 1704067200;  // 2024-01-01 00:00:00 GMT
constexpr std::int64_t kSecondsPerArticle = 40;
constexpr int kDataLineLength = 128;

struct Node {
  std::int32_t item = 0;
  std::int32_t parent = -1;  // slot of the parent
  std::int32_t part = 0;
  std::int32_t lines = 0;
  std::uint32_t author = 0;
  std::uint8_t depth = 0;
  bool binary = false;
  std::uint64_t salt = 0;
  double key = 0;
};

struct Item {
  bool binary = false;
  bool encoded = false;
  std::uint8_t crossPosts = 0;
  std::uint8_t style = 0;
  std::int32_t total = 0;       // parts announced
  std::int32_t partLines = 0;   // lines of every part but the last
  std::int32_t lastLines = 0;
  std::uint64_t salt = 0;
};

std::uint32_t zipfAuthor(Random& r) {
  return static_cast<std::uint32_t>(kAuthorCount * std::pow(r.unit(), 2.2)) % kAuthorCount;
}

void civil(std::int64_t days, int& y, int& m, int& d) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

std::string dateText(std::int64_t utc, int zone) {
  const int sign = zone < 0 ? -1 : 1;
  const int minutes = sign * ((sign * zone) / 100 * 60 + (sign * zone) % 100);
  const std::int64_t local = utc + minutes * 60;
  const std::int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
  const std::int64_t secs = local - days * 86400;
  int y, m, d;
  civil(days, y, m, d);
  static const char* kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
  static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %d %s %d %02d:%02d:%02d %c%04d",
                kDays[((days % 7) + 7) % 7], d, kMonths[m - 1], y, static_cast<int>(secs / 3600),
                static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60), zone < 0 ? '-' : '+',
                zone < 0 ? -zone : zone);
  return buf;
}

std::string base36(std::uint64_t v, int digits) {
  std::string s(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    s[static_cast<std::size_t>(i)] = "0123456789abcdefghijklmnopqrstuvwxyz"[v % 36];
    v /= 36;
  }
  return s;
}

std::string padded(std::int32_t n, std::int32_t width) {
  std::string s = std::to_string(n);
  while (static_cast<std::int32_t>(s.size()) < width) s.insert(s.begin(), '0');
  return s;
}

// Line lengths of a text body; the words come from another stream, so sizes
// are known without writing the text.
struct TextShape {
  std::int32_t quoted = 0;
  std::vector<std::uint8_t> lengths;
};

TextShape textShape(const Node& n) {
  TextShape shape;
  Random r(n.salt);
  shape.lengths.resize(static_cast<std::size_t>(n.lines));
  for (auto& l : shape.lengths) l = static_cast<std::uint8_t>(20 + r.below(53));
  if (n.parent >= 0) shape.quoted = std::min<std::int32_t>(n.lines / 3, 4);
  return shape;
}

}  // namespace

struct Corpus::Plan {
  std::int32_t block = -1;
  std::vector<Node> nodes;        // by slot
  std::vector<Item> items;
  std::vector<std::int32_t> slotAt;   // offset in the block -> slot
  std::vector<std::int32_t> offsetOf;  // slot -> offset in the block
};

namespace {

void planSeries(Corpus::Plan& plan, Random& r, std::int32_t room) {
  Item item;
  item.binary = true;
  item.total = 2 + static_cast<std::int32_t>(std::pow(r.unit(), 2.5) * 198);
  item.total = std::min(item.total, room);
  item.partLines = 2000 + static_cast<std::int32_t>(r.below(3000));
  item.lastLines = 10 + static_cast<std::int32_t>(r.below(static_cast<std::uint32_t>(item.partLines)));
  item.style = static_cast<std::uint8_t>(r.below(3));
  item.crossPosts = r.chance(0.1) ? static_cast<std::uint8_t>(1 + r.below(2)) : 0;
  item.salt = r.next();
  const std::uint32_t poster = zipfAuthor(r);
  const double start = r.unit();
  const auto index = static_cast<std::int32_t>(plan.items.size());
  plan.items.push_back(item);
  for (std::int32_t k = 1; k <= item.total; ++k) {
    if (item.total > 2 && r.chance(0.03)) continue;  // a part the server lost
    const int copies = r.chance(0.01) ? 2 : 1;       // a part posted twice
    for (int c = 0; c < copies && static_cast<std::int32_t>(plan.nodes.size()) < kBlock; ++c) {
      Node n;
      n.item = index;
      n.binary = true;
      n.part = k;
      n.lines = k == item.total ? item.lastLines : item.partLines;
      n.author = poster;
      n.salt = r.next();
      n.key = start + k * 1e-6 + c * 5e-7;
      plan.nodes.push_back(n);
    }
  }
}

void planThread(Corpus::Plan& plan, Random& r, std::int32_t room) {
  Item item;
  item.encoded = r.chance(0.06);
  item.crossPosts = r.chance(0.1) ? static_cast<std::uint8_t>(1 + r.below(4)) : 0;
  item.salt = r.next();
  std::int32_t size = 1 + static_cast<std::int32_t>(std::pow(r.unit(), 3) * 40);
  if (r.chance(0.01)) size = 100 + static_cast<std::int32_t>(r.below(200));
  size = std::min(size, room);
  const auto index = static_cast<std::int32_t>(plan.items.size());
  plan.items.push_back(item);
  const auto first = static_cast<std::int32_t>(plan.nodes.size());
  for (std::int32_t j = 0; j < size; ++j) {
    Node n;
    n.item = index;
    n.author = zipfAuthor(r);
    n.salt = r.next();
    n.lines = 5 + static_cast<std::int32_t>(std::pow(r.unit(), 2) * 75);
    if (j == 0) {
      n.key = r.unit();
    } else {
      // Mostly answers to the latest article (long chains), else to any earlier one.
      std::int32_t parent = r.chance(0.4) ? first + j - 1 : first + static_cast<std::int32_t>(r.below(static_cast<std::uint32_t>(j)));
      while (plan.nodes[static_cast<std::size_t>(parent)].depth >= kMaxDepth) {
        parent = plan.nodes[static_cast<std::size_t>(parent)].parent;
      }
      const Node& p = plan.nodes[static_cast<std::size_t>(parent)];
      n.parent = parent;
      n.depth = static_cast<std::uint8_t>(p.depth + 1);
      n.key = p.key + r.unit() * 0.01;
    }
    plan.nodes.push_back(n);
  }
}

}  // namespace

Corpus::Corpus(std::string group, std::uint64_t seed) : group_(std::move(group)), seed_(seed) {}
Corpus::~Corpus() = default;

const Corpus::Plan& Corpus::planFor(std::int32_t block) {
  if (cached_ && cached_->block == block) return *cached_;
  auto plan = std::make_unique<Plan>();
  plan->block = block;
  plan->nodes.reserve(kBlock);
  Random r(Mix(seed_ ^ HashText(group_), static_cast<std::uint64_t>(block)));
  std::int64_t binaries = 0;
  while (static_cast<std::int32_t>(plan->nodes.size()) < kBlock) {
    const std::int32_t room = kBlock - static_cast<std::int32_t>(plan->nodes.size());
    const double share = static_cast<double>(binaries) / std::max<double>(1, plan->nodes.size());
    const std::size_t before = plan->nodes.size();
    if (room >= 2 && share < kBinaryShare && r.chance(0.12)) {
      planSeries(*plan, r, room);
      binaries += static_cast<std::int64_t>(plan->nodes.size() - before);
    } else {
      planThread(*plan, r, room);
    }
  }
  std::vector<std::int32_t> order(plan->nodes.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    return plan->nodes[static_cast<std::size_t>(a)].key < plan->nodes[static_cast<std::size_t>(b)].key;
  });
  plan->slotAt = order;
  plan->offsetOf.assign(order.size(), 0);
  for (std::size_t off = 0; off < order.size(); ++off) {
    plan->offsetOf[static_cast<std::size_t>(order[off])] = static_cast<std::int32_t>(off);
  }
  // Some replies reach the server before their parents.
  for (std::size_t slot = 0; slot < plan->nodes.size(); ++slot) {
    const Node& n = plan->nodes[slot];
    if (n.parent < 0 || !r.chance(0.08)) continue;
    auto& mine = plan->offsetOf[slot];
    auto& theirs = plan->offsetOf[static_cast<std::size_t>(n.parent)];
    if (theirs < mine) {
      std::swap(mine, theirs);
      plan->slotAt[static_cast<std::size_t>(mine)] = static_cast<std::int32_t>(slot);
      plan->slotAt[static_cast<std::size_t>(theirs)] = n.parent;
    }
  }
  cached_ = std::move(plan);
  return *cached_;
}

namespace {

struct Located {
  const Corpus::Plan* plan;
  std::int32_t slot;
  std::int32_t blockStart;  // number of the block's first article
};

std::int32_t numberOf(const Located& at, std::int32_t slot) {
  return at.blockStart + at.plan->offsetOf[static_cast<std::size_t>(slot)];
}

std::string messageIdOf(std::uint64_t seed, const Located& at, std::int32_t slot) {
  const std::int32_t number = numberOf(at, slot);
  const Node& n = at.plan->nodes[static_cast<std::size_t>(slot)];
  return "<" + base36(Mix(seed, static_cast<std::uint64_t>(number)), 12) + "." +
         std::to_string(number) + "@" + AuthorDomain(n.author) + ">";
}

std::string subjectOf(const Located& at, const Node& n) {
  const Item& item = at.plan->items[static_cast<std::size_t>(n.item)];
  Random r(item.salt);
  if (!item.binary) {
    const std::string subject = Subject(r, item.encoded);
    return n.parent >= 0 ? "Re: " + subject : subject;
  }
  const std::string file = FileName(r);
  const std::string total = std::to_string(item.total);
  const auto width = static_cast<std::int32_t>(total.size());
  switch (item.style) {
    case 0:
      return "\"" + file + "\" yEnc (" + std::to_string(n.part) + "/" + total + ")";
    case 1:
      return Subject(r, false) + " - \"" + file + "\" yEnc (" + padded(n.part, width) + "/" + total +
             ")";
    default:
      return "[" + std::to_string(item.salt % 90 + 10) + "] - \"" + file + "\" - " +
             std::to_string(item.total * 380) + " KB [" + padded(n.part, width) + "/" + total +
             "]";
  }
}

std::string referencesOf(std::uint64_t seed, const Located& at, const Node& n) {
  std::vector<std::int32_t> chain;
  for (std::int32_t p = n.parent; p >= 0; p = at.plan->nodes[static_cast<std::size_t>(p)].parent) {
    chain.push_back(p);
  }
  std::string refs;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!refs.empty()) refs += ' ';
    refs += messageIdOf(seed, at, *it);
  }
  return refs;
}

// Body size in bytes (CRLF lines) and, when out is given, the body itself.
std::int64_t textBody(const Node& n, std::string* out) {
  const TextShape shape = textShape(n);
  std::int64_t size = 0;
  Random words(n.salt ^ 0x5DEECE66Dull);
  for (std::size_t i = 0; i < shape.lengths.size(); ++i) {
    const std::size_t length = shape.lengths[i];
    size += static_cast<std::int64_t>(length) + 2;
    if (!out) continue;
    std::string line = static_cast<std::int32_t>(i) < shape.quoted ? "> " : "";
    line += TextLine(words, length);
    line.resize(length);
    *out += line;
    *out += "\r\n";
  }
  return size;
}

std::string ybegin(const Item& item, const Node& n, const std::string& file) {
  const std::int64_t size = static_cast<std::int64_t>(item.partLines) * (item.total - 1) * kDataLineLength +
                            static_cast<std::int64_t>(item.lastLines) * kDataLineLength;
  return "=ybegin part=" + std::to_string(n.part) + " total=" + std::to_string(item.total) +
         " line=128 size=" + std::to_string(size) + " name=" + file;
}

std::int64_t binaryBody(const Item& item, const Node& n, std::string* out) {
  Random names(item.salt);
  const std::string file = FileName(names);
  const std::int64_t dataLines = std::max(n.lines - 3, 0);
  const std::int64_t begin =
      static_cast<std::int64_t>(item.partLines) * (n.part - 1) * kDataLineLength + 1;
  const std::int64_t end = begin + dataLines * kDataLineLength - 1;
  const std::string head = ybegin(item, n, file) + "\r\n=ypart begin=" + std::to_string(begin) +
                           " end=" + std::to_string(end) + "\r\n";
  const std::string tail = "=yend size=" + std::to_string(dataLines * kDataLineLength) +
                           " part=" + std::to_string(n.part) + "\r\n";
  if (out) {
    *out += head;
    Random data(n.salt);
    std::string line(kDataLineLength, ' ');
    for (std::int64_t i = 0; i < dataLines; ++i) {
      for (auto& c : line) {
        c = static_cast<char>(42 + data.below(85));
        if (c == '=') c = '+';
      }
      *out += line;
      *out += "\r\n";
    }
    *out += tail;
  }
  return static_cast<std::int64_t>(head.size() + tail.size()) + dataLines * (kDataLineLength + 2);
}

}  // namespace

Header Corpus::HeaderOf(std::int32_t number) {
  const std::int32_t index = std::max(number, 1) - 1;
  const Plan& plan = planFor(index / kBlock);
  const Located at{&plan, plan.slotAt[static_cast<std::size_t>(index % kBlock)],
                   index / kBlock * kBlock + 1};
  const Node& n = plan.nodes[static_cast<std::size_t>(at.slot)];
  const Item& item = plan.items[static_cast<std::size_t>(n.item)];
  Header h;
  h.number = number;
  h.subject = subjectOf(at, n);
  h.from = AuthorFrom(n.author);
  const std::int64_t utc = kStartTime + static_cast<std::int64_t>(index) * kSecondsPerArticle +
                           static_cast<std::int64_t>(n.salt % 1200) - 600;
  h.date = dateText(utc, AuthorZone(n.author));
  h.messageId = messageIdOf(seed_, at, at.slot);
  h.references = referencesOf(seed_, at, n);
  h.newsgroups = group_;
  h.xref = std::string("Xref: ") + kHost + " " + group_ + ":" + std::to_string(number);
  Random cross(item.salt ^ 0xC0FFEEull);
  for (std::uint8_t k = 0; k < item.crossPosts; ++k) {
    const std::string other = OtherGroup(cross.below(1000));
    if (other == group_) continue;
    h.newsgroups += "," + other;
    h.xref += " " + other + ":" + std::to_string(number / 3 + 1000 + k);
  }
  h.lines = n.lines;
  const std::int64_t body = n.binary ? binaryBody(item, n, nullptr) : textBody(n, nullptr);
  h.bytes = static_cast<std::int32_t>(std::min<std::int64_t>(
      body + 2 + static_cast<std::int64_t>(headerBlock(h).size()), INT32_MAX));
  return h;
}

std::string Corpus::OverviewLine(std::int32_t number) {
  const Header h = HeaderOf(number);
  std::string line;
  line.reserve(256 + h.references.size());
  line += std::to_string(h.number);
  for (const std::string* field : {&h.subject, &h.from, &h.date, &h.messageId, &h.references}) {
    line += '\t';
    line += *field;
  }
  line += '\t' + std::to_string(h.bytes) + '\t' + std::to_string(h.lines) + '\t' + h.xref + "\r\n";
  return line;
}

std::string Corpus::ArticleText(std::int32_t number) {
  const Header h = HeaderOf(number);
  const std::int32_t index = std::max(number, 1) - 1;
  const Plan& plan = planFor(index / kBlock);
  const Node& n = plan.nodes[static_cast<std::size_t>(plan.slotAt[static_cast<std::size_t>(index % kBlock)])];
  std::string text = headerBlock(h) + "\r\n";
  if (n.binary) {
    binaryBody(plan.items[static_cast<std::size_t>(n.item)], n, &text);
  } else {
    textBody(n, &text);
  }
  return text;
}

std::string Corpus::headerBlock(const Header& h) {
  std::string block = std::string("Path: ") + kHost + "!not-for-mail\r\nFrom: " + h.from +
                      "\r\nNewsgroups: " + h.newsgroups + "\r\nSubject: " + h.subject +
                      "\r\nDate: " + h.date + "\r\nMessage-ID: " + h.messageId + "\r\n";
  if (!h.references.empty()) block += "References: " + h.references + "\r\n";
  block += "Lines: " + std::to_string(h.lines) + "\r\n" + h.xref + "\r\n";
  return block;
}

}  // namespace orvel::corpus
