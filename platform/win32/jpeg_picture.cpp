#include "platform/win32/jpeg_picture.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace nimbrel::win32 {
namespace {

constexpr int kBitsPerPixel = 24;
constexpr int kBytesPerPixel = 3;
constexpr int kWarningLevel = -1;  // emit_message's level for a recoverable data fault

// libjpeg's own error handler calls exit(): this one jumps back to the decoder instead, and
// notes the warnings a damaged stream produces while libjpeg carries on regardless.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
  bool damaged;
};

ErrorManager* ErrorsOf(j_common_ptr info) {
  return reinterpret_cast<ErrorManager*>(info->err);
}

[[noreturn]] void JumpBack(j_common_ptr info) {
  std::longjmp(ErrorsOf(info)->escape, 1);
}

void SayNothing(j_common_ptr) {}

void NoteMessage(j_common_ptr info, int level) {
  if (level == kWarningLevel) ErrorsOf(info)->damaged = true;
}

// Plain data only: the decoder below may be left by longjmp, which must not skip any
// destructor, so the bitmap is handed over as a raw handle and owned by the caller.
struct DecodeTarget {
  HBITMAP bitmap;
  unsigned char* bits;
  SIZE size;
};

int RowStride(int width) {
  return (width * kBytesPerPixel + 3) & ~3;
}

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

void ReadRows(jpeg_decompress_struct* info, DecodeTarget* target) {
  const int stride = RowStride(target->size.cx);
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = target->bits + static_cast<std::size_t>(info->output_scanline) * stride;
    jpeg_read_scanlines(info, &row, 1);
  }
}

bool DecodeInto(const Bytes& jpeg, DecodeTarget* target) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpBack;
  errors.base.output_message = SayNothing;
  errors.base.emit_message = NoteMessage;
  if (setjmp(errors.escape)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGR;  // the byte order of a 24-bit DIB
  jpeg_start_decompress(&info);
  target->size = {static_cast<LONG>(info.output_width), static_cast<LONG>(info.output_height)};
  target->bitmap = CreateTopDownSection(target->size.cx, target->size.cy, &target->bits);
  if (!target->bitmap) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  ReadRows(&info, target);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return !errors.damaged;
}

}  // namespace

UniqueBitmap DecodeJpeg(const Bytes& jpeg, SIZE* size) {
  *size = {0, 0};
  if (jpeg.empty()) return {};
  DecodeTarget target{};
  const bool decoded = DecodeInto(jpeg, &target);
  UniqueBitmap bitmap(target.bitmap);
  if (!decoded) return {};
  *size = target.size;
  return bitmap;
}

}  // namespace nimbrel::win32
