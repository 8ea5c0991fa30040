#pragma once

// The fonts one window's controls use, owned until the window is gone.

#include <windows.h>

#include <utility>
#include <vector>

#include "platform/win32/unique_handles.h"
#include "platform/window_definition.h"

namespace nimbrel::win32 {

class ControlFonts {
 public:
  // The stock GUI font for an empty face; otherwise one font per distinct description, created
  // on first use (falling back to the stock font when the system refuses it).
  HFONT FontFor(const FontSpec& wanted);
  void Release() { fonts_.clear(); }

 private:
  std::vector<std::pair<FontSpec, UniqueFont>> fonts_;
};

}  // namespace nimbrel::win32
