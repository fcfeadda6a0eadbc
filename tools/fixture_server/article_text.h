#pragma once
// Reading and writing article text: headers found by name and unfolded,
// overview lines computed from a full article, and the wire form (CRLF line
// ends, dot-stuffing) in which article text and data lines are sent.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::fixture {

struct ArticleParts {
  std::string_view headers;  // header lines, up to (not including) the blank line
  std::string_view body;     // everything after the blank line
};

// Splits at the first empty line (LF or CRLF ends); without one, all is headers.
ArticleParts splitArticle(std::string_view article);

// The unfolded value of the first header with this name (any case), with the
// blanks after the colon removed; nothing when absent.
std::optional<std::string> headerValue(std::string_view article, std::string_view name);

// A header value made fit for one overview field: CR, LF and TAB become blanks.
std::string overviewField(std::string_view value);

// Number of lines in a text (a last line without line end counts too).
std::int64_t countLines(std::string_view text);
// Size of the text once every line ends in CRLF.
std::int64_t crlfSize(std::string_view text);

// The overview line of an article: number, Subject, From, Date, Message-ID,
// References, bytes (CRLF size), body lines, and "Xref: ..." (xrefFallback
// when the article has no Xref header).
std::string overviewLine(std::int64_t number, std::string_view article,
                         std::string_view xrefFallback);

// Appends text in wire form: each line ends in CRLF (a last line without an
// end gets one) and a line starting with "." gets a second one. The
// terminating "." line is not added.
void appendWireText(std::string_view text, std::string& out);

}  // namespace orvel::fixture
