#include "content/link_detection.h"

#include "core/perlre.h"
#include "core/text.h"

namespace orvel {

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view stripSets(std::string_view word, std::string_view leading,
                           std::string_view trailing) {
  while (!word.empty() && leading.find(word.front()) != std::string_view::npos) {
    word.remove_prefix(1);
  }
  while (!word.empty() && trailing.find(word.back()) != std::string_view::npos) {
    word.remove_suffix(1);
  }
  return word;
}

// A "." that is neither the first nor the last character.
bool hasInnerDot(std::string_view text) {
  return text.size() > 2 && text.substr(1, text.size() - 2).find('.') != std::string_view::npos;
}

LinkDecision newsDecision(const std::string& target, std::string_view url,
                          const LinkContext& context) {
  if (target.empty()) return {};
  if (!context.onlineGroupView) {
    return {LinkDecision::Kind::OpenUrl, ArchiveAddress(context.archiveTemplate, target), {}};
  }
  if (target.front() == '<') return {LinkDecision::Kind::FetchMessageId, target, {}};
  return {LinkDecision::Kind::OpenGroup, target, std::string(url)};
}

}  // namespace

std::string_view WordAt(std::string_view line, std::size_t offset) {
  if (offset >= line.size() || isBlank(line[offset])) return {};
  std::size_t start = offset;
  while (start > 0 && !isBlank(line[start - 1])) --start;
  std::size_t end = offset;
  while (end < line.size() && !isBlank(line[end])) ++end;
  return line.substr(start, end - start);
}

LinkDetector::LinkDetector() {
  schemeWord_.Compile("(http|ftp|mailto|news|nntp):.+");
  hostOrAddressWord_.Compile("(www|ftp)\\..+|<?[^<>]+@[^<>]+>?");
  url_.Compile("(https?|ftp|mailto|news|nntp):[^\\\">\\)]+");
  messageId_.Compile("<[^<>]+@[^<>]+>");
  mailAddress_.Compile("[^@]+@[^@]+\\.[^@]+");
  knownStart_.Compile("^(((https?|ftp|mailto|news|nntp):)|(www\\.|ftp\\.)).+");
}

bool LinkDetector::LooksLikeLink(std::string_view word) {
  if (word.empty()) return false;
  return schemeWord_.Match(word) || hostOrAddressWord_.Match(word);
}

std::string_view StripLinkWord(std::string_view word) {
  return stripSets(word, "\"(,.:;<[", "\"),.:;>]");
}

LinkDecision LinkDetector::ResolveClick(std::string_view word, const LinkContext& context) {
  const std::string_view stripped = StripLinkWord(word);
  if (stripped.empty()) return {};
  std::string text;
  if (url_.Match(stripped)) {
    text = url_.SubExp(0);
    if (toLowerAscii(text[0]) == 'n') return newsDecision(NewsLinkTarget(text), text, context);
  } else if (const std::string_view bracketed = stripSets(word, "\"(,.:;[", "\"),.:;]");
             messageId_.Match(bracketed)) {
    // The angle brackets are what makes a Message-ID: they are kept here.
    const std::string id = messageId_.SubExp(0);
    return newsDecision(id, id, context);
  } else if (mailAddress_.Match(stripped)) {
    text = "mailto:" + std::string(stripped);
  } else {
    text = std::string(stripped);
  }

  if (knownStart_.Match(text)) {
    // A bare host is opened as the address it stands for.
    if (startsWithNoCase(text, "www.")) text = "http://" + text;
    if (startsWithNoCase(text, "ftp.")) text = "ftp://" + text;
    return {LinkDecision::Kind::OpenUrl, text, {}};
  }
  if (hasInnerDot(text)) return {LinkDecision::Kind::ConfirmDanger, text, {}};
  return {};
}

std::string NewsLinkTarget(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos) return {};
  std::string_view rest = url.substr(colon + 1);
  if (rest.substr(0, 2) == "//") {
    const std::size_t slash = rest.find('/', 2);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
  }
  std::string target = unescapeHex(rest, '%');
  if (target.find('@') == std::string::npos) {
    while (!target.empty() && target.back() == '/') target.pop_back();
    return target;
  }
  std::string_view id = target;
  while (!id.empty() && id.front() == '<') id.remove_prefix(1);
  while (!id.empty() && id.back() == '>') id.remove_suffix(1);
  return id.empty() ? std::string() : "<" + std::string(id) + ">";
}

std::string ArchiveAddress(std::string_view archiveTemplate, std::string_view target) {
  std::string escaped;
  for (char c : target) {
    const auto byte = static_cast<unsigned char>(c);
    const bool special = std::string_view("\"%+/<>?#&").find(c) != std::string_view::npos;
    if (byte <= ' ' || byte >= 0x7F || special) {
      escaped += format("%%%.2x", byte);
    } else {
      escaped += c;
    }
  }
  std::string out;
  for (std::size_t i = 0; i < archiveTemplate.size(); ++i) {
    if (archiveTemplate.substr(i, 2) == "%m") {
      out += escaped;
      ++i;
    } else {
      out += archiveTemplate[i];
    }
  }
  return out;
}

}  // namespace orvel
