#include "articles/arena_blocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <utility>
#include <vector>

namespace orvel {
namespace {

constexpr std::size_t kMB = std::size_t{1} << 20;

struct Taken {
  char* block;
  std::size_t bytes;
};

// Takes blocks of the given sizes as an arena growing by them would, and
// checks each is its own: a block handed out twice, or one smaller than
// asked, shows as a pattern overwritten by another's.
void takeAndCheck(ArenaBlocks& blocks, const std::vector<std::size_t>& sizes, std::size_t held) {
  std::vector<Taken> taken;
  for (std::size_t bytes : sizes) {
    char* block = blocks.take(bytes, held);
    held += bytes;
    ASSERT_NE(block, nullptr);
    std::memset(block, static_cast<int>(taken.size() + 1), bytes);
    taken.push_back({block, bytes});
  }
  for (std::size_t k = 0; k < taken.size(); ++k) {
    const auto mark = static_cast<char>(k + 1);
    const Taken& t = taken[k];
    EXPECT_TRUE(std::all_of(t.block, t.block + t.bytes, [mark](char c) { return c == mark; }))
        << "block " << k;
  }
  for (const Taken& t : taken) FreeArenaBlock(t.block, t.bytes);
}

struct BlocksCase {
  const char* name;
  std::size_t held;  // the arena's size before the first block
  std::vector<std::size_t> sizes;
};
void PrintTo(const BlocksCase& c, std::ostream* os) { *os << c.name; }

class ArenaBlocksTest : public testing::TestWithParam<BlocksCase> {};

TEST_P(ArenaBlocksTest, EveryBlockIsItsOwn) {
  ArenaBlocks blocks;
  takeAndCheck(blocks, GetParam().sizes, GetParam().held);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ArenaBlocksTest,
    testing::Values(BlocksCase{"SmallArena", 0, {16 << 10, 32 << 10, 64 << 10}},
                    BlocksCase{"LargeArenaSameSizes", kSmallPagedArena, {4 * kMB, 4 * kMB, 4 * kMB}},
                    BlocksCase{"GrowingPastTheThreshold", kSmallPagedArena - 4 * kMB,
                               {4 * kMB, 4 * kMB, 4 * kMB}},
                    BlocksCase{"LargerBlockBetween", kSmallPagedArena,
                               {4 * kMB, 9 * kMB, 4 * kMB, 4 * kMB}},
                    BlocksCase{"SmallerBlockBetween", kSmallPagedArena,
                               {4 * kMB, 64 << 10, 4 * kMB}}),
    [](const testing::TestParamInfo<BlocksCase>& info) { return std::string(info.param.name); });

// A moved-from source hands out fresh blocks of its own, and the spare moved
// with it is not handed out twice.
TEST(ArenaBlocks, MovedSpareIsHandedOutOnce) {
  ArenaBlocks first;
  FreeArenaBlock(first.take(4 * kMB, kSmallPagedArena), 4 * kMB);
  ArenaBlocks second(std::move(first));
  char* fromSecond = second.take(4 * kMB, kSmallPagedArena);
  char* fromFirst = first.take(4 * kMB, kSmallPagedArena);
  EXPECT_NE(fromFirst, fromSecond);
  FreeArenaBlock(fromFirst, 4 * kMB);
  FreeArenaBlock(fromSecond, 4 * kMB);
  ArenaBlocks third;
  third = std::move(second);
  char* fromThird = third.take(4 * kMB, kSmallPagedArena);
  char* fromMovedAway = second.take(4 * kMB, kSmallPagedArena);
  EXPECT_NE(fromThird, fromMovedAway);
  FreeArenaBlock(fromThird, 4 * kMB);
  FreeArenaBlock(fromMovedAway, 4 * kMB);
}

}  // namespace
}  // namespace orvel
