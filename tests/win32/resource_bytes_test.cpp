// The icon image is rebuilt from the exe's icon group; it must be the shipped .ico file itself,
// since the window and tray icons are made from those bytes.

#include "platform/win32/resource_bytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "resources/resource_ids.h"

namespace nimbrel::win32 {
namespace {

Bytes FileBytes(const char* path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(LoadIconFileImage, GivesBackTheIconFileTheGroupWasMadeFrom) {
  const Bytes shipped = FileBytes(NIMBREL_SOURCE_DIR "/resources/nimbrel.ico");
  ASSERT_FALSE(shipped.empty());
  EXPECT_EQ(LoadIconFileImage(NIMBREL_ICON_ID), shipped);
}

TEST(LoadIconFileImage, IsEmptyForAGroupThatIsNotThere) {
  EXPECT_TRUE(LoadIconFileImage(NIMBREL_ICON_ID + 1000).empty());
}

TEST(LoadResourceBytes, GivesTheBannerAsStoredAndNothingForAMissingId) {
  EXPECT_EQ(LoadResourceBytes(NIMBREL_BANNER_ID),
            FileBytes(NIMBREL_SOURCE_DIR "/resources/banner.jpg"));
  EXPECT_TRUE(LoadResourceBytes(NIMBREL_BANNER_ID + 1000).empty());
}

}  // namespace
}  // namespace nimbrel::win32
