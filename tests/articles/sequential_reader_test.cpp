#include "articles/sequential_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace orvel::store_io {
namespace {

// A file read in pieces through a small buffer comes back whole and in
// order, whether pieces straddle the buffer's end or outgrow the buffer.
struct PiecesCase {
  const char* name;
  std::size_t fileSize;
  std::size_t bufferSize;
  std::vector<std::size_t> pieces;  // consumed in turn; they sum to fileSize
};
void PrintTo(const PiecesCase& c, std::ostream* os) { *os << c.name; }

class SequentialReaderTest : public testing::TestWithParam<PiecesCase> {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("orvel-seq-reader-" + std::to_string(::getpid()) + "-" + GetParam().name))
                .string();
  }
  void TearDown() override { std::filesystem::remove(path_); }
  std::string path_;
};

TEST_P(SequentialReaderTest, PiecesReadBackInOrder) {
  const PiecesCase& c = GetParam();
  std::string content;
  for (std::size_t i = 0; i < c.fileSize; ++i) content += static_cast<char>('a' + i * 7 % 26);
  std::ofstream(path_, std::ios::binary) << content;

  SequentialReader reader(c.bufferSize);
  ASSERT_TRUE(reader.open(path_));
  std::string got;
  std::size_t consumed = 0;
  for (std::size_t piece : c.pieces) {
    while (reader.window().size() - consumed < piece) {
      ASSERT_TRUE(reader.refill(consumed)) << "ran dry at " << got.size();
      consumed = 0;
    }
    got += reader.window().substr(consumed, piece);
    consumed += piece;
  }
  EXPECT_EQ(got, content);
  EXPECT_FALSE(reader.refill(consumed));
  EXPECT_TRUE(reader.window().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, SequentialReaderTest,
    testing::Values(PiecesCase{"EmptyFile", 0, 8, {}},
                    PiecesCase{"WithinOneBuffer", 5, 8, {2, 3}},
                    PiecesCase{"StraddlingTheEnd", 20, 8, {3, 3, 3, 3, 3, 5}},
                    PiecesCase{"ExactBuffers", 16, 8, {8, 8}},
                    PiecesCase{"PieceLargerThanBuffer", 40, 8, {1, 30, 9}},
                    PiecesCase{"PieceOfManyBuffers", 100, 4, {3, 90, 7}},
                    PiecesCase{"NoBufferAsked", 10, 0, {4, 6}}),
    [](const testing::TestParamInfo<PiecesCase>& info) { return std::string(info.param.name); });

// A piece that never ends (a damaged length) grows the buffer only to what
// the file holds.
TEST_P(SequentialReaderTest, EndlessPieceGrowsOnlyToTheFile) {
  const PiecesCase& c = GetParam();
  std::ofstream(path_, std::ios::binary) << std::string(c.fileSize, 'x');
  SequentialReader reader(c.bufferSize);
  ASSERT_TRUE(reader.open(path_));
  while (reader.refill(0)) {
  }
  EXPECT_EQ(reader.window().size(), c.fileSize);
  EXPECT_LE(reader.capacity(), std::max(c.fileSize, c.bufferSize));
}

TEST(SequentialReader, MissingFileDoesNotOpen) {
  SequentialReader reader(8);
  EXPECT_FALSE(reader.open("/nonexistent/orvel-seq-reader"));
}

}  // namespace
}  // namespace orvel::store_io
