// The Window operations: geometry, tray, menus, control state, showing and the modal loop.
// Every one of them does nothing once the window is gone.

#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include "platform/win32/message_loop.h"
#include "platform/win32/native_handle.h"
#include "platform/win32/popup_menu.h"
#include "platform/win32/window_messages.h"
#include "platform/win32/window_services.h"

namespace nimbrel::win32 {
namespace {

// Around every change the program makes itself: the notifications it causes are not the
// user's doing and reach no handler.
class Suppression {
 public:
  explicit Suppression(int& counter) : counter_(counter) { ++counter_; }
  ~Suppression() { --counter_; }
  Suppression(const Suppression&) = delete;
  Suppression& operator=(const Suppression&) = delete;

 private:
  int& counter_;
};

}  // namespace

NativeHandle Win32Window::WindowHandle() const {
  return ToNativeHandle(hwnd_);
}

int Win32Window::GetWindowLeft() const {
  return hwnd_ ? WindowLeft(hwnd_) : 0;
}
int Win32Window::GetWindowTop() const {
  return hwnd_ ? WindowTop(hwnd_) : 0;
}
int Win32Window::GetWindowWidth() const {
  return hwnd_ ? WindowWidth(hwnd_) : 0;
}
int Win32Window::GetWindowHeight() const {
  return hwnd_ ? WindowHeight(hwnd_) : 0;
}

void Win32Window::SetWindowLeft(int left) {
  if (hwnd_) win32::SetWindowLeft(hwnd_, left);
}

void Win32Window::SetWindowTop(int top) {
  if (hwnd_) win32::SetWindowTop(hwnd_, top);
}

void Win32Window::SetTopmost(bool on) {
  if (!hwnd_) return;
  alwaysOnTop_ = on;
  SetTopmostBand(hwnd_, on);
  // Leaving the band can push the program's other always-on-top windows below this one.
  if (!on) registry_.RaiseTopmostExcept(hwnd_);
}

void Win32Window::BeginWindowDrag() {
  if (hwnd_) win32::BeginWindowDrag(hwnd_);
}

void Win32Window::ShowTrayIcon(const Bytes& iconImage, const Text& tip) {
  if (hwnd_) tray_.Show(hwnd_, iconImage, tip);
}

void Win32Window::RemoveTrayIcon() {
  if (hwnd_) tray_.Remove(hwnd_);
}

void Win32Window::PopupMenuAtCursor(int menuItem) {
  if (!hwnd_) return;
  const UniqueMenu popup = BuildPopupMenu(definition_.menu, menuChecked_, menuItem);
  if (popup) TrackPopupAtCursor(hwnd_, popup.get());
}

void Win32Window::SetMenuChecked(int menuItem, bool checked) {
  if (!hwnd_ || menuItem < 0 || static_cast<std::size_t>(menuItem) >= menuChecked_.size()) return;
  menuChecked_[static_cast<std::size_t>(menuItem)] = checked;
}

bool Win32Window::MenuChecked(int menuItem) const {
  if (!hwnd_ || menuItem < 0 || static_cast<std::size_t>(menuItem) >= menuChecked_.size()) {
    return false;
  }
  return menuChecked_[static_cast<std::size_t>(menuItem)];
}

void Win32Window::SetChecked(ControlId control, bool checked) {
  const HWND box = ControlWindow(control, ControlKind::kCheckBox);
  if (!box) return;
  Suppression quiet(suppressed_);
  ::SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32Window::Checked(ControlId control) const {
  const HWND box = ControlWindow(control, ControlKind::kCheckBox);
  return box && ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The window's own id names its caption.
void Win32Window::SetText(ControlId control, const Text& text) {
  const HWND target = control == kWindowItself ? hwnd_ : AnyControlWindow(control);
  if (!target || ControlWindow(control, ControlKind::kWebView)) return;
  Suppression quiet(suppressed_);
  ::SetWindowTextA(target, text.c_str());
}

Text Win32Window::GetText(ControlId control) const {
  const HWND target = control == kWindowItself ? hwnd_ : AnyControlWindow(control);
  if (!target || ControlWindow(control, ControlKind::kWebView)) return Text();
  return WindowText(target);
}

void Win32Window::AddListRow(ControlId control, const Text& row) {
  const HWND combo = ControlWindow(control, ControlKind::kComboBox);
  if (!combo) return;
  Suppression quiet(suppressed_);
  ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
}

void Win32Window::ResetList(ControlId control) {
  const HWND combo = ControlWindow(control, ControlKind::kComboBox);
  if (!combo) return;
  Suppression quiet(suppressed_);
  ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
}

// The control clamps the position into its range itself.
void Win32Window::SetSliderPosition(ControlId control, int position) {
  const HWND slider = ControlWindow(control, ControlKind::kSlider);
  if (!slider) return;
  Suppression quiet(suppressed_);
  ::SendMessageA(slider, TBM_SETPOS, TRUE, position);
}

// Enabling starts a fresh period.
void Win32Window::EnableTimer(ControlId control, bool enabled) {
  Control* timer = hwnd_ ? FindControl(control) : nullptr;
  if (!timer || timer->kind != ControlKind::kTimer) return;
  const auto timerId = static_cast<UINT_PTR>(timer->id);
  if (enabled) {
    timer->timerEnabled =
        ::SetTimer(hwnd_, timerId, static_cast<UINT>(timer->timerPeriodMs), nullptr) != 0;
  } else {
    ::KillTimer(hwnd_, timerId);
    timer->timerEnabled = false;
  }
}

void Win32Window::SetWebAddress(ControlId control, const Text& address) {
  Control* view = hwnd_ ? FindControl(control) : nullptr;
  if (!view || !view->webView) return;
  Suppression quiet(suppressed_);
  view->webView->SetAddress(address);
}

void Win32Window::Show() {
  if (hwnd_) ::ShowWindow(hwnd_, SW_SHOW);
}

void Win32Window::RestoreOrActivate() {
  if (!hwnd_) return;
  if (::IsIconic(hwnd_)) {
    ::ShowWindow(hwnd_, SW_RESTORE);
    return;
  }
  ::SetForegroundWindow(hwnd_);
  ::SetActiveWindow(hwnd_);
}

void Win32Window::PostPrivate() {
  if (hwnd_) ::PostMessageA(hwnd_, kPrivateMessage, 0, 0);
}

void Win32Window::Destroy() {
  if (!hwnd_ || destroying_) return;
  disabledByModal_.Restore();
  ::DestroyWindow(hwnd_);
}

void Win32Window::RunModal() {
  if (!hwnd_ || destroying_) return;
  const std::shared_ptr<Win32Window> keepAlive = shared_from_this();
  disabledByModal_.Disable(registry_.TopLevelWindowsExcept(hwnd_));
  const std::optional<int> quit = RunMessagesUntil(registry_, [this] { return !hwnd_; });
  disabledByModal_.Restore();
  if (quit) ::PostQuitMessage(*quit);
}

}  // namespace nimbrel::win32
