#pragma once

// What the window tests share: bounded message pumping, definitions and an event recorder.

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/window.h"
#include "platform/window_definition.h"

namespace nimbrel::test {

constexpr int kPatienceMs = 5000;

// Dispatches the thread's messages until `done` holds or `timeoutMs` has passed; says which.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = kPatienceMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  MSG message{};
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    if (!done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

inline void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

inline Bytes ReadFileBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::string SourcePath(const std::string& relative) {
  return std::string(NIMBREL_SOURCE_DIR) + "/" + relative;
}

using ::nimbrel::MakeControl;

// What only the tests ask of a window, done on its handle; a window that is gone has none.
inline HWND HandleOf(const Window& window) {
  return reinterpret_cast<HWND>(window.WindowHandle());
}
inline bool IsEnabled(const Window& window) {
  const HWND handle = HandleOf(window);
  return handle && ::IsWindowEnabled(handle);
}
inline void SetEnabled(const Window& window, bool enabled) {
  if (const HWND handle = HandleOf(window)) ::EnableWindow(handle, enabled ? TRUE : FALSE);
}
// A close request, sent: the window is gone when this returns.
inline void Close(const Window& window) {
  if (const HWND handle = HandleOf(window)) ::SendMessageA(handle, WM_CLOSE, 0, 0);
}
inline int SliderPosition(const Window& window, ControlId slider) {
  const HWND handle = HandleOf(window);
  const HWND control = handle ? ::GetDlgItem(handle, slider) : nullptr;
  return control ? static_cast<int>(::SendMessageA(control, TBM_GETPOS, 0, 0)) : 0;
}
// The size of the bitmap a picture box shows; 0x0 when it shows none.
inline SIZE PictureSize(HWND box) {
  const auto bitmap = reinterpret_cast<HBITMAP>(::SendMessageA(box, STM_GETIMAGE, IMAGE_BITMAP, 0));
  BITMAP info{};
  if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

inline WindowDefinition MakeWindow(int width, int height,
                                   std::vector<ControlDefinition> controls = {}) {
  WindowDefinition window;
  window.width = width;
  window.height = height;
  window.style = style::kClipChildren | style::kClipSiblings;
  window.controls = std::move(controls);
  return window;
}

// Records every event its bindings receive, in order.
struct EventLog {
  std::vector<Event> events;

  EventBinding Record(EventKind kind, ControlId source = kWindowItself) {
    return {kind, source, [this](const Event& event) { events.push_back(event); }};
  }
  int Count(EventKind kind) const {
    int count = 0;
    for (const Event& event : events) count += event.kind == kind ? 1 : 0;
    return count;
  }
};

inline HWND Hwnd(NativeHandle handle) {
  return reinterpret_cast<HWND>(handle);
}

inline std::string ClassOf(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof(name));
  return name;
}

inline LONG StyleOf(HWND window) {
  return ::GetWindowLongA(window, GWL_STYLE);
}
inline LONG ExStyleOf(HWND window) {
  return ::GetWindowLongA(window, GWL_EXSTYLE);
}

// The child's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND child) {
  RECT rect{};
  ::GetWindowRect(child, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Ends a modal loop that would otherwise never end: destroys the window after `ms`, so a
// broken test fails instead of hanging. The timer needs the loop under test to run.
class DestroyLater {
 public:
  DestroyLater(HWND window, int ms) {
    target_ = window;
    fired_ = false;
    timer_ = ::SetTimer(nullptr, 0, static_cast<UINT>(ms), Fire);
  }
  ~DestroyLater() {
    ::KillTimer(nullptr, timer_);
    target_ = nullptr;
  }
  DestroyLater(const DestroyLater&) = delete;
  DestroyLater& operator=(const DestroyLater&) = delete;
  static bool Fired() { return fired_; }

 private:
  static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
    if (!target_) return;
    fired_ = true;
    ::DestroyWindow(target_);
    target_ = nullptr;
  }
  static inline HWND target_ = nullptr;
  static inline bool fired_ = false;
  UINT_PTR timer_ = 0;
};

}  // namespace nimbrel::test
