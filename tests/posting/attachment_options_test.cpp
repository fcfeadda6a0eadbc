#include "posting/attachment_options.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(AttachmentOptions, FirstOptionReadsSeparatelyWhenFilesCannotGoTogether) {
  struct Case {
    bool yEnc;
    int cutSize;
    std::size_t bodyLines;
    std::uint64_t bytes;
    bool together;
  };
  const Case cases[] = {
      {false, 100, 0, 200 * 45, true},       // two parts
      {false, 100, 1, 200 * 45, false},      // the text's line makes a third
      {false, 8000, 10, 600'000, true},
      {true, 400000, 0, 10, false},          // yEnc never sends together
  };
  for (const Case& c : cases) {
    AttachmentOptions o;
    o.yEnc = c.yEnc;
    o.cutSize = c.cutSize;
    const auto labels = AttachmentModeLabels(o, c.bodyLines, c.bytes);
    EXPECT_EQ(labels[0], c.together ? kAttachmentModeTexts[0] : kAttachmentModeTexts[1])
        << c.cutSize << " " << c.bodyLines << " " << c.bytes;
    EXPECT_EQ(labels[3], kAttachmentModeTexts[3]);
  }
}

TEST(AttachmentOptions, YEncSwitchesUnitsAndMime) {
  Settings settings;
  settings.cutSize = 5000;
  settings.yCutSize = 250000;
  AttachmentOptions o;
  o.mime = true;
  SetYEnc(o, true, settings);
  EXPECT_FALSE(o.mime);
  EXPECT_EQ(o.cutSize, 250000);
  EXPECT_EQ(CutSizeRangeFor(true).unit, "bytes");
  SetYEnc(o, false, settings);
  EXPECT_EQ(o.cutSize, 5000);
  EXPECT_EQ(CutSizeRangeFor(false).max, 15000);
  EXPECT_EQ(AttachmentListLabel({{"a", 2048}, {"b", 1500}}), "2 files. 3KB");
}

}  // namespace
}  // namespace orvel
