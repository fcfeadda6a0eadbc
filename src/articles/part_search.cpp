#include "articles/part_search.h"

#include <algorithm>
#include <unordered_set>

#include "articles/server_search.h"
#include "articles/threading.h"
#include "core/prompter.h"

namespace orvel {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

void appendOnce(std::vector<std::string>& list, std::string text) {
  if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(std::move(text));
}

}  // namespace

std::string EscapeSearchPattern(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char c : text) {
    switch (c) {
      case '!': case '*': case '+': case '-': case '?': case '[': case ']': case '\\': case '^':
        out += '\\';
        out += c;
        break;
      case ' ': out += '?'; break;
      default: out += c;
    }
  }
  return out;
}

std::vector<TAThread*> SelectedMultiPartThreads(const std::vector<TNode*>& rows) {
  std::vector<TAThread*> out;
  std::unordered_set<const TAThread*> seen;
  for (TNode* row : rows) {
    TAThread* t = row->IsThread() ? row->AsThread() : row->AsArticle()->Thread;
    if (t && t->IsMultiPart() && !t->Articles.empty() && seen.insert(t).second) out.push_back(t);
  }
  return out;
}

std::optional<std::string> MissingPartsCommand(const TAThread& thread) {
  if (thread.Articles.empty()) return std::nullopt;
  PartNumbers parts;
  if (!ParsePartNumbers(thread.Articles.front()->Subject, parts)) return std::nullopt;
  return "Subject 1- " + EscapeSearchPattern(parts.prefix) + "*" + EscapeSearchPattern(parts.suffix);
}

std::vector<std::string> MissingPartsCommands(const std::vector<TNode*>& rows, bool extended) {
  std::vector<std::string> out;
  for (const TAThread* t : SelectedMultiPartThreads(rows)) {
    if (!extended && t->PartsPresent >= t->PartsTotal) continue;
    if (auto command = MissingPartsCommand(*t)) appendOnce(out, std::move(*command));
  }
  return out;
}

std::string ThreadRootId(const TArticle& article) {
  std::string scratch;
  const std::string_view refs = article.References.Text(scratch);
  std::size_t i = 0;
  while (i < refs.size() && isSpace(refs[i])) ++i;
  if (i < refs.size() && refs[i] == '<') {
    const std::size_t close = refs.find('>', i + 1);
    if (close != std::string_view::npos && close > i + 1) {
      return std::string(refs.substr(i, close - i + 1));
    }
  }
  return std::string(article.MessageID.view());
}

std::vector<std::string> ReconstructionCommands(const TArticle& article) {
  const std::string root = EscapeSearchPattern(ThreadRootId(article));
  std::vector<std::string> out{"References 1- *" + root + "*"};
  if (root != article.MessageID.view()) out.push_back("Message-ID 1- " + root);
  return out;
}

bool StartMissingPartsSearch(ServerSearch& search, const std::vector<TNode*>& rows,
                             bool extended, Prompter& prompter) {
  std::vector<std::string> commands = MissingPartsCommands(rows, extended);
  if (commands.empty()) {
    prompter.message(kNoMissingPartText);
    return false;
  }
  for (std::string& c : commands) search.Queue(std::move(c));
  return search.Start(false);
}

bool StartReconstruction(ServerSearch& search, const TArticle& anchor) {
  for (std::string& c : ReconstructionCommands(anchor)) search.Queue(std::move(c));
  return search.Start(true);
}

}  // namespace orvel
