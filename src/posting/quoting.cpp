#include "posting/quoting.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

namespace {

constexpr int kMaxIndent = 20;

void compileOrClear(TPerlre& re, std::string_view pattern) {
  try {
    re.Compile(pattern);
  } catch (const EPerlRe&) {
  }
}

bool matches(TPerlre& re, std::string_view line) { return re.IsCompiled() && re.Match(line); }

// Calls visit with each line of text (without its CR LF or LF); a line end at
// the very end does not start another line.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!visit(line)) return;
  }
}

int characters(std::string_view text) {
  int count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

template <typename PrefixOf>
std::string prefixLines(std::string_view clipboard, PrefixOf prefixOf) {
  std::string text;
  forEachLine(clipboard, [&](std::string_view line) {
    if (!text.empty()) text += "\r\n";
    text += prefixOf(line);
    text += line;
    return true;
  });
  return text;
}

TextEdit framed(Selection selection, std::string text) {
  constexpr std::string_view kFrame = "\r\n\r\n";
  TextEdit edit{selection.from, selection.length, {}, selection.from + kFrame.size(), text.size()};
  edit.replacement.reserve(text.size() + 2 * kFrame.size());
  edit.replacement.append(kFrame).append(text).append(kFrame);
  return edit;
}

}  // namespace

QuoteRules::QuoteRules(std::string_view quoteRegex, std::string_view sigDashRegex)
    : quote_(true, 0), sigDash_(true, 0) {
  compileOrClear(quote_, quoteRegex);
  compileOrClear(sigDash_, sigDashRegex);
}

std::string_view QuoteRules::QuotePrefix(std::string_view line) {
  return matches(quote_, line) ? ">" : "> ";
}

bool QuoteRules::IsSignatureSeparator(std::string_view line) { return matches(sigDash_, line); }

QuotedReply QuoteForReply(std::string_view article, QuoteRules& rules, bool cutSignature,
                          int wrapColumn) {
  while (!article.empty() && article.back() == '\0') article.remove_suffix(1);
  QuotedReply reply;
  bool inBody = false;
  forEachLine(article, [&](std::string_view line) {
    if (!inBody) {
      inBody = line.empty();
      return true;
    }
    if (cutSignature && rules.IsSignatureSeparator(line)) return false;
    const std::size_t start = reply.text.size();
    reply.text += rules.QuotePrefix(line);
    for (char c : line) {
      if (c == '\t') {
        reply.text.append(5, ' ');
      } else {
        reply.text += c;
      }
    }
    if (characters(std::string_view(reply.text).substr(start)) >= wrapColumn) {
      reply.overLongLines = true;
    }
    reply.text += "\r\n";
    return true;
  });
  return reply;
}

std::optional<TextEdit> PastePlain(Selection selection, std::string_view clipboard) {
  if (clipboard.empty()) return std::nullopt;
  return TextEdit{selection.from, selection.length, std::string(clipboard),
                  selection.from + clipboard.size(), 0};
}

std::optional<TextEdit> PasteReplaceAll(std::size_t textLength, std::string_view clipboard) {
  return PastePlain(Selection{0, textLength}, clipboard);
}

std::optional<TextEdit> PasteQuoted(Selection selection, std::string_view clipboard,
                                    QuoteRules& rules) {
  if (clipboard.empty()) return std::nullopt;
  return framed(selection, prefixLines(clipboard, [&](std::string_view line) {
                  return rules.QuotePrefix(line);
                }));
}

std::optional<TextEdit> PasteIndented(Selection selection, std::string_view clipboard,
                                      int spaces) {
  if (clipboard.empty()) return std::nullopt;
  const std::string indent(static_cast<std::size_t>(std::max(spaces, 0)), ' ');
  return framed(selection,
                prefixLines(clipboard, [&](std::string_view) -> std::string_view { return indent; }));
}

std::optional<int> AskIndentCount(Prompter& prompter, int configured) {
  for (;;) {
    const auto answer =
        prompter.inputText(kIndentByCaption, kIndentByPrompt, std::to_string(configured));
    if (!answer) return std::nullopt;
    const auto count = parseDecimal(trimView(*answer));
    if (count && *count >= 1 && *count <= kMaxIndent) return static_cast<int>(*count);
  }
}

}  // namespace orvel
