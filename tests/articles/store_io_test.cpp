#include "articles/store_io.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::store_io {
namespace {

enum class Mode { Replacing, Appending };

// Counted texts written through the buffered writer come back unchanged,
// whatever their size: empty ones (an empty view may carry no data pointer
// at all), and ones larger than the writer's buffer that bypass it.
struct RoundTripCase {
  const char* name;
  Mode mode;
  std::vector<std::string_view> texts;
};
void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

const std::string kLarge(3 << 20, 'x');  // past the writer's 1 MiB buffer

class StoreIoRoundTrip : public testing::TestWithParam<RoundTripCase> {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("orvel-store-io-" + std::to_string(::getpid()) + "-" + GetParam().name))
                .string();
    std::filesystem::remove(path_);
  }
  void TearDown() override { std::filesystem::remove(path_); }
  std::string path_;
};

TEST_P(StoreIoRoundTrip, TextsReadBackAsWritten) {
  const RoundTripCase& c = GetParam();
  {
    Writer w;
    ASSERT_TRUE(c.mode == Mode::Replacing ? w.openReplacing(path_) : w.openAppending(path_));
    for (std::string_view t : c.texts) w.str(t);
    w.i32(-7);  // a number after the texts, so a text that wrote too much shows
    ASSERT_TRUE(w.commit());
  }
  std::string bytes;
  ASSERT_TRUE(ReadFile(path_, bytes));
  Reader r(bytes);
  for (std::size_t i = 0; i < c.texts.size(); ++i) {
    EXPECT_EQ(r.str(), c.texts[i]) << "text " << i;
  }
  EXPECT_EQ(r.i32(), -7);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.left(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StoreIoRoundTrip,
    testing::Values(
        RoundTripCase{"EmptyViewsFirst", Mode::Replacing, {std::string_view(), std::string_view(), "a"}},
        RoundTripCase{"EmptyViewAppended", Mode::Appending, {std::string_view()}},
        RoundTripCase{"EmptyBetweenTexts", Mode::Replacing, {"subject", std::string_view(), "from"}},
        RoundTripCase{"LargeBetweenSmall", Mode::Replacing, {"a", kLarge, std::string_view(), "b"}},
        RoundTripCase{"LargeAppended", Mode::Appending, {kLarge, "tail"}}),
    [](const testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel::store_io
