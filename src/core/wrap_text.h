#pragma once
// WrapText: breaks a CR LF text into lines of a given width, keeping each
// line's quote prefix (its leading run of quote marks and spaces, at most 32
// characters) in front of every piece of it.
//
// Without join, short lines stay as they are and only the overflow of a long
// line moves on, into the next input line of the same prefix. With join,
// every run of non-empty lines with the same prefix becomes one paragraph
// filled to the width. A change of prefix (indentation included) always
// starts a new output line, and an empty or prefix-only line stays a
// paragraph break with its prefix. A word too long for the room after its
// prefix is cut hard, giving a line of width + 1 characters.
//
// Columns count UTF-8 characters (continuation bytes take no column). One
// pass, no allocation per line: the output is reserved at 1.5 times the
// input and grows when many prefixes need more.

#include <string>
#include <string_view>

#include "core/quote_marks.h"

namespace orvel {

inline constexpr std::size_t kMaxWrapPrefix = 32;

std::string WrapText(std::string_view text, bool join, int width,
                     const QuoteMarks& marks = QuoteMarks());

}  // namespace orvel
