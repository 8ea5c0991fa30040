#include "platform/icon_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace nimbrel {
namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kBitmapHeaderSize = 40;

void Put(Bytes& bytes, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::size_t EntryAt(std::size_t index) {
  return kHeaderSize + index * kEntrySize;
}

// One directory entry and the bitmap it points to: a header of `pixels` x `pixels` (height
// doubled for the mask) followed by `extra` bytes.
struct EntryLayout {
  unsigned char directoryPixels;
  unsigned char colours;
  int pixels;
  std::size_t extra = 8;
};

Bytes IconFile(const std::vector<EntryLayout>& entries, std::uint16_t type = 1) {
  Bytes file(kHeaderSize + entries.size() * kEntrySize);
  Put(file, 2, type, 2);
  Put(file, 4, static_cast<std::uint32_t>(entries.size()), 2);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const EntryLayout& e = entries[i];
    const std::size_t offset = file.size();
    const std::size_t size = kBitmapHeaderSize + e.extra;
    file[EntryAt(i)] = e.directoryPixels;
    file[EntryAt(i) + 1] = e.directoryPixels;
    file[EntryAt(i) + 2] = e.colours;
    Put(file, EntryAt(i) + 8, static_cast<std::uint32_t>(size), 4);
    Put(file, EntryAt(i) + 12, static_cast<std::uint32_t>(offset), 4);
    file.resize(offset + size);
    Put(file, offset, kBitmapHeaderSize, 4);
    Put(file, offset + 4, static_cast<std::uint32_t>(e.pixels), 4);
    Put(file, offset + 8, static_cast<std::uint32_t>(2 * e.pixels), 4);
    Put(file, offset + 14, 32, 2);
  }
  return file;
}

std::vector<int> ChosenWidths(const Bytes& file) {
  std::vector<int> widths;
  for (const IconImageChoice& choice : ChooseIconImages(file)) {
    EXPECT_EQ(choice.height, choice.width);
    EXPECT_EQ(choice.size, kBitmapHeaderSize + 8);
    widths.push_back(choice.width);
  }
  return widths;
}

TEST(ChooseIconImagesTest, PrefersSixteenPixelsThenThirtyTwo) {
  struct Case {
    const char* name;
    std::vector<EntryLayout> entries;
    std::vector<int> widths;
  };
  const Case cases[] = {
      {"first 16-pixel entry of at least 16 colours, then the first such 32-pixel one",
       {{48, 16, 48}, {16, 0, 17}, {16, 16, 18}, {16, 16, 19}, {32, 255, 33}},
       {18, 33}},
      {"fewer than 16 colours do not qualify", {{16, 8, 16}, {32, 15, 32}, {24, 0, 24}}, {24, 24}},
      {"a single entry of any size", {{128, 0, 128}}, {128, 128}},
      {"the bitmap's own size counts, not the directory's", {{16, 16, 20}}, {20, 20}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChosenWidths(IconFile(c.entries)), c.widths) << c.name;
  }
  EXPECT_EQ(ChosenWidths(IconFile({{16, 16, 16}}, 2)), (std::vector<int>{16, 16})) << "cursor";
}

TEST(ChooseIconImagesTest, AnUnusableChoiceIsLeftOut) {
  Bytes file = IconFile({{16, 16, 16}, {32, 16, 32}});
  Put(file, EntryAt(0) + 12, 0x7FFFFFFF, 4);
  EXPECT_EQ(ChosenWidths(file), (std::vector<int>{32}));
}

TEST(ChooseIconImagesTest, PngImagesTakeTheirSizeFromTheDirectory) {
  Bytes file = IconFile({{0, 0, 0}});
  const std::size_t bits = kHeaderSize + kEntrySize;
  const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::copy(std::begin(png), std::end(png), file.begin() + bits);
  const std::vector<IconImageChoice> choices = ChooseIconImages(file);
  ASSERT_EQ(choices.size(), 2u);
  EXPECT_EQ(choices[0].width, 256);
  EXPECT_EQ(choices[0].height, 256);
  EXPECT_EQ(choices[0].offset, bits);
}

TEST(ChooseIconImagesTest, ShippedIconGivesIts128PixelImage) {
  std::ifstream in(NIMBREL_SOURCE_DIR "/resources/nimbrel.ico", std::ios::binary);
  ASSERT_TRUE(in);
  const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<IconImageChoice> choices = ChooseIconImages(file);
  ASSERT_FALSE(choices.empty());
  EXPECT_EQ(choices[0].width, 128);
  EXPECT_EQ(choices[0].height, 128);
  EXPECT_EQ(choices[0].bitCount, 32);
  EXPECT_EQ(choices[0].offset + choices[0].size, file.size());
}

TEST(ChooseIconImagesTest, BrokenFilesGiveNothingToTry) {
  const Bytes good = IconFile({{16, 16, 16}});
  auto patched = [&good](std::size_t at, std::uint32_t value, int width) {
    Bytes file = good;
    Put(file, at, value, width);
    return file;
  };
  const std::size_t bitsAt = kHeaderSize + kEntrySize;
  const struct {
    const char* name;
    Bytes file;
  } cases[] = {
      {"empty", {}},
      {"shorter than the header", Bytes(good.begin(), good.begin() + 5)},
      {"reserved word set", patched(0, 1, 2)},
      {"type 0", patched(2, 0, 2)},
      {"type 3", patched(2, 3, 2)},
      {"no entries", patched(4, 0, 2)},
      {"directory cut short", Bytes(good.begin(), good.begin() + kHeaderSize + 10)},
      {"count claims more entries than fit", patched(4, 0xFFFF, 2)},
      {"image offset past the end", patched(EntryAt(0) + 12, 100000, 4)},
      {"image size past the end", patched(EntryAt(0) + 8, static_cast<std::uint32_t>(bitsAt), 4)},
      {"offset and size wrap around",
       [&] {
         Bytes file = patched(EntryAt(0) + 12, 0xFFFFFFF0u, 4);
         Put(file, EntryAt(0) + 8, 0x20, 4);
         return file;
       }()},
      {"image of no bytes", patched(EntryAt(0) + 8, 0, 4)},
      {"image shorter than a bitmap header", patched(EntryAt(0) + 8, 12, 4)},
      {"image cut off with its directory intact", Bytes(good.begin(), good.end() - 1)},
  };
  for (const auto& c : cases) EXPECT_TRUE(ChooseIconImages(c.file).empty()) << c.name;
}

}  // namespace
}  // namespace nimbrel
