#pragma once

// The portable side names windows by number; these are the only two conversions.

#include <windows.h>

#include "platform/window_definition.h"

namespace nimbrel::win32 {

inline HWND ToHwnd(NativeHandle handle) {
  return reinterpret_cast<HWND>(handle);
}
inline NativeHandle ToNativeHandle(HWND window) {
  return reinterpret_cast<NativeHandle>(window);
}

}  // namespace nimbrel::win32
