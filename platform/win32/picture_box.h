#pragma once

// A child window that shows a JPEG at its natural size from its top-left corner.

#include <windows.h>

namespace nimbrel::win32 {

// The registered class; pass the JPEG's `const Bytes*` (or null) as CreateWindowEx's last
// argument. The box decodes it once and keeps the bitmap for its own life.
const char* PictureBoxClass();

}  // namespace nimbrel::win32
