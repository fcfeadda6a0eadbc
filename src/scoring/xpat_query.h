#pragma once
// The server search dialog's model (TfmXPat, "Chercher sur le serveur(XPAT)")
// and the search it starts: the XPAT command text built from the dialog,
// run by the view's ServerSearch; the hits already loaded get the chosen
// score at once, and the search mode gives it to the hits fetched after.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "articles/server_search.h"

namespace orvel {

// "Rechercher dans les entêtes".
enum class XpatHeader { Subject, Author, References, MessageID, Keywords, Other };

inline constexpr std::int32_t kXpatScoreMin = -20000;
inline constexpr std::int32_t kXpatScoreMax = 20000;

// What the dialog remembers until the program ends.
struct XpatMemory {
  std::int32_t score = 10000;  // "Scorer à"
  std::string range = "1-";    // "Intervale"
};

struct XpatForm {
  std::string pattern;         // "Rechercher:", wildcard patterns separated by blanks
  XpatHeader header = XpatHeader::Subject;
  std::string otherName;       // the header typed for "Autre"
  bool caseSensitive = false;  // "Case sensitive"
  std::string range = "1-";
  std::int32_t score = 10000;
};

enum class XpatCheck { Ok, EmptyPattern, EmptyHeader, BadRange };

// The range matches "\d+|\d+\-|\d+\-\d+" as a whole.
bool XpatRangeValid(std::string_view range);
// OK's rule: a valid range, a pattern, and for "Autre" a header name.
XpatCheck CheckXpatForm(const XpatForm& form);
// Each ASCII letter as "[" + upper + lower + "]"; other bytes unchanged.
std::string BracketLetters(std::string_view pattern);
std::string_view XpatHeaderName(const XpatForm& form);
// The command without its verb: header + " " + range + " " + pattern.
std::string XpatCommandText(const XpatForm& form);

class XpatSearch {
 public:
  // Both must outlive this object.
  XpatSearch(TGroupView& view, ServerSearch& search);
  ~XpatSearch();
  XpatSearch(const XpatSearch&) = delete;
  XpatSearch& operator=(const XpatSearch&) = delete;

  // OK of the dialog: remembers the score and range, then sends the search.
  // False when the form is refused or the search could not start.
  bool Run(const XpatForm& form, XpatMemory& memory);
  std::int32_t Score() const { return score_; }

 private:
  void hit(std::int32_t number);

  TGroupView& view_;
  ServerSearch& search_;
  std::int32_t score_ = 10000;
  // The loaded articles by number, built at the first hit of a search.
  std::unordered_map<std::int32_t, TArticle*> loaded_;
  bool indexed_ = false;
};

}  // namespace orvel
