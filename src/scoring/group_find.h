#pragma once
// "Trouver" in the article list of a group view: walks the list from the
// entry after the focused one, entering collapsed threads, and matches a
// regex on subjects (without "Re:"), authors' names and addresses, or the
// stored bodies (read through a callback). Articles of 1000 lines or more
// can be skipped.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "articles/article.h"
#include "core/perlre.h"

namespace orvel {

// "Rechercher dans".
enum class FindIn { Subjects, AuthorsAndSubjects, Authors, Bodies };

inline constexpr std::int32_t kBigArticleLines = 1000;

struct FindOptions {
  std::string pattern;         // "Trouver:"
  bool caseSensitive = false;  // "Case sensitive"
  bool skipBig = false;        // "Sauter les gros articles"
  FindIn in = FindIn::Subjects;
};

struct FindHit {
  TArticle* article = nullptr;
  // In a body: the match's offset and length in the text the reader gave.
  std::size_t offset = 0;
  std::size_t length = 0;
};

class GroupFind {
 public:
  // The stored text of an article; nothing when its body is not stored.
  using BodyReader = std::function<std::optional<std::string>(const TArticle&)>;
  // Asked between articles; true ends the walk (the dialog's stop).
  using StopTest = std::function<bool()>;

  GroupFind();

  // Takes the dialog's choices; the regex library's error when the pattern
  // does not compile (the previous search stays).
  std::optional<std::string> SetOptions(const FindOptions& options);
  const FindOptions& Options() const { return options_; }
  bool Ready() const { return re_.IsCompiled(); }

  // The first hit after the focused node (none: from the top) in the roots'
  // order, each thread's articles in turn; nothing at the end of the list
  // or when stopped.
  std::optional<FindHit> Next(const std::vector<TNode*>& roots, const TNode* focused,
                              const BodyReader& readBody, const StopTest& stop = {});

 private:
  bool matches(TArticle& article, const BodyReader& readBody, FindHit& hit);

  FindOptions options_;
  TPerlre re_;
  std::string body_;  // the subject of a body match stays alive while read
};

}  // namespace orvel
