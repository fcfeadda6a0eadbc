#pragma once
// The threads of a group view kept beside its header store, so that a large
// group opens without threading again: which root, thread and depth each
// article of the master list had, the thread nodes' own fields and the
// roots' order. Threading ten million articles takes seconds; placing them
// from this file takes a pass over the list.
//
// The file names the header file it was made with (its size and time), the
// threading options that shape threads, and each article's number in master
// order. Opening uses it only when all of them still match the loaded list,
// and threads from scratch otherwise; a file that is damaged is ignored the
// same way. The roots are stored in their order at saving, and sorted again
// when opened: a sort on other keys breaks ties by that order.

#include <string>

#include "articles/threading.h"
#include "articles/view_lists.h"

namespace orvel {

class Prompter;

struct ThreadLayoutFiles {
  std::string layout;
  std::string headers;  // the header store the layout was made from
};

// Whether the layout file was made from the header file as it is now.
bool ThreadLayoutCurrent(const ThreadLayoutFiles& files);

// Writes the threads of a threading pass over the whole master list (no
// view filter) with the given options. False, the file untouched, when the
// lists are not such a pass's or the file could not be written.
bool SaveThreadLayout(const ThreadLayoutFiles& files, const ViewLists& lists,
                      const ThreadOptions& options);

// Threads the master list from the layout file, as ThreadArticles would,
// when the file matches the header file, the options and the list. False
// when it does not; the lists are then left for ThreadArticles.
bool ThreadFromLayout(const ThreadLayoutFiles& files, ViewLists& lists, const ThreadOptions& options,
                      ThreadStats& stats, Prompter* prompter = nullptr);

}  // namespace orvel
