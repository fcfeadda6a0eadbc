#include "content/quote_repair.h"

#include <algorithm>

#include "config/startup.h"
#include "core/text.h"
#include "core/wrap_text.h"

namespace orvel {

namespace {

constexpr int kMinReflowWidth = 72;
constexpr int kMinEntryLength = 20;

enum class Ending { None, Comma, Sentence };

Ending endingOf(std::string_view entry) {
  entry = trimRightView(entry);
  if (entry.empty()) return Ending::None;
  const char last = entry.back();
  if (last == ',') return Ending::Comma;
  if (std::string_view("!).?]").find(last) != std::string_view::npos) return Ending::Sentence;
  return Ending::None;
}

bool isUpper(char c) { return c >= 'A' && c <= 'Z'; }

// Short lines that mark an omission ("[...]", "<snip>") stand alone.
bool marksOmission(std::string_view line) {
  return findNoCase(line, "snip") != std::string_view::npos ||
         line.find("[.") != std::string_view::npos || line.find("[ .") != std::string_view::npos;
}

void writeLines(std::string_view text, const RenderedLine& model, const QuoteMarks& marks,
                const QuoteLineStore::Sink& sink) {
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find("\r\n", start);
    RenderedLine out;
    // Without the blank a join leaves where the next word did not fit.
    out.text = std::string(trimRightView(text.substr(start, end - start)));
    out.quoteDepth = marks.Depth(out.text);
    out.style = out.quoteDepth >= 0 ? model.style : LineStyle::Body;
    sink(std::move(out));
    if (end == std::string_view::npos) return;
    start = end + 2;
  }
}

}  // namespace

QuoteRepairStore::QuoteRepairStore(std::string_view quoteChars)
    : marks_(quoteChars), separator_(true, 0) {
  separator_.Compile(kSeparatorPattern);
}

void QuoteRepairStore::Add(RenderedLine line, const Sink& sink) {
  const bool text = line.kind == LineKind::Text;
  const bool quoted = text && line.quoteDepth >= 0;
  const bool plainBody = text && !quoted &&
                         (line.style == LineStyle::Body || line.style == LineStyle::Fixed);
  if (text && trimView(line.text).empty()) {
    if (block_.state() != 0) settle(block_.state() == 2, sink);
  } else if (quoted || (plainBody && !block_.Empty())) {
    addToBlock(std::move(line), quoted, sink);
    return;
  }
  flushBlock(sink);
  sink(std::move(line));
}

void QuoteRepairStore::Flush(const Sink& sink) { flushBlock(sink); }

void QuoteRepairStore::addToBlock(RenderedLine line, bool quoted, const Sink& sink) {
  const int depth = quoted ? line.quoteDepth : kUnquotedDepth;
  const std::size_t textPos = marks_.TextPosition(line.text);
  if (block_.state() != 0) settle(depth != block_.LastDepth(), sink);
  if (block_.Empty() || !isCandidate(line.text, depth, textPos)) {
    if (!quoted) {
      flushBlock(sink);
      sink(std::move(line));
      return;
    }
    originals_.push_back(line);
    block_.AddLine(line.text, depth, 0, static_cast<int>(textPos));
    return;
  }
  place(std::move(line), depth, textPos);
}

bool QuoteRepairStore::isCandidate(const std::string& line, int depth, std::size_t textPos) {
  const std::string_view rest = trimView(std::string_view(line).substr(textPos));
  if (rest.empty() || depth > block_.LastDepth()) return false;
  const int length = CharacterCount(line);
  if (CharacterCount(block_.LastText()) < std::max(length / 2, kMinEntryLength)) return false;
  if (length < 11 && marksOmission(line)) return false;
  return !separator_.Match(line) && !separator_.Match(line.substr(textPos));
}

void QuoteRepairStore::place(RenderedLine line, int depth, std::size_t textPos) {
  const std::string_view rest = trimRightView(std::string_view(line.text).substr(textPos));
  const Ending ending = endingOf(block_.LastText());
  const bool lowerish = !isUpper(rest[0]) && (rest.size() < 2 || !isUpper(rest[1]));
  const auto gaps = std::count_if(rest.begin(), rest.end(),
                                  [](char c) { return static_cast<unsigned char>(c) < 33; });
  int mode = 1;
  if (lowerish && (ending == Ending::Comma || (ending == Ending::None && gaps == 0))) {
    mode = -1;
  } else if (lowerish && ending == Ending::None) {
    mode = 2;
  } else if (depth == block_.LastDepth() && (!lowerish || gaps >= 3)) {
    mode = 0;
  }
  if (mode >= 0) originals_.push_back(line);
  block_.AddLine(line.text, depth, mode, static_cast<int>(textPos));
}

void QuoteRepairStore::settle(bool join, const Sink& sink) {
  if (join) {
    block_.JoinLast(1);
    originals_.pop_back();
  } else if (block_.LastDepth() == kUnquotedDepth) {
    // A plain line that stays alone ends the quote block before it.
    RenderedLine plain = std::move(originals_.back());
    originals_.pop_back();
    block_.JoinLast(0);
    flushBlock(sink);
    sink(std::move(plain));
  } else {
    block_.JoinLast(0);
  }
}

void QuoteRepairStore::flushBlock(const Sink& sink) {
  if (block_.Empty()) return;
  if (block_.state() != 0) settle(true, sink);
  if (block_.joins() == 0) {
    for (RenderedLine& line : originals_) sink(std::move(line));
  } else {
    const int width = std::max(block_.maxLen(), kMinReflowWidth);
    writeLines(WrapText(block_.WholeText(), false, width, marks_), originals_.front(), marks_,
               sink);
  }
  block_.Clear();
  originals_.clear();
}

}  // namespace orvel
