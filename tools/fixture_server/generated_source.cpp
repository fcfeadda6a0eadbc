#include "generated_source.h"

#include <array>
#include <charconv>

#include "core/text.h"
#include "text_util.h"
#include "dates.h"

namespace orvel::fixture {

namespace {

constexpr std::int64_t kBlock = 40;
constexpr int kMaxRefs = 12;
constexpr std::int64_t kFirstDate = 1704067200;  // 2024-01-01 00:00:00 UTC
constexpr int kBinaryWidth = 128;
constexpr int kTextWidth = 64;

constexpr std::array<std::string_view, 48> kWords = {
    "linux",   "kernel",  "driver",   "network", "printer", "scanner", "camera",  "garden",
    "tomato",  "bicycle", "chain",    "brake",   "guitar",  "string",  "amplifier", "radio",
    "antenna", "weather", "forecast", "recipe",  "bread",   "cheese",  "wine",    "coffee",
    "train",   "station", "ticket",   "holiday", "beach",   "mountain", "river",  "bridge",
    "chess",   "opening", "endgame",  "novel",   "author",  "poem",    "telescope", "comet",
    "backup",  "archive", "compiler", "editor",  "keyboard", "monitor", "battery", "charger"};

constexpr std::array<std::string_view, 16> kAuthors = {
    "Alice Martin <alice@example.invalid>",
    "bob@example.invalid (Bob Stone)",
    "\"Claire Dubois\" <claire.dubois@example.invalid>",
    "Dan Okafor <dan@news.example.invalid>",
    "=?ISO-8859-1?Q?J=E9r=F4me_Dupr=E9?= <jerome@example.invalid>",
    "Eve <eve@example.invalid>",
    "frank@example.invalid",
    "Grace Li <grace.li@example.invalid>",
    "Hiro Tanaka <hiro@example.invalid>",
    "Ines Garcia <ines@example.invalid>",
    "poster@binaries.example.invalid (Binary Poster)",
    "Karl Weber <karl@example.invalid>",
    "=?UTF-8?B?w4lsb2RpZSBNw7xsbGVy?= <elodie@example.invalid>",
    "Mia Rossi <mia@example.invalid>",
    "Noor Haddad <noor@example.invalid>",
    "Olaf <olaf@example.invalid>"};

constexpr std::array<std::string_view, 6> kExtensions = {"rar", "jpg", "zip", "mp3", "par2", "png"};

std::uint64_t splitmix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

int digits(std::int64_t value) {
  int d = 1;
  while (value >= 10) {
    value /= 10;
    ++d;
  }
  return d;
}

void appendPadded(int value, int width, std::string& out) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) out.append(width - text.size(), '0');
  out += text;
}

}  // namespace

struct GeneratedSource::Meta {
  std::int64_t n = 0;
  bool binary = false;
  // Discussion: the thread's root and the ancestors from the root to the parent.
  std::int64_t root = 0;
  std::array<std::int64_t, kMaxRefs> refs{};
  int refCount = 0;
  // Binary: the file's key (its first article), this part and the part count.
  std::int64_t fileKey = 0;
  int part = 0;
  int parts = 0;
  std::int64_t lines = 0;
  int width = 0;
};

GeneratedSource::GeneratedSource(std::string host, std::string group, std::int64_t count,
                                 std::uint64_t seed)
    : host_(std::move(host)), group_(std::move(group)), seed_(seed), high_(count) {
  idSuffix_ = "." + std::to_string(seed_) + "@" + group_ + ">";
}

void GeneratedSource::setRange(std::int64_t low, std::int64_t high) {
  low_ = low < 1 ? 1 : low;
  high_ = high;
}

std::uint64_t GeneratedSource::mix(std::uint64_t a, std::uint64_t b) const {
  return splitmix(seed_ ^ splitmix(a * 0x100000001b3ULL + b));
}

std::optional<std::int64_t> GeneratedSource::next(std::int64_t n) const {
  if (n < low_) n = low_;
  if (n > high_) return std::nullopt;
  return n;
}

std::optional<std::int64_t> GeneratedSource::previous(std::int64_t n) const {
  if (n > high_) n = high_;
  if (n < low_) return std::nullopt;
  return n;
}

GeneratedSource::Meta GeneratedSource::meta(std::int64_t n) const {
  Meta m;
  m.n = n;
  const std::int64_t block = (n - 1) / kBlock;
  const std::int64_t start = block * kBlock + 1;
  const std::int64_t end = start + kBlock - 1;
  m.binary = mix(static_cast<std::uint64_t>(block), 1) % 100 < 30;
  if (m.binary) {
    std::int64_t pos = start;
    for (std::uint64_t k = 0;; ++k) {
      std::int64_t parts = 1 + static_cast<std::int64_t>(mix(static_cast<std::uint64_t>(block), 100 + k) % 12);
      if (pos + parts - 1 > end) parts = end - pos + 1;
      if (n < pos + parts) {
        m.fileKey = pos;
        m.part = static_cast<int>(n - pos + 1);
        m.parts = static_cast<int>(parts);
        break;
      }
      pos += parts;
    }
    m.width = kBinaryWidth;
    m.lines = 200 + static_cast<std::int64_t>(mix(static_cast<std::uint64_t>(n), 2) % 400);
    return m;
  }
  // Walk up the parents inside the block: each non-root article answers an
  // earlier one of the same block.
  std::array<std::int64_t, kBlock> chain{};
  int depth = 0;
  std::int64_t cur = n;
  while (true) {
    std::int64_t offset = cur - start;
    bool isRoot = offset == 0 || mix(static_cast<std::uint64_t>(cur), 3) % 4 == 0;
    if (isRoot) break;
    cur = start + static_cast<std::int64_t>(mix(static_cast<std::uint64_t>(cur), 4) % static_cast<std::uint64_t>(offset));
    chain[depth++] = cur;
  }
  m.root = cur;
  // References keep the root and the nearest ancestors, oldest first.
  int keep = depth < kMaxRefs ? depth : kMaxRefs;
  for (int i = 0; i < keep; ++i) {
    int from = i == 0 ? depth - 1 : keep - 1 - i;
    m.refs[i] = chain[from];
  }
  m.refCount = keep;
  m.width = kTextWidth;
  m.lines = 4 + static_cast<std::int64_t>(mix(static_cast<std::uint64_t>(n), 2) % 60);
  return m;
}

void GeneratedSource::appendMessageId(std::int64_t n, std::string& out) const {
  out += "<gen";
  appendNumber(n, out);
  out += idSuffix_;
}

void GeneratedSource::appendSubject(const Meta& m, std::string& out) const {
  if (m.binary) {
    std::uint64_t h = mix(static_cast<std::uint64_t>(m.fileKey), 5);
    out += kWords[h % kWords.size()];
    out += '-';
    out += kWords[(h >> 8) % kWords.size()];
    out += '-';
    appendPadded(static_cast<int>((h >> 16) % 1000), 3, out);
    out += '.';
    out += kExtensions[(h >> 32) % kExtensions.size()];
    out += " (";
    int width = digits(m.parts) < 2 ? 2 : digits(m.parts);
    appendPadded(m.part, width, out);
    out += '/';
    appendPadded(m.parts, width, out);
    out += ')';
    return;
  }
  if (m.root != m.n) out += "Re: ";
  std::uint64_t h = mix(static_cast<std::uint64_t>(m.root), 6);
  std::string_view a = kWords[h % kWords.size()];
  std::string_view b = kWords[(h >> 8) % kWords.size()];
  switch ((h >> 16) % 6) {
    case 0: out += "Question about "; out += a; out += " and "; out += b; break;
    case 1: out += a; out += ' '; out += b; out += " not working"; break;
    case 2: out += "Looking for a good "; out += a; break;
    case 3: out += "[ANN] "; out += a; out += '-'; out += b; out += " 1."; appendNumber(static_cast<std::int64_t>((h >> 24) % 10), out); break;
    case 4: out += "=?UTF-8?Q?Caf=C3=A9_et_"; out += a; out += "?="; break;
    default: out += "Your favourite "; out += a; out += '?'; break;
  }
}

void GeneratedSource::appendAuthor(const Meta& m, std::string& out) const {
  std::int64_t key = m.binary ? m.fileKey : m.n;
  out += kAuthors[mix(static_cast<std::uint64_t>(key), 7) % kAuthors.size()];
}

void GeneratedSource::appendReferences(const Meta& m, std::string& out) const {
  for (int i = 0; i < m.refCount; ++i) {
    if (i > 0) out += ' ';
    appendMessageId(m.refs[i], out);
  }
}

std::int64_t GeneratedSource::epochOf(std::int64_t n) const {
  return kFirstDate + n * 53 + static_cast<std::int64_t>(mix(static_cast<std::uint64_t>(n), 8) % 50);
}

void GeneratedSource::appendOverview(std::int64_t n, std::string& out) const {
  const Meta m = meta(n);
  appendNumber(n, out);
  std::size_t headerBytes = 0;
  auto field = [&](std::size_t nameLength, auto append) {
    out += '\t';
    std::size_t before = out.size();
    append();
    headerBytes += nameLength + 2 + (out.size() - before) + 2;  // "Name: value\r\n"
  };
  field(7, [&] { appendSubject(m, out); });
  field(4, [&] { appendAuthor(m, out); });
  field(4, [&] { appendArticleDate(epochOf(n), out); });
  field(10, [&] { appendMessageId(n, out); });
  out += '\t';
  if (m.refCount > 0) {
    std::size_t before = out.size();
    appendReferences(m, out);
    headerBytes += 10 + 2 + (out.size() - before) + 2;
  }
  // Path, Newsgroups, Lines and Xref, then the blank line and the body.
  headerBytes += 6 + host_.size() + 13 + 2;
  headerBytes += 12 + group_.size() + 2;
  headerBytes += 7 + static_cast<std::size_t>(digits(m.lines)) + 2;
  headerBytes += 6 + host_.size() + 1 + group_.size() + 1 + static_cast<std::size_t>(digits(n)) + 2;
  std::int64_t bytes = static_cast<std::int64_t>(headerBytes) + 2 + m.lines * (m.width + 2);
  out += '\t';
  appendNumber(bytes, out);
  out += '\t';
  appendNumber(m.lines, out);
  out += "\tXref: ";
  out += host_;
  out += ' ';
  out += group_;
  out += ':';
  appendNumber(n, out);
}

void GeneratedSource::appendBodyLine(const Meta& m, std::int64_t line, std::string& out) const {
  std::uint64_t h = mix(static_cast<std::uint64_t>(m.n) * 4096 + static_cast<std::uint64_t>(line), 9);
  std::size_t start = out.size();
  if (m.binary) {
    for (int i = 0; i < m.width; ++i) {
      if (i % 8 == 0) h = splitmix(h);
      out += static_cast<char>(33 + (h >> (i % 8 * 8)) % 94);
    }
  } else {
    if (m.root != m.n && line < 2) out += "> ";
    while (out.size() - start < static_cast<std::size_t>(m.width)) {
      h = splitmix(h);
      out += kWords[h % kWords.size()];
      out += ' ';
    }
    out.resize(start + m.width);
  }
  // Now and then a line starts with a dot, so dot-stuffing is exercised.
  if (h % 23 == 0) out[start] = '.';
  out += "\r\n";
}

std::string GeneratedSource::article(std::int64_t n) const {
  const Meta m = meta(n);
  std::string out;
  out.reserve(static_cast<std::size_t>(600 + m.lines * (m.width + 2)));
  out += "Path: " + host_ + "!not-for-mail\r\nFrom: ";
  appendAuthor(m, out);
  out += "\r\nNewsgroups: " + group_ + "\r\nSubject: ";
  appendSubject(m, out);
  out += "\r\nDate: ";
  appendArticleDate(epochOf(n), out);
  out += "\r\nMessage-ID: ";
  appendMessageId(n, out);
  if (m.refCount > 0) {
    out += "\r\nReferences: ";
    appendReferences(m, out);
  }
  out += "\r\nLines: ";
  appendNumber(m.lines, out);
  out += "\r\nXref: " + host_ + " " + group_ + ":";
  appendNumber(n, out);
  out += "\r\n\r\n";
  for (std::int64_t i = 0; i < m.lines; ++i) appendBodyLine(m, i, out);
  return out;
}

std::string GeneratedSource::messageId(std::int64_t n) const {
  std::string out;
  appendMessageId(n, out);
  return out;
}

std::optional<std::int64_t> GeneratedSource::findMessageId(std::string_view id) const {
  if (!id.starts_with("<gen") || !id.ends_with(idSuffix_)) return std::nullopt;
  std::string_view digitsText = id.substr(4, id.size() - 4 - idSuffix_.size());
  if (digitsText.empty() || digitsText.size() > 18 || digitsText[0] == '+' || digitsText[0] == '-') {
    return std::nullopt;
  }
  auto n = parseDecimal(digitsText);
  if (!n || !exists(*n)) return std::nullopt;
  return n;
}

}  // namespace orvel::fixture
