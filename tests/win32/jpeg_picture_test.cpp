// The JPEG decoder: pixel layout of what it gives, and that no damaged file ends the process.

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/jpeg_picture.h"
#include "tests/conformance/jpeg_fixtures.h"
#include "tests/win32/window_test_support.h"

namespace nimbrel {
namespace {

struct Pixel {
  int blue, green, red;
};

// The decoded bitmap's own bytes, read the way a 24-bit top-down DIB lays them out.
class DecodedPicture {
 public:
  explicit DecodedPicture(const Bytes& jpeg) : bitmap_(win32::DecodeJpeg(jpeg, &size_)) {
    if (bitmap_) ::GetObjectA(bitmap_.get(), sizeof(section_), &section_);
  }
  bool Empty() const { return !bitmap_; }
  SIZE Size() const { return size_; }
  const DIBSECTION& Section() const { return section_; }
  Pixel At(int x, int y) const {
    const auto* bits = static_cast<const unsigned char*>(section_.dsBm.bmBits);
    const unsigned char* at = bits + y * section_.dsBm.bmWidthBytes + x * 3;
    return {at[0], at[1], at[2]};
  }

 private:
  SIZE size_{};
  win32::UniqueBitmap bitmap_;
  DIBSECTION section_{};
};

void ExpectPixel(const DecodedPicture& picture, int x, int y, Pixel expected) {
  const Pixel seen = picture.At(x, y);
  constexpr int kJpegSlack = 8;
  EXPECT_NEAR(seen.blue, expected.blue, kJpegSlack) << "blue at " << x << "," << y;
  EXPECT_NEAR(seen.green, expected.green, kJpegSlack) << "green at " << x << "," << y;
  EXPECT_NEAR(seen.red, expected.red, kJpegSlack) << "red at " << x << "," << y;
}

TEST(DecodeJpegTest, GivesATopDownTwentyFourBitSectionInBlueGreenRedOrder) {
  const DecodedPicture picture(test::kQuadrantJpeg);
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Size().cx, 16);
  EXPECT_EQ(picture.Size().cy, 16);
  EXPECT_EQ(picture.Section().dsBmih.biBitCount, 24);
  EXPECT_EQ(picture.Section().dsBm.bmWidthBytes, 48);

  // Memory rows are read from the first one on: a bottom-up section would show blue here.
  ExpectPixel(picture, 2, 2, {0, 0, 255});   // red
  ExpectPixel(picture, 13, 2, {0, 255, 0});  // green
  ExpectPixel(picture, 2, 13, {255, 0, 0});  // blue
  ExpectPixel(picture, 13, 13, {255, 255, 255});
}

TEST(DecodeJpegTest, GreyPictureComesOutAsThreeEqualChannels) {
  const DecodedPicture picture(test::kGreyJpeg);
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Size().cx, 8);
  ExpectPixel(picture, 4, 4, {128, 128, 128});
}

TEST(DecodeJpegTest, RowsOfAnOddWidthArePaddedToFourBytes) {
  const Bytes banner = test::ReadFileBytes(test::SourcePath("resources/banner.jpg"));
  const DecodedPicture picture(banner);
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Size().cx, 331);
  EXPECT_EQ(picture.Size().cy, 259);
  EXPECT_EQ(picture.Section().dsBm.bmWidthBytes, 996);  // 331 * 3 = 993, padded
}

TEST(DecodeJpegTest, DamagedOrMissingPicturesGiveNothing) {
  const Bytes banner = test::ReadFileBytes(test::SourcePath("resources/banner.jpg"));
  ASSERT_GT(banner.size(), 100u);
  Bytes corrupted = banner;
  for (std::size_t i = corrupted.size() / 3; i < corrupted.size() / 3 + 64; ++i) {
    corrupted[i] = 0xFF;
  }
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
  };
  for (const auto& damaged : cases) {
    SIZE size{7, 7};
    EXPECT_FALSE(win32::DecodeJpeg(damaged.bytes, &size)) << damaged.what;
    EXPECT_EQ(size.cx, 0) << damaged.what;
    EXPECT_EQ(size.cy, 0) << damaged.what;
  }
}

}  // namespace
}  // namespace nimbrel
