#pragma once
// A generated group: the articles of the corpus generator (tools/corpus) for
// the group name and a seed, numbered from a low to a high mark that a test
// may move. Every article is a pure function of group, seed and number, so
// any range comes out in any order without state; the server's host name
// replaces the corpus's in Path and Xref (Bytes follows).

#include <cstdint>
#include <string>

#include "corpus/corpus.h"
#include "group_source.h"

namespace orvel::fixture {

class GeneratedSource : public GroupSource {
 public:
  // Articles 1 to count.
  GeneratedSource(std::string host, std::string group, std::int64_t count, std::uint64_t seed);

  // Makes the articles low to high exist (high < low: none); lets a test move
  // the marks either way.
  void setRange(std::int64_t low, std::int64_t high);

  std::int64_t low() const override { return low_; }
  std::int64_t high() const override { return high_; }
  std::int64_t count() const override { return high_ >= low_ ? high_ - low_ + 1 : 0; }
  std::optional<std::int64_t> next(std::int64_t n) const override;
  std::optional<std::int64_t> previous(std::int64_t n) const override;
  void appendOverview(std::int64_t n, std::string& out) const override;
  std::string article(std::int64_t n) const override;
  std::string messageId(std::int64_t n) const override;
  std::optional<std::int64_t> findMessageId(std::string_view id) const override;

 private:
  std::string host_;
  // The generator caches the plan of the last block it used: reading in
  // number order stays cheap. The server's one thread is its only user.
  mutable corpus::Corpus corpus_;
  std::int64_t low_ = 1;
  std::int64_t high_ = 0;
};

}  // namespace orvel::fixture
