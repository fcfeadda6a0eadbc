// One pass over the input. For each input line the prefix is read, then the
// text is copied in runs up to the width. An overflow steps back to the last
// space of this input line (or cuts the word hard when no space leaves room),
// and the rest of the line is wrapped again in join mode, so that it flows
// into the following line of the same prefix. col counts the output line's
// characters, prefix included; with join it survives the end of an input
// line, which is what lets the next line continue the same output line.

#include "core/wrap_text.h"

namespace orvel {

namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

long charCount(std::string_view text) {
  long count = 0;
  for (char c : text) count += isContinuation(c) ? 0 : 1;
  return count;
}

class Wrapper {
 public:
  Wrapper(std::string_view text, bool join, int width, const QuoteMarks& marks)
      : text_(text), join_(join), width_(width), marks_(marks) {
    out_.reserve(text.size() + text.size() / 2 + 2);
  }

  std::string run() {
    while (pos_ < text_.size()) {
      const std::size_t length = marks_.PrefixLength(text_.substr(pos_), kMaxWrapPrefix);
      const std::string_view prefix = text_.substr(pos_, length);
      pos_ += length;
      wrapLine(prefix, charCount(prefix), join_);
    }
    return std::move(out_);
  }

 private:
  bool atLineEnd() const { return pos_ >= text_.size() || isLineEnd(text_[pos_]); }

  void skipLineEnd() {
    if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  }

  // Copies whole characters of this line while col stays below limit.
  void copyUpTo(long limit) {
    std::size_t end = pos_;
    while (end < text_.size() && col_ < limit && !isLineEnd(text_[end])) {
      ++end;
      ++col_;
      while (end < text_.size() && isContinuation(text_[end])) ++end;
    }
    out_.append(text_.data() + pos_, end - pos_);
    pos_ = end;
  }

  void stepBack() {
    const std::size_t from = pos_;
    do {
      --pos_;
    } while (pos_ > 0 && isContinuation(text_[pos_]));
    out_.resize(out_.size() - (from - pos_));
    --col_;
  }

  void wrapLine(std::string_view prefix, long prefixCols, bool join) {
    for (;;) {
      if (prefix != previousPrefix_ || width_ - prefixCols - col_ < 1) col_ = 0;
      if (!first_ && col_ == 0) out_ += "\r\n";
      first_ = false;

      if (atLineEnd()) {  // an empty line: a paragraph break that keeps its prefix
        if (col_ != 0) out_ += "\r\n";
        out_.append(prefix);
        skipLineEnd();
        if (pos_ >= text_.size()) out_ += "\r\n";
        col_ = 0;
        return;
      }

      if (col_ == 0) {
        out_.append(prefix);
        col_ = prefixCols;
      }
      previousPrefix_ = prefix;
      const std::size_t lineStart = pos_;
      copyUpTo(width_);
      if (atLineEnd()) {
        if (!join) {
          col_ = 0;
        } else if (out_.empty() || out_.back() != ' ') {
          out_ += ' ';
          ++col_;
        }
        skipLineEnd();
        return;
      }

      // Overflow: break at the last space that leaves two characters of text.
      while (col_ > prefixCols && pos_ > lineStart && text_[pos_] != ' ') stepBack();
      --col_;
      if (col_ <= prefixCols) {
        copyUpTo(width_);
        if (pos_ == lineStart) copyUpTo(col_ + 1);  // a width below the prefix still moves on
      }
      col_ = 0;
      if (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
      if (atLineEnd()) {
        skipLineEnd();
        return;
      }
      join = true;
    }
  }

  std::string_view text_;
  bool join_;
  long width_;
  const QuoteMarks& marks_;
  std::string out_;
  std::size_t pos_ = 0;
  long col_ = 0;
  std::string_view previousPrefix_;
  bool first_ = true;
};

}  // namespace

std::string WrapText(std::string_view text, bool join, int width, const QuoteMarks& marks) {
  return Wrapper(text, join, width, marks).run();
}

}  // namespace orvel
