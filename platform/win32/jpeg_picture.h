#pragma once

// JPEG bytes decoded into a bitmap GDI can draw directly.

#include <windows.h>

#include "core/text.h"
#include "platform/win32/unique_handles.h"

namespace nimbrel::win32 {

// A 24-bit top-down DIB section of the picture and its size in `size`. A damaged or
// unreadable picture gives an empty bitmap and a 0x0 size; it never ends the process.
UniqueBitmap DecodeJpeg(const Bytes& jpeg, SIZE* size);

}  // namespace nimbrel::win32
