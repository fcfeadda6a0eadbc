// The archive commands' folder: found without case, made when missing (and
// written to "folders.ini"), refused when the name cannot be a folder's or
// the queue variant meets a folder that is not a queue.

#include "folders/archive_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "config/temp_base_dir.h"
#include "core/atomic_file.h"

namespace orvel {
namespace {

struct Case {
  const char* label;
  const char* name;
  bool queue;
  int index;          // -1: refused
  bool created;
  const char* problem;  // start of the message, "" for none
};

TEST(ArchiveFolder, FoundMadeOrRefused) {
  const Case cases[] = {
      {"existing, other case", "ARCH", false, 2, false, ""},
      {"existing queue", "_queue", true, 3, false, ""},
      {"archive command into a queue", "_Queue", false, 3, false, ""},
      {"queue command into an archive", "arch", true, -1, false, "Q-Archive (file)"},
      {"missing archive", "comp.lang.c", false, 4, true, ""},
      {"missing queue", "_comp.lang.c", true, 4, true, ""},
      {"forbidden symbol", "a/b", false, -1, false, "     Un nom ne doit pas contenir"},
      {"empty", "", false, -1, false, "Un nom de dossier ne peut pas"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    test::TempBaseDir base;
    ASSERT_TRUE(SaveFileAtomically(base.file("folders.ini"),
                                   "[Folders]\ncount=2\n1=arch\n2=_Queue\n[Queues]\n_Queue=1\n"));
    TFolderList list(base.file("folders.ini"), base.file("folders/"));
    list.Load();
    const ArchiveFolder got = FindOrCreateArchiveFolder(list, c.name, c.queue);
    EXPECT_EQ(got.index.has_value(), c.index >= 0);
    EXPECT_EQ(got.index.value_or(-1), static_cast<std::size_t>(c.index));
    EXPECT_EQ(got.created, c.created);
    EXPECT_TRUE(got.problem.starts_with(c.problem)) << got.problem;
    EXPECT_EQ(got.problem.empty(), *c.problem == '\0');
    if (!c.created) continue;
    // The new folder is in the file, with its kind.
    TFolderList reread(base.file("folders.ini"), base.file("folders/"));
    reread.Load();
    const TFolderInfo* made = reread.Find(c.name);
    ASSERT_TRUE(made);
    EXPECT_EQ(made->IsQueue(), c.queue);
  }
}

}  // namespace
}  // namespace orvel
