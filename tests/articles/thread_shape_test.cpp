// The complete thread shape of a generated group, against a hash of its rows
// taken before the threading tables were rebuilt for speed: replies before their parents, reference loops,
// duplicate Message-IDs, missing parents, "Re:" without references and
// multi-part series with parts out of order. Any change to the threading
// pass's tables or its order of work must leave every row as it was.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>

#include "thread_builder.h"

namespace orvel {
namespace {

using test::ArticleSpec;
using test::ThreadBuilder;

std::string idOf(std::uint32_t k) { return "<" + std::to_string(k) + ".gen@test>"; }

// A group of n articles from a fixed seed (std::mt19937's sequence is fixed
// by the standard; only its raw output is used).
void generateGroup(ThreadBuilder& b, std::uint32_t n) {
  std::mt19937 random(20);
  const auto pick = [&random](std::uint32_t below) { return static_cast<std::uint32_t>(random() % below); };
  const char* posters[] = {"Ann <ann@example.com>", "Bob <bob@example.net>", "Cy <cy@example.org>"};
  for (std::uint32_t k = 0; k < n; ++k) {
    ArticleSpec s;
    s.messageId = idOf(k);
    s.from = posters[pick(3)];
    s.date = 40000 + pick(5000) / 7.0;  // ties on purpose
    const std::uint32_t kind = pick(100);
    const std::string topic = "Topic " + std::to_string(pick(n / 6 + 1));
    if (kind < 25) {
      s.subject = topic;
    } else if (kind < 55 && k > 0) {  // a reply to an earlier article, sometimes deep
      const std::uint32_t parent = k - 1 - pick(std::min<std::uint32_t>(k, 40));
      s.references = idOf(parent / 2) + " " + idOf(parent);
      s.subject = "Re: " + topic;
    } else if (kind < 65) {  // a reply whose parent comes later
      s.references = idOf(k + 1 + pick(30));
      s.subject = "Re: " + topic;
    } else if (kind < 70) {  // its parent never arrives
      s.references = "<missing." + std::to_string(pick(50)) + "@test>";
      s.subject = pick(2) ? "Re: " + topic : topic;
    } else if (kind < 73) {  // "Re:" without references
      s.subject = "Re: " + topic;
    } else if (kind < 76 && k > 0) {  // a Message-ID seen before
      s.messageId = idOf(pick(k));
      s.subject = topic;
    } else if (kind < 79) {  // a loop with the next article, or with itself
      s.references = pick(2) ? idOf(k + 1) : idOf(k);
      s.subject = topic;
    } else if (kind < 81 && k > 0) {  // closes a loop with the one before
      s.references = idOf(k - 1);
      s.subject = "Re: " + topic;
    } else {  // a part of one of a few series, in any order
      const std::uint32_t series = pick(12);
      const std::uint32_t total = 3 + series % 5;
      const std::uint32_t part = pick(total + 1);  // part 0 too
      s.subject = "Series " + std::to_string(series) + " file.rar (" + std::to_string(part) + "/" +
                  std::to_string(total) + ")";
      s.lines = pick(4) ? 2000 : 50;
      if (pick(4) == 0) s.references = idOf(pick(k + 1));
    }
    b.Add(s);
  }
}

std::string rowsText(const ThreadBuilder& b) {
  std::ostringstream out;
  for (const TNode* n : b.lists.rowList) {
    if (const TAThread* t = n->AsThread()) {
      out << "[" << t->Subject.view() << "] " << t->Articles.size() << "\n";
    } else {
      out << n->AsArticle()->Number << " " << n->Subject.view() << "@" << n->Depth() << "\n";
    }
  }
  return out.str();
}

// FNV-1a of the rows' text.
std::uint64_t hashOf(std::string_view text) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  return h;
}

struct ShapeCase {
  const char* name;
  std::uint64_t rowsHash;
  bool multiPart;
  bool newSubjectNewThread;
};
void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

class ThreadShapeTest : public testing::TestWithParam<ShapeCase> {};

TEST_P(ThreadShapeTest, RowsOfAGeneratedGroupStayTheSame) {
  ThreadBuilder b;
  generateGroup(b, 4000);
  ThreadOptions options;
  options.multiPartThreading = GetParam().multiPart;
  options.newSubjectNewThread = GetParam().newSubjectNewThread;
  b.Thread(options);
  const std::string actual = rowsText(b);
  if (hashOf(actual) != GetParam().rowsHash) {
    // The rows go beside the tests, to compare with those of a build before the change.
    const std::string actualPath = std::string(ORVEL_BINARY_DIR) + "/thread_shape_" + GetParam().name + ".rows";
    std::ofstream(actualPath) << actual;
    FAIL() << "the rows changed; this run's rows are in " << actualPath;
  }
  EXPECT_EQ(b.stats.articles, 4000);
}

INSTANTIATE_TEST_SUITE_P(
    Groups, ThreadShapeTest,
    testing::Values(ShapeCase{"Default", 0xcc61fb8f1d78c39aull, true, false},
                    ShapeCase{"NoMultiPart", 0x0db1ad098aabf23dull, false, false},
                    ShapeCase{"NewSubjectNewThread", 0x427d358fb4680677ull, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel
