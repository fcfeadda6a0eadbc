#pragma once
// A deterministic generated group: every article is a pure function of the
// group name, a seed and its number, so any range can be produced in any
// order without state. Numbers come in blocks of 40: a block is either a
// discussion (threads whose replies carry References and "Re: " subjects)
// or a binary post (multi-part files "name.ext (01/12)"). Overview lines are
// written straight into the output buffer and their Bytes and Lines fields
// match the full article exactly.

#include <cstdint>
#include <string>

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
  struct Meta;
  Meta meta(std::int64_t n) const;
  std::uint64_t mix(std::uint64_t a, std::uint64_t b) const;
  void appendMessageId(std::int64_t n, std::string& out) const;
  void appendSubject(const Meta& m, std::string& out) const;
  void appendAuthor(const Meta& m, std::string& out) const;
  void appendReferences(const Meta& m, std::string& out) const;
  std::int64_t epochOf(std::int64_t n) const;
  void appendBodyLine(const Meta& m, std::int64_t line, std::string& out) const;

  std::string host_;
  std::string group_;
  std::uint64_t seed_;
  std::int64_t low_ = 1;
  std::int64_t high_ = 0;
  std::string idSuffix_;  // "." + seed + "@" + group + ">"
};

}  // namespace orvel::fixture
