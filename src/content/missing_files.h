#pragma once
// Which multi-part posts of a selection still lack their file in the decode
// directory ("Mettre en fil d'attente les fichiers indisponibles"): the file
// a post makes is named from its subject, as the batch names a decoded file.

#include <string>
#include <string_view>
#include <vector>

#include "articles/article.h"

namespace orvel {

// The file name a post's subject gives: the first quoted text that ends in an
// extension (a "." and one to five letters or digits), else the last word
// before the part counter that does, stripped of enclosing brackets, quotes
// and punctuation; empty when there is none.
std::string FileNameOfSubject(std::string_view subject);

// The articles of the selected multi-part threads (thread rows or their
// article rows) whose file does not exist in decodeDir, thread by thread in
// part order; articles already queued are left out. A thread whose subject
// names no file is taken: nothing shows it was decoded.
std::vector<TArticle*> ArticlesOfMissingFiles(const std::vector<TNode*>& rows,
                                              std::string_view decodeDir);

}  // namespace orvel
