// JPEG decoding through libjpeg with the program's error manager on fuzzed bytes: it never
// ends the process, and a picture it gives has exactly the rows its size needs.

#include <cstdlib>

#include "tests/fuzz/fuzz_support.h"
#include "platform/jpeg_pixels.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const nimbrel::Bytes jpeg(data, data + size);
  const auto picture = nimbrel::DecodeJpegPixels(jpeg);
  if (!picture) return 0;
  const std::size_t expected =
      static_cast<std::size_t>(nimbrel::PictureRowStride(picture->width)) * picture->height;
  if (picture->width <= 0 || picture->height <= 0 || picture->pixels.size() != expected) {
    nimbrel::fuzz::Fail("pixels do not fit the size");
  }
  return 0;
}
