#include "platform/jpeg_pixels.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace nimbrel {
namespace {

constexpr int kBytesPerPixel = 3;
constexpr int kWarningLevel = -1;  // emit_message's level for a recoverable data fault
// Far above the banner's 331 x 259, far below what would exhaust memory: a hostile header may
// claim 65535 x 65535 pixels.
constexpr unsigned long long kMostPixels = 4096ull * 4096ull;
constexpr long kMostDecoderMemory = 256L * 1024L * 1024L;

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

void ReadRows(jpeg_decompress_struct* info, DecodedPicture* picture) {
  const std::size_t stride = PictureRowStride(picture->width);
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = picture->pixels.data() + info->output_scanline * stride;
    jpeg_read_scanlines(info, &row, 1);
  }
}

// Plain data only between setjmp and the calls that may longjmp back to it, so that no
// destructor is ever skipped: the picture, its buffer included, lives in the caller.
bool DecodeInto(const Bytes& jpeg, DecodedPicture* picture) {
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
  info.mem->max_memory_to_use = kMostDecoderMemory;
  jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_EXT_BGR;  // the byte order of a 24-bit DIB
  jpeg_calc_output_dimensions(&info);
  if (static_cast<unsigned long long>(info.output_width) * info.output_height > kMostPixels) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  picture->width = static_cast<int>(info.output_width);
  picture->height = static_cast<int>(info.output_height);
  picture->pixels.resize(static_cast<std::size_t>(PictureRowStride(picture->width)) *
                         info.output_height);
  ReadRows(&info, picture);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return !errors.damaged;
}

}  // namespace

int PictureRowStride(int width) {
  return (width * kBytesPerPixel + 3) & ~3;
}

std::optional<DecodedPicture> DecodeJpegPixels(const Bytes& jpeg) {
  if (jpeg.empty()) return std::nullopt;
  DecodedPicture picture;
  if (!DecodeInto(jpeg, &picture)) return std::nullopt;
  return picture;
}

}  // namespace nimbrel
