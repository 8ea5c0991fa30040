#pragma once

// The windows a modal window switched off, each with the state it had before.

#include <windows.h>

#include <utility>
#include <vector>

namespace nimbrel::win32 {

class DisabledWindows {
 public:
  // A window that was disabled already is remembered as such and stays disabled.
  void Disable(const std::vector<HWND>& windows);
  // Gives every remembered window that still exists its previous state; then forgets them,
  // so a second call does nothing.
  void Restore();

 private:
  std::vector<std::pair<HWND, bool>> previous_;
};

}  // namespace nimbrel::win32
