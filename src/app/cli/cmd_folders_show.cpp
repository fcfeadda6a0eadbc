// orvel-cli folders show FOLDER [N]: the articles of a local folder, one line
// each ("N<TAB>subject<TAB>author<TAB>origin", N counting from 1 in the
// folder's order), or the stored text of its Nth article. A torn last entry
// of the body file is said on the error stream; the complete ones are shown.

#include <ostream>

#include "app/cli/commands.h"
#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "articles/store_io.h"
#include "core/text.h"
#include "folders/folder_list.h"

namespace orvel::cli {

int cmdFoldersShow(CliContext& context, const std::vector<std::string>& words,
                   const TFolderList& folders) {
  if (words.empty() || words.size() > 2) return -1;
  const TFolderInfo* folder = folders.Find(words[0]);
  if (!folder) {
    context.err << "orvel-cli folders show: no folder " << words[0] << '\n';
    return 1;
  }
  std::optional<std::int64_t> wanted;
  if (words.size() == 2) {
    wanted = parseDecimal(words[1]);
    if (!wanted || *wanted < 1) {
      context.err << "orvel-cli folders show: bad article number " << words[1] << '\n';
      return 2;
    }
  }
  TFolder store(folder->file, folder->kind);
  if (store.DroppedBytes() > 0) context.err << TornEntryText(store.DroppedBytes()) << '\n';
  ArticleArena arena;
  std::vector<TArticle*> articles;
  if (store_io::FileExists(folder->file) && !store.LoadHeaders(arena, articles)) {
    context.err << "orvel-cli folders show: " << store.HeaderPath() << " Corrompu ?\n";
    return 1;
  }
  if (!wanted) {
    std::string out;
    for (std::size_t i = 0; i < articles.size(); ++i) {
      const TArticle& a = *articles[i];
      out += std::to_string(i + 1) + '\t' + std::string(a.Subject.view()) + '\t' +
             std::string(a.FromName()) + " <" + std::string(a.FromAddress()) + ">\t" +
             std::string(a.Xref.view()) + '\n';
    }
    context.out << out;
    return 0;
  }
  if (static_cast<std::size_t>(*wanted) > articles.size()) {
    context.err << "orvel-cli folders show: " << folder->name << " holds " << articles.size()
                << " articles, not " << *wanted << '\n';
    return 1;
  }
  std::string text;
  if (!store.ReadBody(*articles[static_cast<std::size_t>(*wanted - 1)], text)) {
    context.err << "orvel-cli folders show: the text of article " << *wanted
                << " cannot be read from " << folder->file << '\n';
    return 1;
  }
  context.out << text;
  return 0;
}

}  // namespace orvel::cli
