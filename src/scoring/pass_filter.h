#pragma once
// The filter dialog's state (TfmFilter, "Filtre") and PassFilter, the test
// the view filter runs on each candidate article while the dialog filter is
// in force.
//
// The dialog's fields are copied in on "&Appliquer": a text test whose text
// is empty is switched off, plain texts are lowered unless case-sensitive,
// regexes are compiled (caseless unless case-sensitive). A regex that does
// not compile leaves the previous state and gives the library's error.
// PassFilter then runs the enabled tests in the order subject, author,
// score, date, lines: with AND a false result, with OR a true result ends
// the walk; otherwise the last enabled test decides (false when none is on).

#include <cstdint>
#include <optional>
#include <string>

#include "articles/article.h"
#include "articles/article_date.h"
#include "core/perlre.h"

namespace orvel {

struct FilterTextTest {
  bool enabled = false;
  std::string text;
  bool regex = false;          // "&RegEx"
  bool caseSensitive = false;  // "Majuscule"
  bool inverted = false;       // "Inversé"
};

enum class FilterBoolean { And, Or };             // "Booléen"
enum class FilterDateTest { Since, OlderThan };   // "Depuis:", "Plus vieux que:"
enum class FilterLinesTest { AtLeast, LessThan }; // "Au moins:", "Moins de:"

inline constexpr std::int32_t kFilterScoreMin = -9999;
inline constexpr std::int32_t kFilterScoreMax = 9999;
inline constexpr std::int32_t kFilterCountMax = 20000;  // days and lines

// The fields of TfmFilter.
struct FilterForm {
  FilterTextTest subject;  // "&1. Sujet"
  FilterTextTest author;   // "&2. Auteur"
  bool scoreEnabled = false;  // "&5. Score": "Prendre les articles scorés"
  std::int32_t scoreFrom = kFilterScoreMin;  // "de:"
  std::int32_t scoreTo = kFilterScoreMax;    // "à:"
  bool dateEnabled = false;  // "&3. Date:"
  FilterDateTest dateTest = FilterDateTest::Since;
  std::int32_t days = 0;  // "Jour(s)"
  bool linesEnabled = false;  // "&4. Lignes"
  FilterLinesTest linesTest = FilterLinesTest::AtLeast;
  std::int32_t lines = 0;  // "Ligne(s)"
  FilterBoolean boolean = FilterBoolean::And;
  bool addToCurrent = false;  // "Ajouter au filtre en cours"
};

class PassFilter {
 public:
  PassFilter();

  // "&Appliquer": takes the form; nothing on success, else the regex
  // library's error (the previous state is kept).
  std::optional<std::string> Apply(const FilterForm& form);
  // "&Enlever les filtres": every test off.
  void Clear();
  // The form as last applied (texts as typed), for the dialog's next opening.
  const FilterForm& Form() const { return typed_; }
  bool AnyEnabled() const;

  // today: the current local date-time; only its day counts.
  bool Pass(const TArticle& article, DateTime today) const;

 private:
  bool textPasses(const FilterTextTest& test, TPerlre& re, std::string_view first,
                  std::string_view second) const;

  FilterForm typed_;
  FilterForm form_;  // enabled flags settled, plain texts lowered as needed
  mutable TPerlre subjectRe_;
  mutable TPerlre authorRe_;
};

}  // namespace orvel
