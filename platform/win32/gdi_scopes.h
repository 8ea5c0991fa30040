#pragma once

// Scoped device-context states: each gives back on destruction what it took.

#include <windows.h>

namespace nimbrel::win32 {

// An object selected into a device context for the guard's life; the previous one returns.
class SelectedObject {
 public:
  SelectedObject(HDC context, HGDIOBJ object)
      : context_(context), previous_(::SelectObject(context, object)) {}
  ~SelectedObject() {
    if (previous_) ::SelectObject(context_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC context_;
  HGDIOBJ previous_;
};

// One WM_PAINT's BeginPaint and EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), context_(::BeginPaint(window, &paint_)) {}
  ~PaintScope() { ::EndPaint(window_, &paint_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;

  HDC context() const { return context_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC context_;
};

}  // namespace nimbrel::win32
