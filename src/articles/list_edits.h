#pragma once
// Edits of a group view's article list that are not marks: removing
// duplicate copies of an article, and editing a subject.
//
// Duplicates. Walking the master list from last to first, each article A is
// compared with the copy D met before it (later in the list) under the same
// Message-ID. When both are current or queued both stay. A goes when it is
// not queued, not current, has no stored body, is unread, is not newer than
// D, came from another server than the one the view is using, and its
// server does not come before D's in the server list; otherwise D goes and A
// takes its place, except that a current or queued D stays and A goes.
//
// A record's server: a header fetched from another server keeps its origin
// in Xref as "server:group" (the part after the colon not a number); every
// other record of a newsgroup view came from the view's own server. Servers
// are compared by alias or host, without case. The server list is the
// view's server followed by the group's alternative servers; a server not in
// it comes after all of them.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvel {

class TArticle;
class TGroupView;
class TNode;

// The server a record came from (an alias or host name).
std::string ArticleServer(const TGroupView& view, const TArticle& article);

// Whether a transfer holds a connection of the view (duplicate removal is
// refused then).
bool TransferRunning(TGroupView& view);

// acaDeleteDupsExecute ("Efface les doublons..."): frees the duplicates,
// then the store needs compaction and the headers are saved (compaction
// allowed), and the rows are threaded again without the view filter.
// Returns how many records went; 0 and nothing done while a transfer runs.
std::size_t DeleteDuplicates(TGroupView& view);

// acaEditSubjectExecute with the text the person typed. An article takes the
// text as its subject; a thread row takes it as the thread's subject and
// every article of the thread gets "Re: " and the text without a leading
// "Re:" (never a doubled prefix). A blank text changes nothing (false).
bool EditSubject(TGroupView& view, TNode& row, std::string_view text);

}  // namespace orvel
