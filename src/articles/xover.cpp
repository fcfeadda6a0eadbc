#include "articles/xover.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "articles/article_date.h"
#include "articles/header_utils.h"
#include "core/encoded_words.h"
#include "core/prompter.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr std::size_t kFieldCount = 9;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// A trimmed decimal integer (optional sign), or fallback when the field is
// anything else or leaves the 32-bit range.
std::int32_t fieldInt(std::string_view field, std::int32_t fallback) {
  // Nearly every field is a few plain digits: read them without trimming.
  if (!field.empty() && field.size() <= 9) {
    std::int32_t value = 0;
    std::size_t k = 0;
    for (; k < field.size() && field[k] >= '0' && field[k] <= '9'; ++k) {
      value = value * 10 + (field[k] - '0');
    }
    if (k == field.size()) return value;
  }
  field = trimView(field);
  if (!field.empty() && field[0] == '+') field.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (ec != std::errc() || end != field.data() + field.size() || field.empty()) return fallback;
  return value;
}

// Splits a line (without its line feed) into the overview fields. A field
// ends at a tab, a CR or the line's end; after a CR every field is empty.
// Bytes of w equal to c, flagged by their top bit; the lowest flag is exact
// (a borrow can only add flags above a true match).
inline std::uint64_t bytesEqual(std::uint64_t w, char c) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  const std::uint64_t x = w ^ (kOnes * static_cast<unsigned char>(c));
  return (x - kOnes) & ~x & (kOnes << 7);
}

// The first tab or CR at or after p, or end. Sixteen bytes at a time where
// the processor has SSE2 (every x86-64), then eight.
const char* nextTabOrCr(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i tab = _mm_set1_epi8('\t');
  const __m128i cr = _mm_set1_epi8('\r');
  while (end - p >= 16) {
    const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int m = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(w, tab), _mm_cmpeq_epi8(w, cr)));
    if (m) return p + std::countr_zero(static_cast<unsigned>(m));
    p += 16;
  }
#endif
  while (end - p >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    if constexpr (std::endian::native == std::endian::big) w = __builtin_bswap64(w);
    const std::uint64_t m = bytesEqual(w, '\t') | bytesEqual(w, '\r');
    if (m) return p + std::countr_zero(m) / 8;
    p += 8;
  }
  while (p < end && *p != '\t' && *p != '\r') ++p;
  return p;
}

template <std::size_t N>
void splitFields(std::string_view line, std::string_view (&fields)[N], std::size_t count = N) {
  std::size_t n = 0;
  const char* p = line.data();
  const char* end = p + line.size();
  while (n < count) {
    const char* stop = nextTabOrCr(p, end);
    fields[n++] = std::string_view(p, static_cast<std::size_t>(stop - p));
    if (stop == end || *stop == '\r') break;
    p = stop + 1;
  }
  for (; n < count; ++n) fields[n] = {};
}

// The overview fields of a line in a server's own order, placed where
// splitFields puts them in the default order; a field the server does not
// send is empty.
class FieldMap {
 public:
  explicit FieldMap(const OverviewFormat& format)
      : columns_(static_cast<std::size_t>(format.lastColumn()) + 1) {
    for (std::size_t i = 0; i + 1 < kFieldCount; ++i) {
      source_[i] = format.column(static_cast<OverviewField>(i));
    }
  }

  void split(std::string_view line, std::string_view (&fields)[kFieldCount]) const {
    std::string_view columns[OverviewFormat::kMaxColumns + 1];
    splitFields(line, columns, columns_);
    fields[0] = columns[0];
    for (std::size_t i = 0; i + 1 < kFieldCount; ++i) {
      fields[i + 1] = source_[i] > 0 ? columns[source_[i]] : std::string_view{};
    }
  }

 private:
  std::size_t columns_;
  int source_[kFieldCount - 1] = {};
};

bool hasEncodedWord(std::string_view text) {
  return text.size() >= 2 && text.find("=?") != std::string_view::npos;
}

// One line of the block: where it is and what follows it.
struct LineCursor {
  std::string_view text;
  std::size_t pos = 0;

  // Next whole line (without its LF); false with pos at the incomplete rest.
  bool next(std::string_view& line) {
    if (pos >= text.size()) return false;
    const void* lf = std::memchr(text.data() + pos, '\n', text.size() - pos);
    if (!lf) return false;
    const auto end = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data());
    line = text.substr(pos, end - pos);
    pos = end + 1;
    return true;
  }
};

std::size_t remainderOf(const LineCursor& cursor) {
  return cursor.pos >= cursor.text.size() ? std::string_view::npos : cursor.pos;
}

class OverviewLineParser {
 public:
  OverviewLineParser(XoverView& view, XoverSource* source) : view_(view), source_(source) {
    tzShift_ = ZoneOffsetDays(view.options.TZ);
    if (!view.overviewFormat.isDefault()) map_.emplace(view.overviewFormat);
  }

  void parse(std::string_view line) {
    std::string_view fields[kFieldCount];
    if (map_) {
      map_->split(line, fields);
    } else {
      splitFields(line, fields);
    }
    const std::int32_t number = fieldInt(fields[0], -1);
    if (number < 0) return;
    std::int32_t bit = 0;
    if (view_.newsgroup && !acceptNumber(number, bit)) return;

    ArticleArena& arena = view_.arena;
    StringPool& pool = arena.Strings();
    TArticle* a = arena.New();
    a->Number = number;
    a->Subject = pool.Share(decoded(fields[1], subjectScratch_));
    setAuthor(*a, fields[2]);
    const DateTime date = ParseArticleDate(fields[3]);
    a->Date = date != 0 ? date + tzShift_ : 0;
    a->MessageID = pool.Store(fields[4]);
    a->SetReferences(pool, fields[5]);
    if (view_.newsgroup) testOwnArticle(*a, fields[5]);
    a->Bytes = fieldInt(fields[6], 1000);
    a->Lines = fieldInt(fields[7], 100);
    setXref(*a, fields[8]);
    ++view_.linesParsed;
    if (view_.newsgroup) {
      if (!keepInNewsgroup(*a, bit)) {
        arena.Free(a);
        return;
      }
      if (a->ParentID() == a->MessageID.view()) a->ClearParentID();
      appendToNewsgroup(a, bit);
    } else {
      if (a->ParentID() == a->MessageID.view()) a->ClearParentID();
      appendToFolder(a);
    }
  }

 private:
  // The number field's checks in a newsgroup; false drops the line.
  bool acceptNumber(std::int32_t number, std::int32_t& bit) {
    if (number < view_.acceptLow || number > view_.acceptHigh) return false;
    const std::int64_t index = static_cast<std::int64_t>(number) - view_.lowMark;
    // A number outside the sets is one the view never asked for.
    if (index < 0 || index >= view_.presentSet.size()) return false;
    bit = static_cast<std::int32_t>(index);
    if (!view_.searchMode && number > view_.highestSeen) view_.highestSeen = number;
    if (view_.highestSeen < 0) view_.highestSeen = view_.lowMark;
    if (view_.newArticlesMode && number > view_.newArticlesHighest) {
      view_.newArticlesHighest = number;
    }
    if (view_.presentSet.test(bit)) return false;
    return view_.searchMode || !view_.excludedSet.test(bit);
  }

  std::string_view decoded(std::string_view field, std::string& scratch) {
    if (!hasEncodedWord(field)) return field;
    scratch = DecodeEncodedWords(field);
    return scratch;
  }

  void setAuthor(TArticle& a, std::string_view field) {
    StringPool& pool = view_.arena.Strings();
    const TAuthor* author = pool.AuthorOfRawFrom(field);
    if (author) {
      a.SetAuthor(author);
    } else {
      std::string_view name, address;
      ParseFromInto(decoded(field, fromScratch_), name, address, nameScratch_);
      a.SetFrom(pool, name, address);
      pool.RememberRawFrom(field, a.Author());
    }
    if (view_.newsgroup && view_.plonk && view_.plonk->IsPlonked(a.FromName(), a.FromAddress())) {
      a.SetScore(kKilledScore, view_.options.score);
    }
  }

  void testOwnArticle(TArticle& a, std::string_view references) {
    if (a.EffectiveScore(view_.options.score.KeptScore) != 0 || view_.options.ReplyNotify == 0 ||
        a.Has(NodeFlag::Read)) {
      return;
    }
    if (IsReplyToMe(references, a.MessageID, view_.idTokens, view_.options.ReplyNotify)) {
      a.Set(NodeFlag::ReplyToMe);
      view_.replyNotice = true;
    }
  }

  void setXref(TArticle& a, std::string_view field) {
    const std::string_view kept =
        TrimXref(field, view_.newsgroup ? std::string_view(view_.groupName) : std::string_view{},
                 xrefScratch_);
    a.Xref = view_.arena.Strings().Store(kept);
    if (view_.options.MaxXPostKill > 0 &&
        std::count(kept.begin(), kept.end(), ':') >= view_.options.MaxXPostKill) {
      a.SetScore(kKilledScore, view_.options.score);
    }
  }

  // Search mode, header filter, scoring and hard kill; false frees the record.
  bool keepInNewsgroup(TArticle& a, std::int32_t bit) {
    if (view_.searchMode) {
      view_.readSet.reset(bit);
      if (!view_.reconstructionAnchor) a.SetScore(view_.searchScore, view_.options.score);
      return true;
    }
    if (view_.headerFilter && !view_.headerFilter->Pass(a)) {
      view_.excludedSet.set(bit);
      ++view_.killed;
      return false;
    }
    if (a.Score == 0 && view_.options.scoring && view_.scorer) {
      const std::int32_t score =
          view_.scorer->Score(a, view_.extraNames, view_.extraValues.get());
      a.SetScore(score, view_.options.score);
      if (score < 0) a.Set(NodeFlag::ReplyToMe, false);
    }
    if (view_.options.hardKill && a.Score <= kKilledScore) {
      view_.excludedSet.set(bit);
      ++view_.killed;
      return false;
    }
    return true;
  }

  void appendToNewsgroup(TArticle* a, std::int32_t bit) {
    ViewLists& lists = view_.lists;
    lists.masterList.push_back(a);
    view_.presentSet.set(bit);
    a->Set(NodeFlag::Kept, view_.keptSet.test(bit));
    a->SetRead(view_.readSet.test(bit));
    const bool unread = !a->Has(NodeFlag::Read);
    ++view_.articles;
    view_.unread += unread;
    ++view_.added;
    if (view_.storeModified) *view_.storeModified = true;
    if (view_.quickFilter && !view_.quickFilter->Pass(*a)) return;
    a->Position = static_cast<std::int32_t>(lists.rootList.size());
    lists.rootList.push_back(a);
    a->SourceIndex = static_cast<std::int32_t>(lists.rowList.size());
    lists.rowList.push_back(a);
    if (lists.viewList && lists.viewList != &lists.masterList) {
      lists.viewList->push_back(a);
      ++view_.filteredArticles;
      view_.filteredUnread += unread;
    }
  }

  void appendToFolder(TArticle* a) {
    if (view_.folder) {
      std::string origin;
      if (source_) origin = source_->serverName + ":" + source_->groupName;
      view_.folder->AddHeaderOnly(*a, origin);
    }
    view_.arena.Free(a);
  }

  XoverView& view_;
  XoverSource* source_;
  std::optional<FieldMap> map_;  // only for a server's own field order
  DateTime tzShift_ = 0;
  std::string subjectScratch_, fromScratch_, nameScratch_, xrefScratch_;
};

void showProgress(XoverView& view, XoverSource* source, std::int64_t lines) {
  if (source) source->lineCounter += lines;
  if (view.prompter) {
    view.prompter->status(format(" %lld/%lld -%lld", static_cast<long long>(view.linesParsed),
                                 static_cast<long long>(view.linesExpected),
                                 static_cast<long long>(view.killed)));
  }
}

}  // namespace

void XoverView::SizeSets(std::int32_t low, std::int32_t high) {
  lowMark = low;
  const std::int32_t size = high >= low ? high - low + 1 : 0;
  for (BitSet* set : {&presentSet, &readSet, &keptSet, &excludedSet}) {
    if (set->size() < size) set->resize(size);
  }
}

bool OverviewNumberRange(std::string_view text, std::int32_t& low, std::int32_t& high) {
  low = INT32_MAX;
  high = -1;
  LineCursor cursor{text};
  std::string_view line;
  while (cursor.next(line)) {
    const std::int32_t n = fieldInt(line.substr(0, line.find('\t')), -1);
    if (n < 0) continue;
    low = std::min(low, n);
    high = std::max(high, n);
  }
  return high >= 0;
}

void ParseOverviewText(XoverView& view, std::string_view text) {
  std::int32_t low = 0, high = -1;
  if (view.presentSet.size() == 0 && OverviewNumberRange(text, low, high)) {
    // A bogus number far away must not size the sets.
    view.SizeSets(low, static_cast<std::int32_t>(
                           std::min<std::int64_t>(high, static_cast<std::int64_t>(low) + (1 << 28))));
  }
  bool done = false;
  const std::size_t rest = ParseXOVER(view, nullptr, text, done);
  // A last line without its line end still counts.
  if (!done && rest != std::string_view::npos) {
    ParseXOVER(view, nullptr, std::string(text.substr(rest)) + "\r\n", done);
  }
}

namespace {

// The first blank at or after pos. Xref words run long without one, so eight
// bytes at a time are tested for any byte below 0x21 first.
std::size_t blankAt(std::string_view s, std::size_t pos) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  for (; pos + 8 <= s.size(); pos += 8) {
    std::uint64_t w;
    std::memcpy(&w, s.data() + pos, 8);
    if ((w - kOnes * 0x21) & ~w & (kOnes << 7)) break;
  }
  while (pos < s.size() && !isBlank(s[pos])) ++pos;
  return pos;
}

}  // namespace

std::string_view TrimXref(std::string_view xref, std::string_view groupName, std::string& scratch) {
  std::size_t pos = 0;
  auto skipWord = [&] {
    pos = blankAt(xref, pos);
    while (pos < xref.size() && (xref[pos] == ' ' || xref[pos] == '\t')) ++pos;
  };
  if (startsWithNoCase(xref, "Xref:")) skipWord();
  skipWord();
  std::string_view rest = xref.substr(pos);
  if (groupName.empty()) return rest;
  const std::size_t colon = rest.find(':');
  if (colon != std::string_view::npos && rest.substr(0, colon) == groupName) {
    pos = 0;
    xref = rest;
    skipWord();
    return rest.substr(pos);
  }
  scratch.assign(" ");
  scratch.append(groupName);
  scratch.push_back(':');
  const std::size_t at = rest.find(scratch);
  if (at == std::string_view::npos) return rest;
  std::size_t end = at + scratch.size();
  end = blankAt(rest, end);
  scratch.assign(rest.substr(0, at));
  scratch.append(rest.substr(end));
  return scratch;
}

bool IsReplyToMe(std::string_view references, std::string_view messageID,
                 const std::vector<std::string>& idTokens, std::int32_t replyNotify) {
  for (const auto& token : idTokens) {
    if (token.empty()) continue;
    if (references.find(token) == std::string_view::npos ||
        messageID.find(token) != std::string_view::npos) {
      continue;
    }
    const std::size_t at = references.rfind(token);
    const auto levels = std::count(references.begin() + static_cast<std::ptrdiff_t>(at),
                                   references.end(), '>');
    return replyNotify < 0 || levels <= replyNotify;
  }
  return false;
}

namespace {

// Calls onLine for each whole line of a reply block until the "." line.
// Returns the remainder offset (npos when the block was used up) and the
// number of lines met.
template <class F>
std::size_t forEachLine(std::string_view text, bool& done, std::int64_t& lines, F&& onLine) {
  LineCursor cursor{text};
  std::string_view line;
  lines = 0;
  while (cursor.next(line)) {
    ++lines;
    if (!line.empty() && line[0] == '.') {
      done = true;
      return std::string_view::npos;
    }
    onLine(line);
  }
  return remainderOf(cursor);
}

}  // namespace

std::size_t ParseXOVER(XoverView& view, XoverSource* source, std::string_view text, bool& done) {
  OverviewLineParser parser(view, source);
  std::int64_t lines = 0;
  const std::size_t rest =
      forEachLine(text, done, lines, [&](std::string_view line) { parser.parse(line); });
  showProgress(view, source, lines);
  return rest;
}

namespace {

// One XHDR line: number, blanks, value.
void parseXhdrLine(XoverView& view, std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t wordEnd = 0;
  while (wordEnd < line.size() && !isBlank(line[wordEnd])) ++wordEnd;
  const std::int32_t number = fieldInt(line.substr(0, wordEnd), -1);
  if (number < view.acceptLow || number > view.acceptHigh) return;
  view.xhdrHighest = std::max(view.xhdrHighest, number);
  std::size_t valueStart = wordEnd;
  while (valueStart < line.size() && (line[valueStart] == ' ' || line[valueStart] == '\t')) {
    ++valueStart;
  }
  const std::string_view value = line.substr(valueStart);
  // HDR gives an empty value for a header the article lacks.
  if (number < 1 || value.empty()) return;
  if (view.newsgroup && view.presentSet.test(number - view.lowMark)) return;
  const std::string key = std::to_string(number);
  const bool none = equalsNoCase(value, "(none)");
  std::vector<std::string>* entry = view.extraValues ? view.extraValues->Find(key) : nullptr;
  if (!entry) {
    if (none) {
      ++view.xhdrLines;
      return;
    }
    if (!view.extraValues) {
      view.extraValues = std::make_unique<ExtraHeaderValues>(true);
      view.extraValues->SetSize(static_cast<std::int32_t>(
          std::min<std::int64_t>(view.expectedArticles / 4, 0x7FFFFFF)));
    }
    entry = new std::vector<std::string>();
    view.extraValues->Add(key, entry);
  }
  if (entry->size() < std::max(view.extraNames.size(), view.extraIndex + 1)) {
    entry->resize(std::max(view.extraNames.size(), view.extraIndex + 1));
  }
  (*entry)[view.extraIndex] = none ? std::string() : std::string(value);
  ++view.xhdrLines;
}

}  // namespace

std::size_t ParseXHDR(XoverView& view, XoverSource* source, std::string_view text, bool& done) {
  std::int64_t lines = 0;
  const std::size_t rest =
      forEachLine(text, done, lines, [&](std::string_view line) { parseXhdrLine(view, line); });
  if (source) source->lineCounter = view.xhdrLines;
  if (view.prompter) view.prompter->status(format(" %lld", static_cast<long long>(view.xhdrLines)));
  return rest;
}

}  // namespace orvel
