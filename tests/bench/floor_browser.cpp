// The floor of the start-up benchmark: the least a program can do to show a web page in a
// widget-sized window. A bare 258 x 194 window hosts the WebBrowser control, the same way the
// widget hosts it, and navigates at once to the address given as its command line:
//   nimbrel_floor ADDRESS
// No settings, no tray icon, no autorun, no menu: whatever the widget takes beyond this before
// its first page request is its own overhead.

#include <windows.h>
#include <ole2.h>

#include "platform/win32/web_view.h"

namespace {

constexpr char kClassName[] = "Nimbrel.Floor";
constexpr int kWidth = 258;
constexpr int kHeight = 194;
// The widget's view overhangs its window by the browser's border; the floor's does too.
constexpr RECT kViewBounds = {-3, -3, kWidth + 3, kHeight + 2};
constexpr int kViewId = 1;

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateFloorWindow(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = FloorProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExA(&windowClass)) return nullptr;
  return CreateWindowExA(0, kClassName, "", WS_POPUP | WS_CLIPCHILDREN, 0, 0, kWidth, kHeight,
                         nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR address, int) {
  if (FAILED(OleInitialize(nullptr))) return 1;
  const HWND window = CreateFloorWindow(instance);
  if (!window) return 1;
  auto view = nimbrel::win32::WebView::Create(window, kViewBounds, kViewId, true);
  if (!view) return 1;
  view->SetAddress(address);
  ShowWindow(window, SW_SHOW);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  view.reset();
  OleUninitialize();
  return 0;
}
