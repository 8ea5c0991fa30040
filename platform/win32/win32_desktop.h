#pragma once

// The Win32 desktop: realises window definitions, keeps the program's windows and runs the
// thread's message loop.

#include <windows.h>

#include "platform/desktop.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/window_registry.h"

namespace nimbrel::win32 {

class Win32Desktop final : public Desktop {
 public:
  Win32Desktop() = default;
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  bool CreateOwnerToolWindow() override;
  std::shared_ptr<Window> CreateWindowFrom(const WindowDefinition& definition,
                                           EventBindings bindings) override;

  ScreenSizePixels ScreenSize() const override;
  bool OverlapsAMonitor(const ScreenRectPixels& rect) const override;
  std::uint32_t GetExStyle(NativeHandle window) const override;
  std::uint32_t SetExStyle(NativeHandle window, std::uint32_t exStyle) override;
  int ApplyTransparency(NativeHandle window, std::optional<int> alpha) override;
  NativeHandle FindDesktopHost() const override;
  NativeHandle SetWindowParent(NativeHandle child, NativeHandle parent) override;

  void RunMessageLoop() override;
  void CloseHandlerGate() override { registry_.CloseGate(); }
  void DestroyAllWindows() override;

  HWND ToolWindow() const { return toolWindow_.get(); }

 private:
  WindowRegistry registry_;
  UniqueWindow toolWindow_;
};

}  // namespace nimbrel::win32
