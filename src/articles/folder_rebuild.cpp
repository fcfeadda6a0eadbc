// Rebuilding a folder's header file from its body file: each entry behind a
// separator line is read as an article (its header lines give the record's
// strings and date; the text length gives Bytes, its body lines Lines). A
// last entry shorter than its separator announces was cut by a crash while
// appending: it is dropped and the body file cut back to the entries before.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article_arena.h"
#include "articles/article_date.h"
#include "articles/header_utils.h"
#include "articles/mailbox.h"
#include "articles/store_io.h"
#include "core/encoded_words.h"
#include "core/mapped_file.h"
#include "core/text.h"

namespace orvel {

namespace {

struct EntryHeaders {
  std::string subject, from, date, messageId, references, xref;
};

// The unfolded header lines of an article text up to its first empty line.
EntryHeaders readHeaders(std::string_view text, std::size_t& bodyStart) {
  EntryHeaders h;
  std::string* last = nullptr;
  std::size_t pos = 0;
  bodyStart = text.size();
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    if (line.empty()) {
      bodyStart = std::min(pos, text.size());
      break;
    }
    if ((line[0] == ' ' || line[0] == '\t') && last) {
      *last += ' ';
      *last += trimView(line);
      continue;
    }
    const std::size_t colon = line.find(':');
    last = nullptr;
    if (colon == std::string_view::npos) continue;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = trimView(line.substr(colon + 1));
    struct Field {
      std::string_view name;
      std::string* target;
    } const fields[] = {{"Subject", &h.subject},       {"From", &h.from},
                        {"Date", &h.date},             {"Message-ID", &h.messageId},
                        {"References", &h.references}, {"Xref", &h.xref}};
    for (const auto& f : fields) {
      if (equalsNoCase(name, f.name) && f.target->empty()) {
        *f.target = std::string(value);
        last = f.target;
      }
    }
  }
  return h;
}

std::int32_t countLines(std::string_view body) {
  std::int32_t lines = 0;
  for (char c : body) lines += c == '\n';
  if (!body.empty() && body.back() != '\n') ++lines;
  return lines;
}

bool isSeparatorAt(std::string_view file, std::size_t at) {
  return file.compare(at, kSeparatorStart.size(), kSeparatorStart) == 0 &&
         (at == 0 || file[at - 1] == '\n');
}

// The text size a separator line announces ("From ???@0x" + hex of size +
// 38), or -1 when the line was written otherwise (by hand, by another tool).
std::int64_t announcedSize(std::string_view line) {
  constexpr std::string_view kHexStart = "0x";
  line.remove_prefix(kSeparatorStart.size());
  if (!line.starts_with(kHexStart) || line.size() < kHexStart.size() + 8) return -1;
  std::int64_t value = 0;
  for (char c : line.substr(kHexStart.size(), 8)) {
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                             : -1;
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value >= 38 ? value - 38 : -1;
}

// The next separator line at or after from, or the file's end.
std::size_t nextSeparator(std::string_view file, std::size_t from) {
  for (std::size_t at = file.find(kSeparatorStart, from); at != std::string_view::npos;
       at = file.find(kSeparatorStart, at + 1)) {
    if (at == 0 || file[at - 1] == '\n') return at;
  }
  return file.size();
}

}  // namespace

std::vector<BodyEntry> ScanBodyEntries(std::string_view file, std::int64_t& tornBytes) {
  std::vector<BodyEntry> entries;
  tornBytes = 0;
  std::size_t at = isSeparatorAt(file, 0) ? 0 : nextSeparator(file, 0);
  while (at < file.size()) {
    const std::size_t lf = file.find('\n', at);
    if (lf == std::string_view::npos) {
      tornBytes = static_cast<std::int64_t>(file.size() - at);
      break;
    }
    const std::size_t start = lf + 1;
    const std::int64_t announced = announcedSize(file.substr(at, lf - at));
    std::size_t end = 0;
    // Our own entries say their size: trusting it skips the scan of the text
    // and keeps a body line that looks like a separator inside its entry.
    if (announced >= 0 && static_cast<std::uint64_t>(announced) <= file.size() - start &&
        (start + announced == file.size() || isSeparatorAt(file, start + announced))) {
      end = start + static_cast<std::size_t>(announced);
    } else {
      end = nextSeparator(file, start);
      if (end == file.size() && announced >= 0 &&
          static_cast<std::uint64_t>(announced) > file.size() - start) {
        // The last entry is shorter than its separator says: a crash cut
        // the append short.
        tornBytes = static_cast<std::int64_t>(file.size() - at);
        break;
      }
    }
    if (at <= INT32_MAX && end - start <= INT32_MAX) {
      entries.push_back({static_cast<std::int64_t>(at), static_cast<std::int64_t>(start),
                         static_cast<std::int64_t>(end - start)});
    }
    at = end;
  }
  return entries;
}

std::string TornEntryText(std::int64_t bytes) {
  return "Article incomplet ignoré en fin de dossier: " + std::to_string(bytes) + " octets";
}

bool TFolder::RebuildHeaderFile() {
  auto file = std::make_unique<MappedFile>();
  if (!file->open(path)) return false;
  const std::string_view bytes = file->bytes();
  ArticleArena arena;
  StringPool& pool = arena.Strings();
  std::vector<TArticle*> records;
  std::int64_t torn = 0;
  const std::vector<BodyEntry> entries = ScanBodyEntries(bytes, torn);
  records.reserve(entries.size());
  for (const BodyEntry& e : entries) {
    const std::string_view text =
        bytes.substr(static_cast<std::size_t>(e.textOffset), static_cast<std::size_t>(e.bytes));
    std::size_t bodyStart = 0;
    const EntryHeaders h = readHeaders(text, bodyStart);
    TArticle* a = arena.New();
    a->BodyOffset = static_cast<std::int32_t>(e.offset);
    a->Bytes = static_cast<std::int32_t>(e.bytes);
    a->Lines = countLines(text.substr(bodyStart));
    a->Subject = pool.Share(DecodeEncodedWords(h.subject));
    const FromParts from = ParseFrom(DecodeEncodedWords(h.from));
    a->SetFrom(pool, from.name, from.address);
    a->Date = ParseArticleDate(h.date);
    a->MessageID = pool.Store(h.messageId);
    a->SetReferences(pool, h.references);
    a->Xref = pool.Store(h.xref);
    records.push_back(a);
  }
  if (torn > 0) {
    // The torn tail goes, so the next append starts a clean entry.
    const std::int64_t keep = static_cast<std::int64_t>(bytes.size()) - torn;
    file.reset();
    if (!store_io::Truncate(path, keep)) return false;
    droppedBytes_ += torn;
  }
  std::int64_t live = 0;
  NeedsCompaction = false;
  return writeHeaderFile(records, live);
}


}  // namespace orvel
