#include "core/quote_marks.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  int length = 0;
  char32_t cp = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    cp = lead & 0x07;
  }
  if (length == 0 || pos + static_cast<std::size_t>(length) > text.size()) {
    ++pos;
    return lead;
  }
  for (int i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + static_cast<std::size_t>(i));
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return lead;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  // Overlong forms and surrogates are not characters: take the lead byte alone.
  const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
  if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    ++pos;
    return lead;
  }
  pos += static_cast<std::size_t>(length);
  return cp;
}

QuoteMarks::QuoteMarks(std::string_view quoteChars) {
  if (trimView(quoteChars).empty()) quoteChars = kDefaultQuoteChars;
  quoteChars = trimView(quoteChars);
  for (std::size_t pos = 0; pos < quoteChars.size();) {
    const char32_t c = NextCodePoint(quoteChars, pos);
    if (c == ' ' || isMark(c)) continue;
    marks_.push_back(c);
    if (c < 128) asciiMarks_.set(c);
  }
}

bool QuoteMarks::isMark(char32_t c) const {
  if (c < 128) return asciiMarks_.test(c);
  return std::find(marks_.begin(), marks_.end(), c) != marks_.end();
}

std::size_t QuoteMarks::scanRun(std::string_view line, int& marks, std::size_t maxChars) const {
  marks = 0;
  std::size_t pos = 0;
  for (std::size_t chars = 0; pos < line.size() && chars < maxChars; ++chars) {
    std::size_t next = pos;
    const char32_t c = NextCodePoint(line, next);
    if (c == ' ') {
      pos = next;
    } else if (isMark(c)) {
      ++marks;
      pos = next;
    } else {
      break;
    }
  }
  return pos;
}

int QuoteMarks::Depth(std::string_view line) const {
  int marks = 0;
  scanRun(line, marks);
  return marks - 1;
}

std::size_t QuoteMarks::TextPosition(std::string_view line) const {
  int marks = 0;
  return scanRun(line, marks);
}

std::size_t QuoteMarks::PrefixLength(std::string_view line, std::size_t maxChars) const {
  int marks = 0;
  return scanRun(line, marks, maxChars);
}

std::string QuoteMarks::Uniform(std::string_view line) const {
  int marks = 0;
  const std::size_t run = scanRun(line, marks);
  if (marks == 0) return std::string(line);
  std::string out(static_cast<std::size_t>(marks), '>');
  out += ' ';
  out.append(line.substr(run));
  return out;
}

}  // namespace orvel
