#pragma once

// The program's windows and what they share across the desktop: the owner tool window and
// the gate that stops every handler at the end.

#include <windows.h>

#include <memory>
#include <vector>

namespace nimbrel::win32 {

class Win32Window;

class WindowRegistry {
 public:
  void SetToolWindow(HWND toolWindow) { toolWindow_ = toolWindow; }
  HWND ToolWindow() const { return toolWindow_; }

  // Windows that have been destroyed meanwhile are let go here.
  void Add(std::shared_ptr<Win32Window> window);
  // A copy, oldest first: handlers may open and close windows while a caller walks it.
  std::vector<std::shared_ptr<Win32Window>> Windows() const { return windows_; }
  // The open window with this top-level handle, or null.
  Win32Window* FindOpen(HWND window) const;
  // The open windows other than `window` that are not children of another window (one
  // placed into the desktop host is not), for a modal window to switch off.
  std::vector<HWND> TopLevelWindowsExcept(HWND window) const;
  // Puts the topmost windows without taskbar button, other than `window`, back on top.
  void RaiseTopmostExcept(HWND window) const;

  void CloseGate() { gateClosed_ = true; }
  bool GateClosed() const { return gateClosed_; }

 private:
  HWND toolWindow_ = nullptr;
  bool gateClosed_ = false;
  std::vector<std::shared_ptr<Win32Window>> windows_;
};

}  // namespace nimbrel::win32
