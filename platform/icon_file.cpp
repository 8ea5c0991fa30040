#include "platform/icon_file.h"

#include <algorithm>
#include <optional>

namespace nimbrel {
namespace {

// The .ico file layout: a 6-byte header, 16-byte directory entries, then the images.
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kBitmapHeaderSize = 40;
constexpr std::uint32_t kIconType = 1;
constexpr std::uint32_t kCursorType = 2;
constexpr unsigned kSmallIconPixels = 16;
constexpr unsigned kLargeIconPixels = 32;
constexpr unsigned kFewestColours = 16;
constexpr int kFullSizePixels = 256;  // what a 0 width or height byte stands for
constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G'};

std::uint32_t ReadLittleEndian(const Bytes& bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i > 0; --i) value = (value << 8) | bytes[at + i - 1];
  return value;
}

struct DirectoryEntry {
  unsigned width;
  unsigned height;
  unsigned colours;
  std::uint16_t bitCount;
  std::uint32_t size;
  std::uint32_t offset;
};

DirectoryEntry ReadEntry(const Bytes& image, std::size_t index) {
  const std::size_t at = kHeaderSize + index * kEntrySize;
  return {image[at],
          image[at + 1],
          image[at + 2],
          static_cast<std::uint16_t>(ReadLittleEndian(image, at + 6, 2)),
          ReadLittleEndian(image, at + 8, 4),
          ReadLittleEndian(image, at + 12, 4)};
}

// The number of directory entries, when the header and the whole directory are sound.
std::optional<std::size_t> EntryCount(const Bytes& image) {
  if (image.size() < kHeaderSize) return std::nullopt;
  const auto reserved = ReadLittleEndian(image, 0, 2);
  const auto type = ReadLittleEndian(image, 2, 2);
  const std::size_t count = ReadLittleEndian(image, 4, 2);
  if (reserved != 0 || (type != kIconType && type != kCursorType) || count == 0) {
    return std::nullopt;
  }
  if (image.size() < kHeaderSize + count * kEntrySize) return std::nullopt;
  return count;
}

DirectoryEntry PreferredEntry(const Bytes& image, std::size_t count, unsigned preferredPixels) {
  for (std::size_t i = 0; i < count; ++i) {
    const DirectoryEntry entry = ReadEntry(image, i);
    if (entry.width == preferredPixels && entry.colours >= kFewestColours) return entry;
  }
  return ReadEntry(image, count - 1);
}

bool IsPng(const Bytes& image, std::size_t offset, std::size_t size) {
  return size >= sizeof kPngSignature &&
         std::equal(std::begin(kPngSignature), std::end(kPngSignature), image.begin() + offset);
}

int EntryPixels(unsigned pixels) {
  return pixels == 0 ? kFullSizePixels : static_cast<int>(pixels);
}

std::optional<IconImageChoice> ChoiceOf(const Bytes& image, const DirectoryEntry& entry) {
  const std::uint64_t end = std::uint64_t{entry.offset} + entry.size;
  if (entry.size == 0 || end > image.size()) return std::nullopt;
  IconImageChoice choice{entry.offset, entry.size, 0, 0, entry.bitCount};
  if (IsPng(image, entry.offset, entry.size)) {
    choice.width = EntryPixels(entry.width);
    choice.height = EntryPixels(entry.height);
    return choice;
  }
  if (entry.size < kBitmapHeaderSize) return std::nullopt;
  // The bitmap's height counts the colour and the mask rows together.
  choice.width = static_cast<std::int32_t>(ReadLittleEndian(image, entry.offset + 4, 4));
  choice.height = static_cast<std::int32_t>(ReadLittleEndian(image, entry.offset + 8, 4)) / 2;
  choice.bitCount = static_cast<std::uint16_t>(ReadLittleEndian(image, entry.offset + 14, 2));
  return choice;
}

}  // namespace

std::vector<IconImageChoice> ChooseIconImages(const Bytes& iconImage) {
  std::vector<IconImageChoice> choices;
  const auto count = EntryCount(iconImage);
  if (!count) return choices;
  for (unsigned pixels : {kSmallIconPixels, kLargeIconPixels}) {
    if (const auto choice = ChoiceOf(iconImage, PreferredEntry(iconImage, *count, pixels))) {
      choices.push_back(*choice);
    }
  }
  return choices;
}

}  // namespace nimbrel
