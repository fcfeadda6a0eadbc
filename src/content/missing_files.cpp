#include "content/missing_files.h"

#include <sys/stat.h>

#include "articles/part_search.h"
#include "articles/threading.h"
#include "content/file_names.h"

namespace orvel {

namespace {

constexpr std::string_view kEnclosing = "\"'()[]{}<>,;:";

bool isAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string_view stripEnclosing(std::string_view word) {
  while (!word.empty() && kEnclosing.find(word.front()) != std::string_view::npos) {
    word.remove_prefix(1);
  }
  while (!word.empty() && kEnclosing.find(word.back()) != std::string_view::npos) {
    word.remove_suffix(1);
  }
  return word;
}

bool hasExtension(std::string_view word) {
  const std::size_t dot = word.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  const std::size_t length = word.size() - dot - 1;
  if (length < 1 || length > 5) return false;
  for (std::size_t i = dot + 1; i < word.size(); ++i) {
    if (!isAlnum(word[i])) return false;
  }
  return true;
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string FileNameOfSubject(std::string_view subject) {
  for (std::size_t open = subject.find('"'); open != std::string_view::npos;) {
    const std::size_t close = subject.find('"', open + 1);
    if (close == std::string_view::npos) break;
    const std::string_view quoted = subject.substr(open + 1, close - open - 1);
    if (hasExtension(quoted)) return std::string(quoted);
    open = subject.find('"', close + 1);
  }
  PartNumbers parts;
  std::string_view text = ParsePartNumbers(subject, parts) ? parts.prefix : subject;
  std::string_view found;
  while (!text.empty()) {
    const std::size_t blank = text.find_first_of(" \t");
    const std::string_view word = stripEnclosing(text.substr(0, blank));
    if (hasExtension(word)) found = word;
    if (blank == std::string_view::npos) break;
    text.remove_prefix(blank + 1);
  }
  return std::string(found);
}

std::vector<TArticle*> ArticlesOfMissingFiles(const std::vector<TNode*>& rows,
                                              std::string_view decodeDir) {
  const std::string directory = WithTrailingSlash(decodeDir);
  std::vector<TArticle*> out;
  for (TAThread* t : SelectedMultiPartThreads(rows)) {
    const std::string name =
        SafeOutputName(CleanFileName(FileNameOfSubject(t->Articles.front()->Subject)));
    if (!name.empty() && fileExists(directory + name)) continue;
    for (TArticle* a : t->Articles) {
      if (!a->IsQueued()) out.push_back(a);
    }
  }
  return out;
}

}  // namespace orvel
