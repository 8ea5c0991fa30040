#include "platform/win32/tray_icon.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/icon_file.h"

namespace nimbrel::win32 {
namespace {

constexpr WORD kHighColourBits = 16;
constexpr DWORD kIconFormatVersion = 0x30000;

// The first layout of the record: the only one every shell version accepts.
constexpr DWORD kFirstLayoutSize = NOTIFYICONDATAA_V1_SIZE;
static_assert(sizeof(void*) != 4 || kFirstLayoutSize == 88);
// Two bytes short of the first layout's 64-byte tip; the shell never showed more.
constexpr std::size_t kTipBytes = 62;
constexpr UINT kShowFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

UniqueIcon CreateIcon(const Bytes& iconImage, const IconImageChoice& choice) {
  const auto first = iconImage.begin() + static_cast<std::ptrdiff_t>(choice.offset);
  Bytes bits(first, first + static_cast<std::ptrdiff_t>(choice.size));
  const auto size = static_cast<DWORD>(bits.size());
  UniqueIcon icon(::CreateIconFromResourceEx(bits.data(), size, TRUE, kIconFormatVersion,
                                             choice.width, choice.height, LR_DEFAULTCOLOR));
  if (!icon && choice.bitCount != kHighColourBits) {
    icon.reset(::CreateIconFromResource(bits.data(), size, TRUE, kIconFormatVersion));
  }
  return icon;
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
  for (const IconImageChoice& choice : ChooseIconImages(iconImage)) {
    if (UniqueIcon icon = CreateIcon(iconImage, choice)) return icon;
  }
  return UniqueIcon();
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
