#pragma once
// TQuote: the quote block the viewer's quote repair holds back while it
// decides which lines to glue. Each entry is a line with its quote depth
// (kUnquotedDepth for a plain body line taken into the block); maxLen and
// textPos describe the last line added as an entry of its own, state says
// whether that entry is a pending candidate (1 or 2) still to be settled.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvel {

inline constexpr int kUnquotedDepth = -999;

class TQuote {
 public:
  // mode < 0: the line's text from textPos on joins the last entry after one
  // space. mode >= 0: the line becomes a new entry and mode the state.
  void AddLine(std::string_view line, int depth, int mode, int textPos);
  // how >= 1: the last entry's text from textPos on joins the entry before
  // it. how < 1: the last entry is dropped when it is an unquoted line.
  void JoinLast(int how);
  void Clear();

  bool Empty() const { return lines_.empty(); }
  std::size_t Count() const { return lines_.size(); }
  const std::string& Text(std::size_t index) const { return lines_[index].first; }
  int Depth(std::size_t index) const { return lines_[index].second; }
  const std::string& LastText() const { return lines_.back().first; }
  int LastDepth() const { return lines_.back().second; }
  // The entries joined with CR LF.
  std::string WholeText() const;

  int maxLen() const { return maxLen_; }
  int textPos() const { return textPos_; }
  int joins() const { return joins_; }
  int state() const { return state_; }

 private:
  std::vector<std::pair<std::string, int>> lines_;
  int maxLen_ = -1;
  int textPos_ = -1;
  int joins_ = 0;
  int state_ = 0;
};

// Characters of a UTF-8 text (continuation bytes not counted).
int CharacterCount(std::string_view text);

}  // namespace orvel
