#include "content/quote_block.h"

#include <algorithm>

namespace orvel {

int CharacterCount(std::string_view text) {
  int count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

namespace {

void appendText(std::string& entry, std::string_view line, int textPos) {
  const auto from = std::min(line.size(), static_cast<std::size_t>(std::max(textPos, 0)));
  entry += ' ';
  entry.append(line.substr(from));
}

}  // namespace

void TQuote::AddLine(std::string_view line, int depth, int mode, int textPos) {
  if (mode < 0 && !lines_.empty()) {
    appendText(lines_.back().first, line, textPos);
    ++joins_;
    state_ = 0;
    return;
  }
  lines_.emplace_back(std::string(line), depth);
  maxLen_ = std::max(maxLen_, CharacterCount(line));
  textPos_ = textPos;
  state_ = std::max(mode, 0);
}

void TQuote::JoinLast(int how) {
  state_ = 0;
  if (lines_.empty()) return;
  if (how >= 1) {
    if (lines_.size() < 2) return;
    const std::string last = std::move(lines_.back().first);
    lines_.pop_back();
    appendText(lines_.back().first, last, textPos_);
    ++joins_;
  } else if (lines_.back().second == kUnquotedDepth) {
    lines_.pop_back();
  }
}

void TQuote::Clear() {
  lines_.clear();
  maxLen_ = -1;
  textPos_ = -1;
  joins_ = 0;
  state_ = 0;
}

std::string TQuote::WholeText() const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines_[i].first;
  }
  return text;
}

}  // namespace orvel
