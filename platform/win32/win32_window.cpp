#include "platform/win32/win32_window.h"

#include <commctrl.h>

#include "platform/win32/popup_menu.h"
#include "platform/win32/transparent_label.h"
#include "platform/win32/win32_controls.h"
#include "platform/win32/window_class.h"
#include "platform/win32/window_messages.h"
#include "platform/win32/window_services.h"
#include "resources/resource_ids.h"

namespace nimbrel::win32 {
namespace {

constexpr char kFaceClassName[] = "Nimbrel.Window";
constexpr char kBareClassName[] = "Nimbrel.Window.Bare";
constexpr DWORD kFixedDialogFrame = WS_CAPTION | WS_SYSMENU;

const char* FrameClass(bool buttonFaceBackground, WNDPROC procedure) {
  WindowClassDescription description;
  description.procedure = procedure;
  if (buttonFaceBackground) {
    description.name = kFaceClassName;
    description.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  } else {
    description.name = kBareClassName;
  }
  return RegisteredWindowClass(description);
}

DWORD FrameStyle(const WindowDefinition& definition) {
  const DWORD frame = definition.frame == Frame::kFixedDialog ? kFixedDialogFrame : 0;
  return frame | definition.style;
}

// CreateWindowEx gives a window that is neither popup nor child a caption (and the edge that
// goes with it) whatever it was asked for, and makes it at least the smallest size a caption
// needs; the definition's bits and size are the ones that count.
void ApplyExactFrame(HWND window, DWORD style, bool bareFrame, const RECT& placement) {
  const DWORD visible = static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE)) & WS_VISIBLE;
  if (static_cast<DWORD>(::GetWindowLongA(window, GWL_STYLE)) != (style | visible)) {
    ::SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style | visible));
  }
  if (bareFrame && ::GetWindowLongA(window, GWL_EXSTYLE) != 0) {
    ::SetWindowLongA(window, GWL_EXSTYLE, 0);
  }
  ::SetWindowPos(window, nullptr, placement.left, placement.top, placement.right - placement.left,
                 placement.bottom - placement.top,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Centred on the primary screen at the definition's outer size.
RECT CentredPlacement(const WindowDefinition& definition) {
  const SIZE screen = ScreenSize();
  const LONG left = (screen.cx - definition.width) / 2;
  const LONG top = (screen.cy - definition.height) / 2;
  return {left, top, left + definition.width, top + definition.height};
}

// The shell broadcasts this when it starts again, e.g. after Explorer crashed.
UINT TaskbarCreatedMessage() {
  static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  return message;
}

ModifierKeys HeldModifierKeys() {
  ModifierKeys keys;
  keys.control = ::GetKeyState(VK_CONTROL) < 0;
  keys.shift = ::GetKeyState(VK_SHIFT) < 0;
  keys.alt = ::GetKeyState(VK_MENU) < 0;
  return keys;
}

bool IsButtonKind(ControlKind kind) {
  return kind == ControlKind::kCheckBox || kind == ControlKind::kPushButton;
}

}  // namespace

Win32Window::Win32Window(WindowRegistry& registry, const WindowDefinition& definition,
                         EventBindings bindings)
    : registry_(registry),
      definition_(definition),
      bindings_(std::move(bindings)),
      alwaysOnTop_(definition.alwaysOnTop) {
  for (const MenuItemDefinition& item : definition.menu) menuChecked_.push_back(item.checked);
}

Win32Window::~Win32Window() {
  if (!hwnd_) return;
  // Nothing may reach this object from the window any more; the rest dies with the window.
  tray_.Remove(hwnd_);
  ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
}

std::shared_ptr<Win32Window> Win32Window::Realise(WindowRegistry& registry,
                                                  const WindowDefinition& definition,
                                                  EventBindings bindings) {
  std::shared_ptr<Win32Window> window(new Win32Window(registry, definition, std::move(bindings)));
  if (!window->CreateFrame()) return nullptr;
  if (!window->CreateControls()) {
    window->Destroy();  // still creating: no handler hears of it
    return nullptr;
  }
  return window;
}

bool Win32Window::CreateFrame() {
  const char* className = FrameClass(definition_.buttonFaceBackground, Procedure);
  if (!className) return false;
  const RECT placement = CentredPlacement(definition_);
  const DWORD style = FrameStyle(definition_);
  ::CreateWindowExA(0, className, definition_.caption.c_str(), style, placement.left, placement.top,
                    definition_.width, definition_.height, registry_.ToolWindow(), nullptr,
                    ::GetModuleHandleA(nullptr), this);
  if (!hwnd_) return false;
  ApplyExactFrame(hwnd_, style, definition_.frame == Frame::kNone, placement);
  SetIcons();
  SetRegion();
  return true;
}

void Win32Window::SetIcons() {
  HICON icon = nullptr;
  if (definition_.iconImage) {
    icon_ = DecodeIconImage(*definition_.iconImage);
    icon = icon_.get();
  } else {
    // Shared with the system: never destroyed by us.
    icon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(NIMBREL_ICON_ID));
  }
  if (!icon) return;
  ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void Win32Window::SetRegion() {
  const int ellipse = definition_.cornerEllipse;
  if (ellipse <= 0) return;
  const HRGN region =
      ::CreateRoundRectRgn(0, 0, definition_.width, definition_.height, ellipse, ellipse);
  // The system owns the region from here on, also when the call fails.
  if (region && !::SetWindowRgn(hwnd_, region, TRUE)) ::DeleteObject(region);
}

bool Win32Window::CreateControls() {
  HWND above = nullptr;
  for (const ControlDefinition& definition : definition_.controls) {
    Control control;
    if (!CreateControl(definition, &control)) return false;
    if (control.window) {
      // The stack runs in definition order, first on top. Each one is put right below the
      // one before it rather than trusting where a new child lands: the web view's container
      // is made by other code.
      if (above) {
        ::SetWindowPos(control.window, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      }
      above = control.window;
    }
    controls_.push_back(std::move(control));
  }
  return true;
}

bool Win32Window::CreateControl(const ControlDefinition& definition, Control* control) {
  control->id = definition.id;
  control->kind = definition.kind;
  if (definition.kind == ControlKind::kTimer) {
    control->timerPeriodMs = definition.timerPeriodMs;
    control->timerEnabled = ::SetTimer(hwnd_, static_cast<UINT_PTR>(definition.id),
                                       static_cast<UINT>(definition.timerPeriodMs), nullptr) != 0;
    return true;
  }
  const RECT area = ControlArea(definition_, definition);
  if (definition.kind == ControlKind::kWebView) {
    control->webView = WebView::Create(hwnd_, area, definition.id, definition.tabStop);
    control->window = control->webView ? control->webView->Container() : nullptr;
  } else {
    control->window = CreateControlWindow(hwnd_, definition, area, fonts_.FontFor(definition.font));
  }
  return control->window != nullptr;
}

void Win32Window::FinishCreation() {
  if (!hwnd_) return;
  if (alwaysOnTop_) SetTopmostBand(hwnd_, true);
  creating_ = false;
  Raise(MakeEvent(EventKind::kCreated));
}

bool Win32Window::KeepsOnTopWithoutTaskbarButton() const {
  return hwnd_ && alwaysOnTop_ && !definition_.showInTaskbar;
}

LRESULT CALLBACK Win32Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = window;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
  // A handler may drop the last reference to this window (closing it and opening another).
  const std::shared_ptr<Win32Window> keepAlive = self->weak_from_this().lock();
  return self->HandleMessage(window, message, wParam, lParam);
}

LRESULT Win32Window::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage()) {
    tray_.Restore(window);
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) return 0;
      break;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_HSCROLL:
      OnSlider(wParam, lParam);
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnLabelColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                           ::DefWindowProcA(window, message, wParam, lParam));
    case kPrivateMessage:
      Raise(MakeEvent(EventKind::kPrivate));
      return 0;
    case kRowChosenMessage:
      Raise(MakeEvent(EventKind::kRowChosen, static_cast<ControlId>(wParam)));
      return 0;
    case kLabelPressMessage:
      OnLabelPress(wParam, lParam);
      return 0;
    case kTrayCallbackMessage:
      OnTrayCallback(lParam);
      return 0;
    case WM_ENDSESSION:
      if (wParam) Raise(MakeEvent(EventKind::kSessionEnding));
      return 0;
    case WM_GETMINMAXINFO:
      // No smallest size: the definitions' sizes are exact, and nothing here is resizable.
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {0, 0};
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY: {
      const LRESULT result = ::DefWindowProcA(window, message, wParam, lParam);
      OnNcDestroy();
      return result;
    }
    default:
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

bool Win32Window::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam == 0) return OnWindowCommand(LOWORD(wParam));
  const Control* control = FindControlByWindow(reinterpret_cast<HWND>(lParam));
  if (!control) return false;
  const UINT code = HIWORD(wParam);
  if (IsButtonKind(control->kind) && code == BN_CLICKED) {
    Raise(MakeEvent(EventKind::kClicked, control->id));
    return true;
  }
  if (control->kind == ControlKind::kComboBox && code == CBN_SELENDOK) {
    // The combo box copies the chosen row into its edit field only after this notification.
    ::PostMessageA(hwnd_, kRowChosenMessage, static_cast<WPARAM>(control->id), 0);
    return true;
  }
  return false;
}

// Menu choices, and the dialog manager's answer to a cancel key.
bool Win32Window::OnWindowCommand(UINT commandId) {
  if (commandId == IDCANCEL && IsFixedDialog()) {
    ::SendMessageA(hwnd_, WM_CLOSE, 0, 0);
    return true;
  }
  const int item = MenuItemFromCommand(commandId, definition_.menu.size());
  if (item < 0) return false;
  Raise(MakeEvent(EventKind::kMenuCommand, item));
  return true;
}

void Win32Window::OnTimer(WPARAM timerId) {
  const Control* timer = FindControl(static_cast<ControlId>(timerId));
  if (!timer || timer->kind != ControlKind::kTimer || !timer->timerEnabled) return;
  Raise(MakeEvent(EventKind::kTick, timer->id));
}

void Win32Window::OnSlider(WPARAM wParam, LPARAM lParam) {
  const Control* slider = FindControlByWindow(reinterpret_cast<HWND>(lParam));
  if (!slider || slider->kind != ControlKind::kSlider) return;
  // The end of a drag repeats the position the drag already reported.
  if (LOWORD(wParam) == TB_ENDTRACK) return;
  const auto position = static_cast<int>(::SendMessageA(slider->window, TBM_GETPOS, 0, 0));
  Raise(MakeEvent(EventKind::kPositionChanged, slider->id, position));
}

void Win32Window::OnLabelPress(WPARAM wParam, LPARAM lParam) {
  const bool left = HIWORD(wParam) == kLeftButton;
  Event event = MakeEvent(left ? EventKind::kLeftPress : EventKind::kRightPress,
                          static_cast<ControlId>(LOWORD(wParam)));
  event.x = static_cast<short>(LOWORD(lParam));
  event.y = static_cast<short>(HIWORD(lParam));
  event.keys = HeldModifierKeys();
  Raise(event);
}

void Win32Window::OnTrayCallback(LPARAM lParam) {
  const TrayIconKind kind = TrayEventKind(lParam);
  if (kind == TrayIconKind::kNone) return;
  Event event = MakeEvent(EventKind::kTrayIcon);
  event.trayKind = kind;
  Raise(event);
}

LRESULT Win32Window::OnLabelColour(HDC target, HWND label, LRESULT standard) {
  const Control* control = FindControlByWindow(label);
  if (!control || control->kind != ControlKind::kLabel) return standard;
  ::SetBkColor(target, ::GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

void Win32Window::OnClose() {
  // Given back before the window goes, so that activation returns to one of ours.
  disabledByModal_.Restore();
  ::DestroyWindow(hwnd_);
}

void Win32Window::OnDestroy() {
  destroying_ = true;
  disabledByModal_.Restore();
  Raise(MakeEvent(EventKind::kDestroying));
  tray_.Remove(hwnd_);
}

// By now the children are gone too, so nothing draws with the fonts or the icon any more.
void Win32Window::OnNcDestroy() {
  ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  controls_.clear();
  fonts_.Release();
  icon_.reset();
}

void Win32Window::Raise(Event event) {
  if (creating_ || suppressed_ > 0 || registry_.GateClosed()) return;
  event.window = this;
  const auto* handler = FindHandler(bindings_, event);
  if (handler && *handler) (*handler)(event);
}

Win32Window::Control* Win32Window::FindControl(ControlId id) {
  for (Control& control : controls_) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

const Win32Window::Control* Win32Window::FindControl(ControlId id) const {
  return const_cast<Win32Window*>(this)->FindControl(id);
}

const Win32Window::Control* Win32Window::FindControlByWindow(HWND window) const {
  if (!window) return nullptr;
  for (const Control& control : controls_) {
    if (control.window == window) return &control;
  }
  return nullptr;
}

HWND Win32Window::ControlWindow(ControlId id, ControlKind kind) const {
  const Control* control = FindControl(id);
  return control && control->kind == kind ? control->window : nullptr;
}

HWND Win32Window::AnyControlWindow(ControlId id) const {
  const Control* control = FindControl(id);
  return control ? control->window : nullptr;
}

}  // namespace nimbrel::win32
