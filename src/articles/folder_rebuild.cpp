// Rebuilding a folder's header file from its body file: each entry behind a
// separator line is read as an article (its header lines give the record's
// strings and date; the text length gives Bytes, its body lines Lines).
#include <string>
#include <string_view>
#include <vector>

#include "articles/article_arena.h"
#include "articles/article_date.h"
#include "articles/header_utils.h"
#include "articles/mailbox.h"
#include "articles/store_io.h"
#include "core/encoded_words.h"
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

// Offsets of the separator lines: "From ???@" at the start of the file or
// right after a line feed.
std::vector<std::size_t> separatorOffsets(std::string_view file) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = file.find(kSeparatorStart); at != std::string_view::npos;
       at = file.find(kSeparatorStart, at + 1)) {
    if (at == 0 || file[at - 1] == '\n') offsets.push_back(at);
  }
  return offsets;
}

}  // namespace

bool TFolder::RebuildHeaderFile() {
  std::string file;
  if (!store_io::ReadFile(path, file)) return false;
  ArticleArena arena;
  StringPool& pool = arena.Strings();
  std::vector<TArticle*> records;
  const std::vector<std::size_t> offsets = separatorOffsets(file);
  for (std::size_t k = 0; k < offsets.size(); ++k) {
    const std::size_t lf = file.find('\n', offsets[k]);
    if (lf == std::string::npos) break;
    const std::size_t start = lf + 1;
    const std::size_t end = k + 1 < offsets.size() ? offsets[k + 1] : file.size();
    if (end < start || offsets[k] > INT32_MAX) continue;
    const std::string_view text = std::string_view(file).substr(start, end - start);
    std::size_t bodyStart = 0;
    const EntryHeaders h = readHeaders(text, bodyStart);
    TArticle* a = arena.New();
    a->BodyOffset = static_cast<std::int32_t>(offsets[k]);
    a->Bytes = static_cast<std::int32_t>(text.size());
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
  std::int64_t live = 0;
  NeedsCompaction = false;
  return writeHeaderFile(records, live);
}

}  // namespace orvel
