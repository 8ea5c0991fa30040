#pragma once

// The notification-area icon of one window, with the first-layout NOTIFYICONDATAA record.

#include <windows.h>
#include <shellapi.h>

#include "core/text.h"
#include "platform/win32/unique_handles.h"
#include "platform/window_definition.h"

namespace nimbrel::win32 {

constexpr UINT kTrayIconId = 100;
constexpr UINT kTrayCallbackMessage = WM_APP + 100;  // 0x8064

// Decodes a complete .ico file image: the first 16-pixel entry with at least 16 colours, else
// the last entry; failing that the same with 32 pixels. Empty when the image is unusable.
UniqueIcon DecodeIconImage(const Bytes& iconImage);

// The kind of click a callback's mouse message means; kNone for the messages that mean none.
TrayIconKind TrayEventKind(LPARAM mouseMessage);

// Shell_NotifyIconA's shape, so that a test can watch the records the shell would get.
using NotifyIconCall = BOOL(WINAPI*)(DWORD message, NOTIFYICONDATAA* record);

class TrayIcon {
 public:
  explicit TrayIcon(NotifyIconCall notify = ::Shell_NotifyIconA) : notify_(notify) {}

  // Adds (or modifies) the icon; an image that yields no icon removes a shown one.
  void Show(HWND window, const Bytes& iconImage, const Text& tip);
  // No shell call when nothing is shown.
  void Remove(HWND window);
  bool IsShown() const { return static_cast<bool>(icon_); }
  // After the shell restarts ("TaskbarCreated") the icon has to be added again.
  void Restore(HWND window);

 private:
  NOTIFYICONDATAA Record(HWND window, UINT flags) const;

  NotifyIconCall notify_;
  UniqueIcon icon_;
  Text tip_;
};

}  // namespace nimbrel::win32
