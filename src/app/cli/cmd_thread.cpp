// orvel-cli thread: overview lines in, threaded rows out.
#include <charconv>
#include <fstream>
#include <iostream>
#include <iterator>
#include <ostream>

#include "app/cli/commands.h"
#include "articles/article_arena.h"
#include "articles/threading.h"
#include "articles/xover.h"
#include "core/prefetch.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

constexpr int kMaxThreadDepth = 20;

std::optional<std::int32_t> sortColumn(std::string_view name) {
  static const struct {
    const char* name;
    std::int32_t column;
  } kColumns[] = {{"none", kSortNone},     {"subject", kSortSubject}, {"queue", kSortQueue},
                  {"lines", kSortLines},   {"author", kSortAuthor},   {"date", kSortDate},
                  {"score", kSortScore},   {"number", kSortNumber}};
  for (const auto& c : kColumns) {
    if (equalsNoCase(name, c.name)) return c.column;
  }
  const auto n = parseDecimal(name);
  if (n && *n >= -1 && *n <= 6) return static_cast<std::int32_t>(*n);
  return std::nullopt;
}

// The node's flags as letters ("-" for none).
void appendFlags(std::string& out, const TNode& node) {
  const std::size_t before = out.size();
  if (node.Has(NodeFlag::Read)) out += 'R';
  if (node.Has(NodeFlag::Kept)) out += 'K';
  if (node.Has(NodeFlag::Deleted)) out += 'D';
  if (node.Has(NodeFlag::Old)) out += 'O';
  if (node.Has(NodeFlag::ReplyToMe)) out += 'M';
  if (out.size() == before) out += '-';
}

// A million rows are printed at a time: numbers go straight into the text.
void appendNumber(std::string& out, std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

int usage(CliContext& context) {
  context.err << "usage: orvel-cli thread FILE|- [--group NAME] [--low N] [--high N] "
                 "[--unthreaded] [--sort COLUMN] [--descending] [--no-multipart]\n"
                 "COLUMN: subject, queue, lines, author, date, score, number or none\n";
  return 2;
}

}  // namespace

void AppendRowText(std::string& out, const TNode& node, std::int32_t keptScore) {
  if (const TAThread* t = node.AsThread()) {
    out += "+ ";
    out += t->Subject.view();
    out += '\t';
    appendNumber(out, static_cast<std::int64_t>(t->Articles.size()));
    out += " articles\t";
    appendFlags(out, *t);
    out += '\t';
    appendNumber(out, node.EffectiveScore(keptScore));
    if (t->IsMultiPart()) {
      out += '\t';
      appendNumber(out, t->PartsPresent);
      out += '/';
      appendNumber(out, t->PartsTotal);
      out += " parts";
    }
    out += '\n';
    return;
  }
  const TArticle& a = *node.AsArticle();
  out.append(2 * static_cast<std::size_t>(std::min(a.Depth(), kMaxThreadDepth)), ' ');
  out += a.Subject.view();
  out += '\t';
  out += a.FromName().empty() ? a.FromAddress() : a.FromName();
  out += '\t';
  appendNumber(out, a.Number);
  out += '\t';
  appendFlags(out, a);
  out += '\t';
  appendNumber(out, node.EffectiveScore(keptScore));
  out += '\n';
}

namespace {

// A row reads its node, then its subject and author, then the author's
// texts: each is loaded a few rows ahead of the one that needs it, rather
// than waited for in turn.
void prefetchRow(const std::vector<TNode*>& rows, std::size_t i) {
  constexpr std::size_t kNode = 12;
  constexpr std::size_t kFields = 6;
  constexpr std::size_t kAuthor = 3;
  if (i + kNode < rows.size()) PrefetchRead(rows[i + kNode]);
  if (i + kFields < rows.size()) {
    const TNode* n = rows[i + kFields];
    if (const TArticle* a = n->AsArticle()) {
      a->Subject.Prefetch();
      PrefetchRead(a->Author());
    } else {
      n->AsThread()->Subject.Prefetch();
    }
  }
  if (i + kAuthor < rows.size()) {
    if (const TArticle* a = rows[i + kAuthor]->AsArticle(); a && a->Author()) {
      a->Author()->Name.Prefetch();
      a->Author()->Address.Prefetch();
    }
  }
}

}  // namespace

void WriteRows(std::ostream& out, const std::vector<TNode*>& rows, std::int32_t keptScore) {
  constexpr std::size_t kPiece = 64 << 10;
  std::string text;
  text.reserve(kPiece + 1024);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TNode* row = rows[i];
    prefetchRow(rows, i);
    AppendRowText(text, *row, keptScore);
    if (text.size() >= kPiece) {
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      text.clear();
    }
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

bool ReadInput(const std::string& name, std::string& text) {
  if (name == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return true;
  }
  std::ifstream in(name, std::ios::binary | std::ios::ate);
  if (!in) return false;
  text.resize(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  return static_cast<bool>(in.read(text.data(), static_cast<std::streamsize>(text.size())));
}

int cmdThread(CliContext& context) {
  std::string file, group;
  std::optional<std::int32_t> low, high;
  ThreadOptions options;
  const auto& args = context.args;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
    if (a == "--group") {
      const std::string* v = value();
      if (!v) return usage(context);
      group = *v;
    } else if (a == "--low" || a == "--high") {
      const std::string* v = value();
      const auto n = v ? parseDecimal(*v) : std::nullopt;
      if (!n || *n < 0 || *n > INT32_MAX) return usage(context);
      (a == "--low" ? low : high) = static_cast<std::int32_t>(*n);
    } else if (a == "--unthreaded") {
      options.threaded = false;
    } else if (a == "--sort") {
      const std::string* v = value();
      const auto column = v ? sortColumn(*v) : std::nullopt;
      if (!column) return usage(context);
      options.sort.column = *column;
    } else if (a == "--descending") {
      options.sort.order = -1;
    } else if (a == "--no-multipart") {
      options.multiPartThreading = false;
    } else if (file.empty() && (a == "-" || a.rfind("--", 0) != 0)) {
      file = a;
    } else {
      return usage(context);
    }
  }
  if (file.empty()) return usage(context);
  std::string text;
  if (!ReadInput(file, text)) {
    context.err << "orvel-cli thread: cannot read " << file << '\n';
    return 1;
  }
  ArticleArena arena;
  ViewLists lists;
  XoverView view(arena, lists);
  view.groupName = group;
  std::int32_t first = 0, last = -1;
  OverviewNumberRange(text, first, last);
  first = low.value_or(first);
  last = high.value_or(last);
  if (static_cast<std::int64_t>(last) - first > (1 << 28)) {
    context.err << "orvel-cli thread: the number range is too wide; give --low and --high\n";
    return 1;
  }
  view.SizeSets(first, last);
  ParseOverviewText(view, text);
  ThreadStats stats;
  ThreadArticles(lists, options, stats);
  WriteRows(context.out, lists.rowList, view.options.score.KeptScore);
  context.err << stats.articles << " articles, " << lists.rootList.size() << " rows at the top, "
              << stats.multiPart << " multi-part series (" << stats.completeMultiPart
              << " complete)\n";
  return 0;
}

}  // namespace orvel::cli
