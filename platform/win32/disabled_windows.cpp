#include "platform/win32/disabled_windows.h"

namespace nimbrel::win32 {

void DisabledWindows::Disable(const std::vector<HWND>& windows) {
  for (const HWND window : windows) {
    previous_.emplace_back(window, ::IsWindowEnabled(window) != FALSE);
    ::EnableWindow(window, FALSE);
  }
}

void DisabledWindows::Restore() {
  const auto remembered = std::move(previous_);
  previous_.clear();
  for (const auto& [window, enabled] : remembered) {
    if (::IsWindow(window)) ::EnableWindow(window, enabled ? TRUE : FALSE);
  }
}

}  // namespace nimbrel::win32
