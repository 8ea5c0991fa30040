#include "platform/win32/jpeg_picture.h"

#include <cstring>

#include "platform/jpeg_pixels.h"

namespace nimbrel::win32 {
namespace {

constexpr int kBitsPerPixel = 24;

HBITMAP CreateTopDownSection(int width, int height, unsigned char** bits) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;  // negative: the first row is the top one
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = kBitsPerPixel;
  format.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &pixels, nullptr, 0);
  *bits = static_cast<unsigned char*>(pixels);
  return bitmap;
}

}  // namespace

UniqueBitmap DecodeJpeg(const Bytes& jpeg, SIZE* size) {
  *size = {0, 0};
  const std::optional<DecodedPicture> picture = DecodeJpegPixels(jpeg);
  if (!picture) return {};
  unsigned char* bits = nullptr;
  UniqueBitmap bitmap(CreateTopDownSection(picture->width, picture->height, &bits));
  if (!bitmap) return {};
  // The section's rows are laid out exactly as the decoder's.
  std::memcpy(bits, picture->pixels.data(), picture->pixels.size());
  *size = {picture->width, picture->height};
  return bitmap;
}

}  // namespace nimbrel::win32
