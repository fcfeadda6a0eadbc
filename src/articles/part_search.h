#pragma once
// The server pattern searches that complete what a group view shows: the
// missing parts of multi-part posts (a Subject search built from the first
// part's subject with the part number left open) and the articles of a
// thread (a References search on the thread's root, and the root itself by
// Message-ID). They build the commands a ServerSearch runs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article.h"

namespace orvel {

class Prompter;
class ServerSearch;

inline constexpr std::string_view kNoMissingPartText =
    "Aucune part manquante.\nTentez la commande étendue .     ";

// A text as a literal in a server's wildcard pattern: each of ! * + - ? [ ] \ ^
// gets a backslash before it and each blank becomes "?".
std::string EscapeSearchPattern(std::string_view text);

// The multi-part threads of a selection: thread rows, and the threads of
// article rows, each once, in selection order.
std::vector<TAThread*> SelectedMultiPartThreads(const std::vector<TNode*>& rows);

// "Subject 1- " + prefix + "*" + suffix (both escaped) from the part
// numbers of the thread's first article, or nothing when its subject has
// none.
std::optional<std::string> MissingPartsCommand(const TAThread& thread);
// The commands for the selected multi-part threads, each once: plain, only
// those with fewer parts present than announced; extended, all of them.
std::vector<std::string> MissingPartsCommands(const std::vector<TNode*>& rows, bool extended);

// The root of an article's thread: the first Message-ID of References when
// it opens the field (leading blanks allowed), else its own Message-ID.
std::string ThreadRootId(const TArticle& article);
// "References 1- *root*" and, when the escaped root differs from the
// article's own Message-ID, "Message-ID 1- root".
std::vector<std::string> ReconstructionCommands(const TArticle& article);

// The two commands as the list runs them: queued on the search and started.
// The missing-parts search tells the person when there is nothing to look
// for. False when nothing started.
bool StartMissingPartsSearch(ServerSearch& search, const std::vector<TNode*>& rows,
                             bool extended, Prompter& prompter);
bool StartReconstruction(ServerSearch& search, const TArticle& anchor);

}  // namespace orvel
