#include "platform/win32/picture_box.h"

#include <memory>

#include "core/text.h"
#include "platform/win32/gdi_scopes.h"
#include "platform/win32/jpeg_picture.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/window_class.h"

namespace nimbrel::win32 {
namespace {

constexpr char kClassName[] = "Nimbrel.PictureBox";

struct Picture {
  UniqueBitmap bitmap;
  SIZE size{};
};

Picture* PictureOf(HWND box) {
  return reinterpret_cast<Picture*>(::GetWindowLongPtrA(box, GWLP_USERDATA));
}

void AdoptPicture(HWND box, const CREATESTRUCTA& creation) {
  auto picture = std::make_unique<Picture>();
  if (const auto* jpeg = static_cast<const Bytes*>(creation.lpCreateParams)) {
    picture->bitmap = DecodeJpeg(*jpeg, &picture->size);
  }
  ::SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture.release()));
}

HBITMAP BitmapOf(HWND box) {
  const Picture* picture = PictureOf(box);
  return picture ? picture->bitmap.get() : nullptr;
}

void ReleasePicture(HWND box) {
  std::unique_ptr<Picture> picture(PictureOf(box));
  ::SetWindowLongPtrA(box, GWLP_USERDATA, 0);
}

// The part of the box the picture does not cover keeps the class's button-face background.
void Draw(HWND box, HDC target) {
  const Picture* picture = PictureOf(box);
  if (!picture || !picture->bitmap) return;
  UniqueDc source(::CreateCompatibleDC(target));
  const SelectedObject bitmap(source.get(), picture->bitmap.get());
  ::BitBlt(target, 0, 0, picture->size.cx, picture->size.cy, source.get(), 0, 0, SRCCOPY);
}

void Paint(HWND box) {
  const PaintScope paint(box);
  Draw(box, paint.context());
}

LRESULT CALLBACK PictureBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      AdoptPicture(box, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
      break;
    case WM_NCDESTROY:
      ReleasePicture(box);
      break;
    case WM_PAINT:
      Paint(box);
      return 0;
    case WM_PRINTCLIENT:
      Draw(box, reinterpret_cast<HDC>(wParam));
      return 0;
    case STM_GETIMAGE:  // answered as a static picture control answers it
      return reinterpret_cast<LRESULT>(wParam == IMAGE_BITMAP ? BitmapOf(box) : nullptr);
    default:
      break;
  }
  return ::DefWindowProcA(box, message, wParam, lParam);
}

}  // namespace

const char* PictureBoxClass() {
  WindowClassDescription description;
  description.name = kClassName;
  description.procedure = PictureBoxProcedure;
  description.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  return RegisteredWindowClass(description);
}

}  // namespace nimbrel::win32
