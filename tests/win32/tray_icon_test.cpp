#include "platform/win32/tray_icon.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tests/test_texts.h"

namespace nimbrel::win32 {
namespace {

// --- .ico images built byte by byte -------------------------------------------------------

struct ImageLayout {
  int pixels;       // width and height of the bitmap
  BYTE entryWidth;  // what the directory claims
  BYTE entryColours;
  COLORREF fill;
};

void Append(Bytes& bytes, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

void Put(Bytes& bytes, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A 32-bit bitmap of one opaque colour with its (empty) mask, as an .ico stores it.
Bytes IconBits(int pixels, COLORREF fill) {
  Bytes bits;
  Append(bits, 40, 4);
  Append(bits, pixels, 4);
  Append(bits, pixels * 2, 4);  // colour rows and mask rows
  Append(bits, 1, 2);
  Append(bits, 32, 2);
  for (int i = 0; i < 6; ++i) Append(bits, 0, 4);
  const std::uint32_t bgra =
      0xFF000000u | (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
  for (int i = 0; i < pixels * pixels; ++i) Append(bits, bgra, 4);
  const int maskRowBytes = ((pixels + 31) / 32) * 4;
  bits.insert(bits.end(), static_cast<std::size_t>(maskRowBytes * pixels), 0);
  return bits;
}

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kEntrySizeField = 8;     // dwBytesInRes within an entry
constexpr std::size_t kEntryOffsetField = 12;  // dwImageOffset within an entry

Bytes IconFile(const std::vector<ImageLayout>& images, WORD type = 1) {
  Bytes file;
  Append(file, 0, 2);
  Append(file, type, 2);
  Append(file, static_cast<std::uint32_t>(images.size()), 2);
  std::vector<Bytes> bits;
  for (const ImageLayout& image : images) bits.push_back(IconBits(image.pixels, image.fill));
  std::size_t offset = kHeaderSize + kEntrySize * images.size();
  for (std::size_t i = 0; i < images.size(); ++i) {
    file.push_back(images[i].entryWidth);
    file.push_back(images[i].entryWidth);
    file.push_back(images[i].entryColours);
    file.push_back(0);
    Append(file, 1, 2);
    Append(file, 32, 2);
    Append(file, static_cast<std::uint32_t>(bits[i].size()), 4);
    Append(file, static_cast<std::uint32_t>(offset), 4);
    offset += bits[i].size();
  }
  for (const Bytes& image : bits) file.insert(file.end(), image.begin(), image.end());
  return file;
}

std::size_t EntryField(std::size_t entry, std::size_t field) {
  return kHeaderSize + entry * kEntrySize + field;
}

// --- what an icon handle holds --------------------------------------------------------------

struct IconLook {
  int width = 0;
  int height = 0;
  COLORREF firstPixel = 0;
};

std::optional<IconLook> LookAt(HICON icon) {
  ICONINFO info{};
  if (!icon || !::GetIconInfo(icon, &info)) return std::nullopt;
  const UniqueBitmap colour(info.hbmColor);
  const UniqueBitmap mask(info.hbmMask);
  BITMAP bitmap{};
  if (!colour || !::GetObjectA(colour.get(), sizeof bitmap, &bitmap)) return std::nullopt;
  IconLook look{bitmap.bmWidth, bitmap.bmHeight, 0};
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = bitmap.bmWidth;
  format.bmiHeader.biHeight = -bitmap.bmHeight;  // top row first
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.bmWidth * bitmap.bmHeight));
  const HDC screen = ::GetDC(nullptr);
  const int rows =
      ::GetDIBits(screen, colour.get(), 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (rows != bitmap.bmHeight) return std::nullopt;
  const std::uint32_t bgra = pixels[0];
  look.firstPixel = RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  return look;
}

bool IsLiveIcon(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return false;
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  return true;
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);

// --- decoding --------------------------------------------------------------------------------

TEST(DecodeIconImageTest, ShippedIconIs128Pixels) {
  std::ifstream in(NIMBREL_SOURCE_DIR "/resources/nimbrel.ico", std::ios::binary);
  ASSERT_TRUE(in) << "resources/nimbrel.ico is missing";
  const Bytes image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const UniqueIcon icon = DecodeIconImage(image);
  const auto look = LookAt(icon.get());
  ASSERT_TRUE(look);
  EXPECT_EQ(look->width, 128);
  EXPECT_EQ(look->height, 128);
}

TEST(DecodeIconImageTest, ChoosesTheImageByTheDirectory) {
  struct Case {
    const char* name;
    std::vector<ImageLayout> images;
    IconLook expected;
  };
  const Case cases[] = {
      {"first 16-pixel entry of at least 16 colours",
       {{32, 32, 16, kRed}, {16, 16, 0, kGrey}, {16, 16, 16, kGreen}, {16, 16, 16, kBlue}},
       {16, 16, kGreen}},
      {"fewer than 16 colours do not qualify",
       {{16, 16, 8, kRed}, {16, 16, 255, kGreen}},
       {16, 16, kGreen}},
      {"none qualifies: the last entry",
       {{16, 16, 0, kRed}, {48, 48, 0, kGreen}, {32, 32, 0, kBlue}},
       {32, 32, kBlue}},
      {"a single entry of any size", {{24, 24, 0, kGrey}}, {24, 24, kGrey}},
      {"the bitmap's own size counts, not the directory's", {{20, 48, 0, kRed}}, {20, 20, kRed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const UniqueIcon icon = DecodeIconImage(IconFile(c.images));
    const auto look = LookAt(icon.get());
    ASSERT_TRUE(look);
    EXPECT_EQ(look->width, c.expected.width);
    EXPECT_EQ(look->height, c.expected.height);
    EXPECT_EQ(look->firstPixel, c.expected.firstPixel);
  }
}

TEST(DecodeIconImageTest, UnusableSmallImageFallsBackToThe32PixelPass) {
  // The 16-pixel entry points past the end of the file, so only the second pass succeeds.
  Bytes preferred = IconFile({{16, 16, 16, kRed}, {32, 32, 16, kBlue}, {48, 48, 0, kGreen}});
  Put(preferred, EntryField(0, kEntryOffsetField), 0x7FFFFFFF, 4);
  auto look = LookAt(DecodeIconImage(preferred).get());
  ASSERT_TRUE(look);
  EXPECT_EQ(look->firstPixel, kBlue);

  Bytes last = IconFile({{16, 16, 16, kRed}, {48, 48, 0, kGreen}});
  Put(last, EntryField(0, kEntryOffsetField), 0x7FFFFFFF, 4);
  look = LookAt(DecodeIconImage(last).get());
  ASSERT_TRUE(look);
  EXPECT_EQ(look->firstPixel, kGreen);
}

TEST(DecodeIconImageTest, CursorFileTypeIsAccepted) {
  EXPECT_TRUE(LookAt(DecodeIconImage(IconFile({{16, 16, 16, kRed}}, 2)).get()));
}

TEST(DecodeIconImageTest, BrokenImagesGiveNoIcon) {
  const Bytes good = IconFile({{16, 16, 16, kRed}});
  struct Case {
    const char* name;
    Bytes image;
  };
  auto patched = [&good](std::size_t at, std::uint32_t value, int width) {
    Bytes image = good;
    Put(image, at, value, width);
    return image;
  };
  const std::size_t bitsAt = kHeaderSize + kEntrySize;
  const Case cases[] = {
      {"empty", {}},
      {"shorter than the header", Bytes(good.begin(), good.begin() + 5)},
      {"reserved word set", patched(0, 1, 2)},
      {"type 0", patched(2, 0, 2)},
      {"type 3", patched(2, 3, 2)},
      {"no entries", patched(4, 0, 2)},
      {"directory cut short", Bytes(good.begin(), good.begin() + kHeaderSize + 10)},
      {"count claims more entries than fit", patched(4, 400, 2)},
      {"image offset past the end", patched(EntryField(0, kEntryOffsetField), 100000, 4)},
      {"image size past the end",
       patched(EntryField(0, kEntrySizeField), static_cast<std::uint32_t>(good.size()), 4)},
      {"offset and size wrap around",
       [&] {
         Bytes image = patched(EntryField(0, kEntryOffsetField), 0xFFFFFFF0u, 4);
         Put(image, EntryField(0, kEntrySizeField), 0x20, 4);
         return image;
       }()},
      {"image of no bytes", patched(EntryField(0, kEntrySizeField), 0, 4)},
      {"image shorter than a bitmap header", patched(EntryField(0, kEntrySizeField), 12, 4)},
      {"image cut off with its directory intact", Bytes(good.begin(), good.end() - 1)},
      {"bitmap header of nonsense", patched(bitsAt, 0x12345678, 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(DecodeIconImage(c.image));
  }
}

TEST(TrayEventKindTest, MapsTheMouseMessages) {
  const std::pair<UINT, TrayIconKind> cases[] = {
      {WM_LBUTTONUP, TrayIconKind::kLeftClick},  {WM_LBUTTONDBLCLK, TrayIconKind::kLeftDoubleClick},
      {WM_RBUTTONUP, TrayIconKind::kRightClick}, {WM_CONTEXTMENU, TrayIconKind::kRightClick},
      {WM_LBUTTONDOWN, TrayIconKind::kNone},     {WM_RBUTTONDOWN, TrayIconKind::kNone},
      {WM_RBUTTONDBLCLK, TrayIconKind::kNone},   {WM_MOUSEMOVE, TrayIconKind::kNone},
      {WM_MBUTTONUP, TrayIconKind::kNone},       {0, TrayIconKind::kNone},
  };
  for (const auto& [message, kind] : cases) {
    EXPECT_EQ(TrayEventKind(static_cast<LPARAM>(message)), kind) << std::hex << message;
  }
}

// --- the records handed to the shell --------------------------------------------------------

struct ShellCall {
  DWORD message;
  NOTIFYICONDATAA record;
};

std::vector<ShellCall>& Calls() {
  static std::vector<ShellCall> calls;
  return calls;
}

BOOL& ShellAnswer() {
  static BOOL answer = TRUE;
  return answer;
}

BOOL WINAPI RecordingShell(DWORD message, NOTIFYICONDATAA* record) {
  ShellCall call{message, {}};
  std::memcpy(&call.record, record, record->cbSize);
  Calls().push_back(call);
  return ShellAnswer();
}

static_assert(sizeof(void*) != 4 || NOTIFYICONDATAA_V1_SIZE == 88);

class TrayIconTest : public testing::Test {
 protected:
  void SetUp() override {
    Calls().clear();
    ShellAnswer() = TRUE;
    window_ = ::CreateWindowExA(0, "STATIC", "tray", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_TRUE(window_);
  }
  void TearDown() override { ::DestroyWindow(window_); }

  void ExpectRecordHeader(const NOTIFYICONDATAA& record) const {
    EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(record.hWnd, window_);
    EXPECT_EQ(record.uID, 100u);
  }
  void ExpectShowRecord(const ShellCall& call, DWORD message, const std::string& tip) const {
    EXPECT_EQ(call.message, message);
    ExpectRecordHeader(call.record);
    EXPECT_EQ(call.record.uFlags, 7u);
    EXPECT_EQ(call.record.uCallbackMessage, 0x8064u);
    EXPECT_TRUE(IsLiveIcon(call.record.hIcon));
    EXPECT_EQ(std::string(call.record.szTip, sizeof call.record.szTip),
              tip + std::string(sizeof call.record.szTip - tip.size(), '\0'));
  }
  void ExpectDeleteRecord(const ShellCall& call) const {
    EXPECT_EQ(call.message, static_cast<DWORD>(NIM_DELETE));
    ExpectRecordHeader(call.record);
    EXPECT_EQ(call.record.uFlags, 0u);
  }

  const Bytes image_ = IconFile({{16, 16, 16, kRed}});
  const Bytes otherImage_ = IconFile({{16, 16, 16, kBlue}});
  const Bytes brokenImage_ = Bytes(6, 0);
  HWND window_ = nullptr;
};

TEST_F(TrayIconTest, FirstShowAddsSecondModifiesAndFreesTheOldIcon) {
  TrayIcon tray(RecordingShell);
  tray.Show(window_, image_, "Nimbrel");
  ASSERT_EQ(Calls().size(), 1u);
  ExpectShowRecord(Calls()[0], NIM_ADD, "Nimbrel");
  EXPECT_TRUE(tray.IsShown());
  const HICON first = Calls()[0].record.hIcon;

  tray.Show(window_, otherImage_, kHefeiTemperatureTip);
  ASSERT_EQ(Calls().size(), 2u);
  ExpectShowRecord(Calls()[1], NIM_MODIFY, kHefeiTemperatureTip);
  EXPECT_NE(Calls()[1].record.hIcon, first);
  EXPECT_FALSE(IsLiveIcon(first));
  EXPECT_EQ(LookAt(Calls()[1].record.hIcon)->firstPixel, kBlue);
}

TEST_F(TrayIconTest, UnusableImageRemovesAShownIcon) {
  TrayIcon tray(RecordingShell);
  tray.Show(window_, image_, "tip");
  const HICON shown = Calls()[0].record.hIcon;
  tray.Show(window_, brokenImage_, "tip");
  ASSERT_EQ(Calls().size(), 2u);
  ExpectDeleteRecord(Calls()[1]);
  EXPECT_FALSE(tray.IsShown());
  EXPECT_FALSE(IsLiveIcon(shown));
}

TEST_F(TrayIconTest, UnusableImageWithNothingShownCallsNoShell) {
  TrayIcon tray(RecordingShell);
  tray.Show(window_, brokenImage_, "tip");
  EXPECT_TRUE(Calls().empty());
  EXPECT_FALSE(tray.IsShown());
}

TEST_F(TrayIconTest, RemoveDeletesOnceAndFreesTheIcon) {
  TrayIcon tray(RecordingShell);
  tray.Remove(window_);
  EXPECT_TRUE(Calls().empty());

  tray.Show(window_, image_, "tip");
  const HICON shown = Calls()[0].record.hIcon;
  tray.Remove(window_);
  ASSERT_EQ(Calls().size(), 2u);
  ExpectDeleteRecord(Calls()[1]);
  EXPECT_EQ(Calls()[1].record.hIcon, nullptr);
  EXPECT_EQ(Calls()[1].record.uCallbackMessage, 0u);
  EXPECT_FALSE(tray.IsShown());
  EXPECT_FALSE(IsLiveIcon(shown));

  tray.Remove(window_);
  EXPECT_EQ(Calls().size(), 2u);
}

TEST_F(TrayIconTest, TipIsCutAt62BytesEvenInsideACharacter) {
  struct Case {
    std::string tip;
    std::string expected;
  };
  std::string doubleByte = "a";
  for (int i = 0; i < 35; ++i) doubleByte += kCityCharacter;
  const Case cases[] = {
      {std::string(61, 'x'), std::string(61, 'x')},
      {std::string(62, 'y'), std::string(62, 'y')},
      {std::string(63, 'z'), std::string(62, 'z')},
      {std::string(200, 'w'), std::string(62, 'w')},
      {doubleByte, doubleByte.substr(0, 62)},  // ends on the lead byte of a character
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tip);
    Calls().clear();
    TrayIcon tray(RecordingShell);
    tray.Show(window_, image_, c.tip);
    ASSERT_EQ(Calls().size(), 1u);
    ExpectShowRecord(Calls()[0], NIM_ADD, c.expected);
  }
}

TEST_F(TrayIconTest, FailedAddKeepsTheIconForRestore) {
  TrayIcon tray(RecordingShell);
  ShellAnswer() = FALSE;
  tray.Show(window_, image_, "tip");
  EXPECT_TRUE(tray.IsShown());
  ShellAnswer() = TRUE;
  tray.Restore(window_);
  ASSERT_EQ(Calls().size(), 2u);
  ExpectShowRecord(Calls()[1], NIM_ADD, "tip");
  EXPECT_EQ(Calls()[1].record.hIcon, Calls()[0].record.hIcon);
  // Still shown as far as the icon knows, so the next image modifies.
  tray.Show(window_, otherImage_, "new");
  ASSERT_EQ(Calls().size(), 3u);
  ExpectShowRecord(Calls()[2], NIM_MODIFY, "new");
}

TEST_F(TrayIconTest, RestoreWithNothingShownCallsNoShell) {
  TrayIcon tray(RecordingShell);
  tray.Restore(window_);
  tray.Show(window_, image_, "tip");
  tray.Remove(window_);
  Calls().clear();
  tray.Restore(window_);
  EXPECT_TRUE(Calls().empty());
}

// --- Wine's own notification area ------------------------------------------------------------

BOOL WINAPI ForwardingShell(DWORD message, NOTIFYICONDATAA* record) {
  const BOOL answer = ::Shell_NotifyIconA(message, record);
  Calls().push_back({message, *record});
  ShellAnswer() = ShellAnswer() && answer;
  return answer;
}

TEST_F(TrayIconTest, WinesShellAcceptsTheFirstLayoutRecords) {
  ASSERT_TRUE(::FindWindowA("Shell_TrayWnd", nullptr)) << "Wine's notification area is absent";
  TrayIcon tray(ForwardingShell);
  tray.Show(window_, image_, "Nimbrel");
  tray.Show(window_, otherImage_, "Nimbrel 2");
  tray.Remove(window_);
  ASSERT_EQ(Calls().size(), 3u);
  EXPECT_EQ(Calls()[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(Calls()[1].message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(Calls()[2].message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_TRUE(ShellAnswer());
}

}  // namespace
}  // namespace nimbrel::win32
