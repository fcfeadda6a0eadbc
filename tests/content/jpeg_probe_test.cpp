#include "content/jpeg_probe.h"

#include <gtest/gtest.h>

#include <string>

#include "content/viewer_test_support.h"

namespace orvel {
namespace {

// Rewrites the size in the start-of-frame segment.
std::string WithClaimedSize(std::string jpeg, int width, int height) {
  const std::size_t sof = jpeg.find("\xFF\xC0");
  EXPECT_NE(sof, std::string::npos);
  jpeg[sof + 5] = static_cast<char>(height >> 8);
  jpeg[sof + 6] = static_cast<char>(height & 0xFF);
  jpeg[sof + 7] = static_cast<char>(width >> 8);
  jpeg[sof + 8] = static_cast<char>(width & 0xFF);
  return jpeg;
}

TEST(JpegProbe, ReadsTheSizeFromTheHeader) {
  const auto size = ProbeJpeg(test::MakeJpeg(24, 10));
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->width, 24);
  EXPECT_EQ(size->height, 10);
}

TEST(JpegProbe, HeaderAloneIsEnough) {
  const std::string jpeg = test::MakeJpeg(16, 16);
  const std::size_t scan = jpeg.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  EXPECT_TRUE(ProbeJpeg(jpeg.substr(0, scan + 20)).has_value());
}

TEST(JpegProbe, HugeClaimedSizeRefusedBeforeAnyDecoding) {
  const std::string huge = WithClaimedSize(test::MakeJpeg(8, 8), 50000, 65000);
  EXPECT_FALSE(ProbeJpeg(huge).has_value());
  EXPECT_TRUE(ProbeJpeg(WithClaimedSize(test::MakeJpeg(8, 8), 5000, 5000)).has_value());
  EXPECT_FALSE(ProbeJpeg(WithClaimedSize(test::MakeJpeg(8, 8), 5000, 5000), 1000).has_value());
}

TEST(JpegProbe, NotAJpeg) {
  EXPECT_FALSE(ProbeJpeg("").has_value());
  EXPECT_FALSE(ProbeJpeg("GIF89a....").has_value());
  EXPECT_FALSE(ProbeJpeg(std::string("\xFF\xD8\xFF\xE0", 4)).has_value());
  const std::string jpeg = test::MakeJpeg(8, 8);
  EXPECT_FALSE(ProbeJpeg(jpeg.substr(0, 30)).has_value());  // cut inside the header
}

TEST(JpegProbe, Extensions) {
  EXPECT_TRUE(HasJpegExtension("a.jpg"));
  EXPECT_TRUE(HasJpegExtension("A.JPEG"));
  EXPECT_TRUE(HasJpegExtension("b.Jpe"));
  EXPECT_FALSE(HasJpegExtension("a.jp"));
  EXPECT_FALSE(HasJpegExtension("a.jpg.exe"));
  EXPECT_FALSE(HasJpegExtension("jpg"));
}

}  // namespace
}  // namespace orvel
