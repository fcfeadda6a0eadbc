// The archive commands' folder: found without case, made of the command's
// kind when missing, refused for a bad name or a queue command meeting an
// archive.

#include "folders/archive_folder.h"

#include <gtest/gtest.h>

#include "config/temp_base_dir.h"

namespace orvel {
namespace {

TEST(ArchiveFolder, FoundMadeOrRefused) {
  struct Case {
    const char* name;
    bool queue;
    std::size_t index;  // SIZE_MAX: refused
    const char* problem;
  };
  const Case cases[] = {{"ARCH", false, 2, ""},
                        {"arch", true, SIZE_MAX, "Q-Archive (file)"},
                        {"_comp.lang.c", true, 4, ""},
                        {"a/b", false, SIZE_MAX, "     Un nom ne doit pas contenir"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempBaseDir base;
    base.write("folders.ini", "[Folders]\ncount=2\n1=arch\n2=_Queue\n[Queues]\n_Queue=1\n");
    TFolderList list(base.file("folders.ini"), base.file("folders/"));
    list.Load();
    const ArchiveFolder got = FindOrCreateArchiveFolder(list, c.name, c.queue);
    EXPECT_EQ(got.index.value_or(SIZE_MAX), c.index);
    EXPECT_TRUE(got.problem.starts_with(c.problem) && got.problem.empty() == !*c.problem);
    TFolderList reread(base.file("folders.ini"), base.file("folders/"));
    reread.Load();
    EXPECT_EQ(reread.Count(), got.created ? 5u : 4u);
    EXPECT_TRUE(!got.created || reread[4].IsQueue() == c.queue);
  }
}

}  // namespace
}  // namespace orvel
