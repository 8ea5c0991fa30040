#pragma once

// JPEG bytes decoded with libjpeg into the pixel layout of a 24-bit top-down DIB.

#include <optional>

#include "core/text.h"

namespace nimbrel {

// Rows from the top one down, pixels in blue, green, red order, each row padded to a
// multiple of four bytes: what a 24-bit top-down device-independent bitmap holds.
struct DecodedPicture {
  int width = 0;
  int height = 0;
  Bytes pixels;
};

int PictureRowStride(int width);

// Nothing for a damaged or unreadable picture, or one too large to be a picture of the
// program's; it never ends the process.
std::optional<DecodedPicture> DecodeJpegPixels(const Bytes& jpeg);

}  // namespace nimbrel
