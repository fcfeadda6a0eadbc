#pragma once
// The compose window's quoting: the quoted body of a reply, and the paste
// operations that put a quote mark or an indentation before every pasted
// line. Pure functions: the window applies the TextEdit they return as one
// undoable edit.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/perlre.h"
#include "core/prompter.h"

namespace orvel {

// The patterns a line is tested with; a pattern that does not compile
// matches nothing (start-up reports it).
class QuoteRules {
 public:
  QuoteRules(std::string_view quoteRegex, std::string_view sigDashRegex);
  // ">" for a line that already starts with a quote mark, else "> ".
  std::string_view QuotePrefix(std::string_view line);
  bool IsSignatureSeparator(std::string_view line);

 private:
  TPerlre quote_;
  TPerlre sigDash_;
};

struct QuotedReply {
  std::string text;           // CR LF after every line
  bool overLongLines = false;  // a quoted line reached the wrap column
};

// The body of the article (after its first empty line) quoted line by line,
// TABs expanded to five spaces; with cutSignature it stops at the signature
// separator.
QuotedReply QuoteForReply(std::string_view article, QuoteRules& rules, bool cutSignature,
                          int wrapColumn);

// Replace [from, from + length) of the text with replacement, then select
// [selectFrom, selectFrom + selectLength) of the new text (byte offsets).
struct TextEdit {
  std::size_t from = 0;
  std::size_t length = 0;
  std::string replacement;
  std::size_t selectFrom = 0;
  std::size_t selectLength = 0;
};

struct Selection {
  std::size_t from = 0;
  std::size_t length = 0;
};

// Every paste of an empty clipboard does nothing (no edit).
std::optional<TextEdit> PastePlain(Selection selection, std::string_view clipboard);
std::optional<TextEdit> PasteReplaceAll(std::size_t textLength, std::string_view clipboard);
// The prepared lines go in between two empty lines each side; the pasted
// lines themselves end up selected.
std::optional<TextEdit> PasteQuoted(Selection selection, std::string_view clipboard,
                                    QuoteRules& rules);
std::optional<TextEdit> PasteIndented(Selection selection, std::string_view clipboard,
                                      int spaces);

inline constexpr std::string_view kIndentByCaption = "Avec retrait de :";
inline constexpr std::string_view kIndentByPrompt = "( 0-20 ) : Nombre d'espaces ";

// "Coller avec retrait de": asks for a count from 1 to 20, starting from the
// configured one, until one is given; nothing when cancelled.
std::optional<int> AskIndentCount(Prompter& prompter, int configured);

}  // namespace orvel
