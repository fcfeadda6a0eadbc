#pragma once
// QuoteRepairStore: the viewer's repair of quoted text that another poster's
// software wrapped badly ("> a long line that was\n> cut" or a tail that lost
// its quote mark). Quoted lines, and a plain body line right after them, are
// held in a TQuote block. Each line that could continue the entry before it
// (a candidate) is joined at once, kept as a line of its own, or left pending
// until the next line shows whether the quote went on at the same depth. A
// blank line or any line that is not quoted text ends the block: when
// something was joined the block is reflowed to its widest line (at least
// 72), otherwise its lines are written as they came.

#include <string_view>
#include <vector>

#include "content/quote_block.h"
#include "content/quote_store.h"
#include "core/perlre.h"
#include "core/quote_marks.h"

namespace orvel {

class QuoteRepairStore final : public QuoteLineStore {
 public:
  explicit QuoteRepairStore(std::string_view quoteChars = kDefaultQuoteChars);
  void setQuoteChars(std::string_view quoteChars) { marks_ = QuoteMarks(quoteChars); }

  void Add(RenderedLine line, const Sink& sink) override;
  void Flush(const Sink& sink) override;

 private:
  void addToBlock(RenderedLine line, bool quoted, const Sink& sink);
  bool isCandidate(const std::string& line, int depth, std::size_t textPos);
  void place(RenderedLine line, int depth, std::size_t textPos);
  // The pending candidate joins its predecessor, or stays a line of its own.
  void settle(bool join, const Sink& sink);
  void flushBlock(const Sink& sink);

  QuoteMarks marks_;
  TPerlre separator_;
  TQuote block_;
  // The lines behind the block's entries, written unchanged when nothing was
  // joined; the first one gives reflowed lines their style.
  std::vector<RenderedLine> originals_;
};

}  // namespace orvel
