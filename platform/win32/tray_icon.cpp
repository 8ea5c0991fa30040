#include "platform/win32/tray_icon.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace nimbrel::win32 {
namespace {

// The .ico file layout: a 6-byte header, 16-byte directory entries, then the images.
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kBitmapHeaderSize = 40;
constexpr WORD kIconType = 1;
constexpr WORD kCursorType = 2;
constexpr BYTE kSmallIconPixels = 16;
constexpr BYTE kLargeIconPixels = 32;
constexpr BYTE kFewestColours = 16;
constexpr int kFullSizePixels = 256;  // what a 0 width or height byte stands for
constexpr WORD kHighColourBits = 16;
constexpr DWORD kIconFormatVersion = 0x30000;
constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G'};

// The first layout of the record: the only one every shell version accepts.
constexpr DWORD kFirstLayoutSize = NOTIFYICONDATAA_V1_SIZE;
static_assert(sizeof(void*) != 4 || kFirstLayoutSize == 88);
// Two bytes short of the first layout's 64-byte tip; the shell never showed more.
constexpr std::size_t kTipBytes = 62;
constexpr UINT kShowFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

std::uint32_t ReadLittleEndian(const Bytes& bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i > 0; --i) value = (value << 8) | bytes[at + i - 1];
  return value;
}

struct DirectoryEntry {
  BYTE width;
  BYTE height;
  BYTE colours;
  WORD bitCount;
  std::uint32_t size;
  std::uint32_t offset;
};

DirectoryEntry ReadEntry(const Bytes& image, std::size_t index) {
  const std::size_t at = kHeaderSize + index * kEntrySize;
  return {image[at],
          image[at + 1],
          image[at + 2],
          static_cast<WORD>(ReadLittleEndian(image, at + 6, 2)),
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

DirectoryEntry ChooseEntry(const Bytes& image, std::size_t count, BYTE preferredPixels) {
  for (std::size_t i = 0; i < count; ++i) {
    const DirectoryEntry entry = ReadEntry(image, i);
    if (entry.width == preferredPixels && entry.colours >= kFewestColours) return entry;
  }
  return ReadEntry(image, count - 1);
}

bool IsPng(const Bytes& bits) {
  return bits.size() >= sizeof kPngSignature &&
         std::memcmp(bits.data(), kPngSignature, sizeof kPngSignature) == 0;
}

int EntryPixels(BYTE pixels) {
  return pixels == 0 ? kFullSizePixels : pixels;
}

// Width, height of the icon and its bit count, from the image's own header when it has one.
struct ImageShape {
  int width;
  int height;
  WORD bitCount;
};

std::optional<ImageShape> ShapeOf(const Bytes& bits, const DirectoryEntry& entry) {
  if (IsPng(bits))
    return ImageShape{EntryPixels(entry.width), EntryPixels(entry.height), entry.bitCount};
  if (bits.size() < kBitmapHeaderSize) return std::nullopt;
  // The bitmap's height counts the colour and the mask rows together.
  const auto width = static_cast<LONG>(ReadLittleEndian(bits, 4, 4));
  const auto doubledHeight = static_cast<LONG>(ReadLittleEndian(bits, 8, 4));
  const auto bitCount = static_cast<WORD>(ReadLittleEndian(bits, 14, 2));
  return ImageShape{width, doubledHeight / 2, bitCount};
}

UniqueIcon CreateIcon(Bytes& bits, const ImageShape& shape) {
  const auto size = static_cast<DWORD>(bits.size());
  UniqueIcon icon(::CreateIconFromResourceEx(bits.data(), size, TRUE, kIconFormatVersion,
                                             shape.width, shape.height, LR_DEFAULTCOLOR));
  if (!icon && shape.bitCount != kHighColourBits) {
    icon.reset(::CreateIconFromResource(bits.data(), size, TRUE, kIconFormatVersion));
  }
  return icon;
}

UniqueIcon DecodePreferring(const Bytes& image, std::size_t count, BYTE preferredPixels) {
  const DirectoryEntry entry = ChooseEntry(image, count, preferredPixels);
  const std::uint64_t end = std::uint64_t{entry.offset} + entry.size;
  if (entry.size == 0 || end > image.size()) return UniqueIcon();
  Bytes bits(image.begin() + entry.offset, image.begin() + static_cast<std::ptrdiff_t>(end));
  const auto shape = ShapeOf(bits, entry);
  if (!shape) return UniqueIcon();
  return CreateIcon(bits, *shape);
}

NOTIFYICONDATAA BaseRecord(HWND window) {
  NOTIFYICONDATAA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = kFirstLayoutSize;
  record.hWnd = window;
  record.uID = kTrayIconId;
  return record;
}

}  // namespace

UniqueIcon DecodeIconImage(const Bytes& iconImage) {
  const auto count = EntryCount(iconImage);
  if (!count) return UniqueIcon();
  UniqueIcon icon = DecodePreferring(iconImage, *count, kSmallIconPixels);
  if (!icon) icon = DecodePreferring(iconImage, *count, kLargeIconPixels);
  return icon;
}

TrayIconKind TrayEventKind(LPARAM mouseMessage) {
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONUP:
      return TrayIconKind::kLeftClick;
    case WM_LBUTTONDBLCLK:
      return TrayIconKind::kLeftDoubleClick;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
      return TrayIconKind::kRightClick;
    default:
      return TrayIconKind::kNone;
  }
}

NOTIFYICONDATAA TrayIcon::Record(HWND window, UINT flags) const {
  NOTIFYICONDATAA record = BaseRecord(window);
  // Cut by bytes, even inside a double-byte character, as the shell has always been given.
  std::memcpy(record.szTip, tip_.data(), std::min(tip_.size(), kTipBytes));
  record.uFlags = flags;
  if (flags != 0) {
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon_.get();
  }
  return record;
}

void TrayIcon::Show(HWND window, const Bytes& iconImage, const Text& tip) {
  UniqueIcon fresh = DecodeIconImage(iconImage);
  const bool wasShown = IsShown();
  tip_ = tip;
  // The old handle goes only after the shell has been given the new one.
  UniqueIcon old = std::move(icon_);
  icon_ = std::move(fresh);
  if (wasShown) {
    NOTIFYICONDATAA record = Record(window, icon_ ? kShowFlags : 0);
    notify_(icon_ ? NIM_MODIFY : NIM_DELETE, &record);
  } else if (icon_) {
    NOTIFYICONDATAA record = Record(window, kShowFlags);
    notify_(NIM_ADD, &record);
  }
}

void TrayIcon::Remove(HWND window) {
  if (!IsShown()) return;
  NOTIFYICONDATAA record = BaseRecord(window);
  notify_(NIM_DELETE, &record);
  icon_.reset();
}

void TrayIcon::Restore(HWND window) {
  if (!IsShown()) return;
  NOTIFYICONDATAA record = Record(window, kShowFlags);
  notify_(NIM_ADD, &record);
}

}  // namespace nimbrel::win32
