#pragma once
// Links in the article viewer. A word is the run of characters above blank
// around a position. While the pointer moves, a word that looks like a URL,
// a www./ftp. host or an address shows the hand cursor. A click resolves the
// word into a decision that the caller carries out: open an address with the
// system's handler, fetch an article by Message-ID, open a newsgroup, or ask
// first when the word might name a file to run ("Danger !").

#include <cstddef>
#include <string>
#include <string_view>

#include "core/perlre.h"

namespace orvel {

// The word (run of bytes above blank) around offset, empty when offset is on
// a blank or past the end.
std::string_view WordAt(std::string_view line, std::size_t offset);

// The word without the punctuation that surrounds it in running text:
// leading " ( , . : ; < [ and trailing " ) , . : ; > ].
std::string_view StripLinkWord(std::string_view word);

struct LinkContext {
  // An online group view fetches Message-IDs itself and opens groups in the
  // main window; other views look news targets up in the web archive.
  bool onlineGroupView = false;
  std::string archiveTemplate = "https://www.google.com/search?q=%m";  // `DejaQuery`
};

struct LinkDecision {
  enum class Kind {
    None,            // not a link
    OpenUrl,         // hand target (a URL or "mailto:" address) to the system's handler
    FetchMessageId,  // GetArtByMsgID(target), target with its angle brackets
    OpenGroup,       // open group target in the main window (url: the news link)
    ConfirmDanger,   // ask with DangerCaption/DangerPrompt, initial text target
  };
  Kind kind = Kind::None;
  std::string target;
  std::string url;  // OpenGroup: the news link as written
  bool operator==(const LinkDecision&) const = default;
};

inline constexpr std::string_view kDangerCaption = "Danger !";
inline constexpr std::string_view kDangerPrompt = "\"OK\" exécutera quel que doit le fichier !!";

// The link patterns, compiled once by each viewer that owns one (a match
// keeps its captures in the pattern).
class LinkDetector {
 public:
  LinkDetector();

  // Whether the word under the pointer shows the hand cursor.
  bool LooksLikeLink(std::string_view word);
  // What a click on this word asks for.
  LinkDecision ResolveClick(std::string_view word, const LinkContext& context);

 private:
  TPerlre schemeWord_{true, TPerlre::kCaseless};
  TPerlre hostOrAddressWord_{true, TPerlre::kCaseless};
  TPerlre url_{true, TPerlre::kCaseless};
  TPerlre messageId_{true, 0};
  TPerlre mailAddress_{true, 0};
  TPerlre knownStart_{true, TPerlre::kCaseless};
};

// The target of a news link ("news:group", "news:<id>", "news:id@host",
// "news://host/group", "nntp://host:119/<id>"): a group name, or a
// Message-ID with its angle brackets. Percent escapes are decoded.
std::string NewsLinkTarget(std::string_view url);

// The archive template with each "%m" replaced by the target, whose space,
// double quote, percent, plus, slash, less-than, greater-than, question mark,
// hash, ampersand and every byte outside printable ASCII are written as "%"
// and two lower-case hex digits.
std::string ArchiveAddress(std::string_view archiveTemplate, std::string_view target);

}  // namespace orvel
