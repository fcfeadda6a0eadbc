// Which multi-part posts still lack their file in the decode directory: the
// file name a subject gives, and the articles queued for those posts.

#include "content/missing_files.h"

#include <gtest/gtest.h>

#include "articles/thread_builder.h"
#include "config/temp_base_dir.h"

namespace orvel::test {
namespace {

TEST(FileNameOfSubject, TakesAQuotedNameElseTheLastWordWithAnExtension) {
  const struct {
    const char* subject;
    const char* name;
  } rows[] = {
      {"\"holiday.rar\" yEnc (1/15)", "holiday.rar"},
      {"\"my pics\" \"a b.jpg\" (1/2)", "a b.jpg"},
      {"- orvel-test.bin - orvel test binary (001/004)", "orvel-test.bin"},
      {"[12/40] - (pic01.jpg) photos [1/3]", "pic01.jpg"},
      {"notes.txt and more.nfo, (1/2)", "more.nfo"},
      {"after the counter (1/2) late.zip", ""},
      {"version 1.toolong (1/2)", ""},
      {"no name at all (1/2)", ""},
  };
  for (const auto& r : rows) EXPECT_EQ(FileNameOfSubject(r.subject), r.name) << r.subject;
}

TEST(ArticlesOfMissingFiles, SkipsPostsWhoseFileIsDecodedAndQueuedArticles) {
  TempBaseDir dir;
  dir.write("there.bin", "x");
  ThreadBuilder b;
  for (const char* s : {"there.bin (1/2)", "there.bin (2/2)", "absent.bin (1/2)",
                        "absent.bin (2/2)", "nameless (1/2)", "nameless (2/2)"}) {
    ArticleSpec spec;
    spec.subject = s;
    spec.messageId = std::string("<") + s + ">";
    spec.lines = 500;
    b.Add(spec);
  }
  b.Thread();
  b.ById("<absent.bin (2/2)>")->QueuePosition = 0;
  std::vector<std::string> subjects;
  for (const TArticle* a : ArticlesOfMissingFiles(b.lists.rowList, dir.path())) {
    subjects.emplace_back(a->Subject.view());
  }
  std::sort(subjects.begin(), subjects.end());
  EXPECT_EQ(subjects, (std::vector<std::string>{"absent.bin (1/2)", "nameless (1/2)",
                                                "nameless (2/2)"}));
}

}  // namespace
}  // namespace orvel::test
