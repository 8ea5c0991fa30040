#include "platform/win32/window_registry.h"

#include <algorithm>

#include "platform/win32/win32_window.h"
#include "platform/win32/window_services.h"

namespace nimbrel::win32 {

void WindowRegistry::Add(std::shared_ptr<Win32Window> window) {
  // A window still inside one of its own messages holds a reference of its own, so letting
  // go of it here never pulls it from under its window procedure.
  windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                [](const auto& known) { return !known->IsOpen(); }),
                 windows_.end());
  windows_.push_back(std::move(window));
}

Win32Window* WindowRegistry::FindOpen(HWND window) const {
  for (const auto& known : windows_) {
    if (known->IsOpen() && known->Hwnd() == window) return known.get();
  }
  return nullptr;
}

std::vector<HWND> WindowRegistry::TopLevelWindowsExcept(HWND window) const {
  std::vector<HWND> found;
  const HWND desktop = ::GetDesktopWindow();
  for (const auto& known : windows_) {
    const HWND candidate = known->Hwnd();
    if (!candidate || candidate == window || known->IsBeingDestroyed()) continue;
    if (::GetAncestor(candidate, GA_PARENT) == desktop) found.push_back(candidate);
  }
  return found;
}

void WindowRegistry::RaiseTopmostExcept(HWND window) const {
  for (const auto& known : windows_) {
    const HWND candidate = known->Hwnd();
    if (candidate == window || !::IsWindow(candidate)) continue;
    if (known->KeepsOnTopWithoutTaskbarButton()) SetTopmostBand(candidate, true);
  }
}

}  // namespace nimbrel::win32
