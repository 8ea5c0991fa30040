#include "platform/win32/win32_desktop.h"

#include "platform/win32/message_loop.h"
#include "platform/win32/native_handle.h"
#include "platform/win32/win32_window.h"
#include "platform/win32/window_class.h"
#include "platform/win32/window_services.h"

namespace nimbrel::win32 {
namespace {

constexpr char kToolClassName[] = "Nimbrel.Owner";

const char* ToolWindowClass() {
  WindowClassDescription description;
  description.name = kToolClassName;
  description.procedure = ::DefWindowProcA;
  return RegisteredWindowClass(description);
}

}  // namespace

Win32Desktop::~Win32Desktop() {
  DestroyAllWindows();
}

bool Win32Desktop::CreateOwnerToolWindow() {
  if (toolWindow_) return true;
  const char* className = ToolWindowClass();
  if (!className) return false;
  toolWindow_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, className, "", 0, 0, 0, 0, 0, nullptr,
                                      nullptr, ::GetModuleHandleA(nullptr), nullptr));
  registry_.SetToolWindow(toolWindow_.get());
  return static_cast<bool>(toolWindow_);
}

std::shared_ptr<Window> Win32Desktop::CreateWindowFrom(const WindowDefinition& definition,
                                                       EventBindings bindings) {
  std::shared_ptr<Win32Window> window =
      Win32Window::Realise(registry_, definition, std::move(bindings));
  if (!window) return nullptr;
  registry_.Add(window);
  window->FinishCreation();
  return window;
}

ScreenSizePixels Win32Desktop::ScreenSize() const {
  const SIZE size = win32::ScreenSize();
  return {size.cx, size.cy};
}

bool Win32Desktop::OverlapsAMonitor(const ScreenRectPixels& rect) const {
  return win32::OverlapsAMonitor(rect.left, rect.top, rect.width, rect.height);
}

std::uint32_t Win32Desktop::GetExStyle(NativeHandle window) const {
  return win32::GetExStyle(ToHwnd(window));
}

std::uint32_t Win32Desktop::SetExStyle(NativeHandle window, std::uint32_t exStyle) {
  return win32::SetExStyle(ToHwnd(window), exStyle);
}

int Win32Desktop::ApplyTransparency(NativeHandle window, std::optional<int> alpha) {
  return win32::ApplyTransparency(ToHwnd(window), alpha);
}

NativeHandle Win32Desktop::FindDesktopHost() const {
  return ToNativeHandle(win32::FindDesktopHost());
}

NativeHandle Win32Desktop::SetWindowParent(NativeHandle child, NativeHandle parent) {
  return ToNativeHandle(win32::SetWindowParent(ToHwnd(child), ToHwnd(parent)));
}

void Win32Desktop::RunMessageLoop() {
  RunMessagesUntil(registry_, [] { return false; });
}

// Also called from inside a window's own kDestroying handler: that window (and any other
// one already on its way out) is left to finish its destruction.
void Win32Desktop::DestroyAllWindows() {
  for (const auto& window : registry_.Windows()) {
    if (window->IsOpen() && !window->IsBeingDestroyed()) window->Destroy();
  }
  // Destroying the owner would destroy its owned windows a second time.
  for (const auto& window : registry_.Windows()) {
    if (window->IsOpen()) ::SetWindowLongPtrA(window->Hwnd(), GWLP_HWNDPARENT, 0);
  }
  registry_.SetToolWindow(nullptr);
  toolWindow_.reset();
}

}  // namespace nimbrel::win32
