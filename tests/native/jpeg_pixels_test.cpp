#include "platform/jpeg_pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "tests/conformance/jpeg_fixtures.h"

namespace nimbrel {
namespace {

Bytes ShippedBanner() {
  std::ifstream in(NIMBREL_SOURCE_DIR "/resources/banner.jpg", std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void ExpectPixel(const DecodedPicture& picture, int x, int y, int blue, int green, int red) {
  constexpr int kJpegSlack = 8;
  const std::size_t at = static_cast<std::size_t>(y) * PictureRowStride(picture.width) +
                         static_cast<std::size_t>(x) * 3;
  EXPECT_NEAR(picture.pixels[at], blue, kJpegSlack) << x << "," << y;
  EXPECT_NEAR(picture.pixels[at + 1], green, kJpegSlack) << x << "," << y;
  EXPECT_NEAR(picture.pixels[at + 2], red, kJpegSlack) << x << "," << y;
}

TEST(DecodeJpegPixelsTest, TopDownRowsInBlueGreenRedOrder) {
  const auto picture = DecodeJpegPixels(test::kQuadrantJpeg);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 16);
  EXPECT_EQ(picture->height, 16);
  EXPECT_EQ(picture->pixels.size(), 16u * 48u);
  ExpectPixel(*picture, 2, 2, 0, 0, 255);   // red top left
  ExpectPixel(*picture, 13, 2, 0, 255, 0);  // green top right
  ExpectPixel(*picture, 2, 13, 255, 0, 0);  // blue bottom left
  ExpectPixel(*picture, 13, 13, 255, 255, 255);

  const auto grey = DecodeJpegPixels(test::kGreyJpeg);
  ASSERT_TRUE(grey);
  ExpectPixel(*grey, 4, 4, 128, 128, 128);
}

TEST(DecodeJpegPixelsTest, BannerRowsArePaddedToFourBytes) {
  const auto picture = DecodeJpegPixels(ShippedBanner());
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->width, 331);
  EXPECT_EQ(picture->height, 259);
  EXPECT_EQ(PictureRowStride(331), 996);  // 331 * 3 = 993, padded
  EXPECT_EQ(picture->pixels.size(), 996u * 259u);
}

// The frame header's height and width, written as a hostile file might.
Bytes WithClaimedSize(Bytes jpeg, std::uint16_t height, std::uint16_t width) {
  const unsigned char frame[] = {0xFF, 0xC0};
  const auto at = std::search(jpeg.begin(), jpeg.end(), std::begin(frame), std::end(frame));
  EXPECT_NE(at, jpeg.end());
  at[5] = static_cast<unsigned char>(height >> 8);
  at[6] = static_cast<unsigned char>(height);
  at[7] = static_cast<unsigned char>(width >> 8);
  at[8] = static_cast<unsigned char>(width);
  return jpeg;
}

TEST(DecodeJpegPixelsTest, DamagedOrImplausiblePicturesGiveNothing) {
  const Bytes banner = ShippedBanner();
  ASSERT_GT(banner.size(), 100u);
  Bytes corrupted = banner;
  std::fill_n(corrupted.begin() + static_cast<std::ptrdiff_t>(banner.size() / 3), 64, 0xFF);
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"garbage", Bytes(600, 0x5A)},
      {"header only", Bytes(banner.begin(), banner.begin() + 20)},
      {"cut in half", Bytes(banner.begin(), banner.begin() + banner.size() / 2)},
      {"last bytes lost", Bytes(banner.begin(), banner.end() - 40)},
      {"markers in the data", corrupted},
      {"65535 x 65535 pixels claimed", WithClaimedSize(test::kQuadrantJpeg, 65535, 65535)},
      {"no rows", WithClaimedSize(test::kQuadrantJpeg, 0, 16)},
  };
  for (const auto& damaged : cases) EXPECT_FALSE(DecodeJpegPixels(damaged.bytes)) << damaged.what;
  // Just inside the limit the claim is believed, and the missing data is damage.
  EXPECT_FALSE(DecodeJpegPixels(WithClaimedSize(test::kQuadrantJpeg, 4096, 4096)));
}

}  // namespace
}  // namespace nimbrel
