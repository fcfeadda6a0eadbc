#pragma once
// A deterministic Usenet group: given a group name, a seed and an article
// number it yields that article's overview line and its full text, always the
// same and always consistent with each other, without generating the rest of
// the group. Numbers are laid out in blocks of 4096; each block is planned
// from (seed, group, block index): discussion threads with References chains
// up to depth 20 (some replies numbered before their parents), multi-part
// binary posts of 2 to 200 parts (about 15% of the articles), cross-posts,
// and subjects and authors with encoded words. A plan is a few hundred
// kilobytes and the last one is cached, so reading numbers in order is cheap.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvel::corpus {

struct Header {
  std::int32_t number = 0;
  std::string subject;
  std::string from;
  std::string date;
  std::string messageId;
  std::string references;
  std::string newsgroups;
  std::string xref;  // "Xref: host group:n ..."
  std::int32_t bytes = 0;
  std::int32_t lines = 0;
};

class Corpus {
 public:
  Corpus(std::string group, std::uint64_t seed);
  ~Corpus();
  Corpus(const Corpus&) = delete;
  Corpus& operator=(const Corpus&) = delete;

  const std::string& group() const { return group_; }
  static constexpr const char* kHost = "news.corpus.example";

  // Every number from 1 up is an article.
  Header HeaderOf(std::int32_t number);
  // The XOVER line with its CRLF.
  std::string OverviewLine(std::int32_t number);
  // The article as stored: header lines, an empty line, the body; CRLF line
  // ends, no dot-stuffing. Its size is HeaderOf(number).bytes and its body has
  // HeaderOf(number).lines lines.
  std::string ArticleText(std::int32_t number);

  struct Plan;

  // The header lines of an article (each with its CRLF).
  static std::string headerBlock(const Header& h);

 private:
  const Plan& planFor(std::int32_t block);

  std::string group_;
  std::uint64_t seed_;
  std::unique_ptr<Plan> cached_;
};

}  // namespace orvel::corpus
