#include "platform/win32/window_services.h"

#include <algorithm>
#include <cstdint>

namespace nimbrel::win32 {
namespace {

constexpr int kOpaque = 255;
// The sizes of OSVERSIONINFOEXA and OSVERSIONINFOA: older systems only know the second.
constexpr DWORD kVersionInfoExSize = 156;
constexpr DWORD kVersionInfoSize = 148;

using SetLayeredAttributesFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

// The rectangle as the widget's own coordinates see it: a child that is not a popup is
// placed relative to its parent's client area, everything else on the screen.
RECT PlacementRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const HWND parent = ::GetParent(window);
  const LONG style = ::GetWindowLongA(window, GWL_STYLE);
  if (parent && (static_cast<DWORD>(style) & WS_POPUP) == 0) {
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    ::ScreenToClient(parent, &corners[0]);
    ::ScreenToClient(parent, &corners[1]);
    rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  }
  return rect;
}

int ClampCoordinate(int value) {
  return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

void MoveKeepingSize(HWND window, int left, int top) {
  RECT screen{};
  ::GetWindowRect(window, &screen);
  ::MoveWindow(window, left, top, screen.right - screen.left, screen.bottom - screen.top, TRUE);
}

// GetVersionExA is marked deprecated, yet it is the only call that tells the 9x family
// (which has no layered windows) from NT without a manifest.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
bool IsNtFamily() {
  OSVERSIONINFOEXA extended{};
  extended.dwOSVersionInfoSize = kVersionInfoExSize;
  if (::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
    return extended.dwPlatformId == VER_PLATFORM_WIN32_NT;
  }
  OSVERSIONINFOA basic{};
  basic.dwOSVersionInfoSize = kVersionInfoSize;
  if (!::GetVersionExA(&basic)) return false;
  return basic.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
#pragma GCC diagnostic pop

static_assert(sizeof(OSVERSIONINFOEXA) == kVersionInfoExSize);
static_assert(sizeof(OSVERSIONINFOA) == kVersionInfoSize);

SetLayeredAttributesFunction FindSetLayeredWindowAttributes() {
  const HMODULE user32 = ::GetModuleHandleA("USER32.DLL");
  if (!user32) return nullptr;
  return reinterpret_cast<SetLayeredAttributesFunction>(
      reinterpret_cast<void*>(::GetProcAddress(user32, "SetLayeredWindowAttributes")));
}

}  // namespace

int WindowLeft(HWND window) {
  return PlacementRect(window).left;
}
int WindowTop(HWND window) {
  return PlacementRect(window).top;
}

int WindowWidth(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect.right - rect.left;
}

int WindowHeight(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect.bottom - rect.top;
}

void SetWindowLeft(HWND window, int left) {
  MoveKeepingSize(window, ClampCoordinate(left), PlacementRect(window).top);
}

void SetWindowTop(HWND window, int top) {
  MoveKeepingSize(window, PlacementRect(window).left, ClampCoordinate(top));
}

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  const int copied = ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

DWORD GetExStyle(HWND window) {
  return static_cast<DWORD>(::GetWindowLongA(window, GWL_EXSTYLE));
}

DWORD SetExStyle(HWND window, DWORD exStyle) {
  return static_cast<DWORD>(::SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(exStyle)));
}

int ApplyTransparency(HWND window, std::optional<int> alpha) {
  const int level = (alpha && *alpha >= 0 && *alpha <= kOpaque) ? *alpha : kOpaque;
  if (!IsNtFamily()) return 0;
  const SetLayeredAttributesFunction setAttributes = FindSetLayeredWindowAttributes();
  if (!setAttributes) return 0;
  // The widget's extended style is replaced outright, as it always has been.
  SetExStyle(window, WS_EX_LAYERED);
  return setAttributes(window, 0, static_cast<BYTE>(level), LWA_ALPHA);
}

void SetTopmostBand(HWND window, bool on) {
  ::SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

HWND FindDesktopHost() {
  return ::FindWindowA("Progman", "Program Manager");
}

HWND SetWindowParent(HWND child, HWND parent) {
  return ::SetParent(child, parent);
}

void BeginWindowDrag(HWND window) {
  ::SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

SIZE ScreenSize() {
  return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

bool OverlapsAMonitor(int left, int top, int width, int height) {
  const auto farEdge = [](int edge, int size) {
    const std::int64_t end = static_cast<std::int64_t>(edge) + size;
    return static_cast<LONG>(std::clamp<std::int64_t>(end, INT32_MIN, INT32_MAX));
  };
  const RECT rect{left, top, farEdge(left, width), farEdge(top, height)};
  return ::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

}  // namespace nimbrel::win32
