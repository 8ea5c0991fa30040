#pragma once

// A top-level window realised from its definition, with its controls and event dispatch.

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/win32/control_fonts.h"
#include "platform/win32/disabled_windows.h"
#include "platform/win32/tray_icon.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/web_view.h"
#include "platform/win32/window_registry.h"
#include "platform/window.h"

namespace nimbrel::win32 {

class Win32Window final : public Window, public std::enable_shared_from_this<Win32Window> {
 public:
  // The window, hidden, with its icons, region and controls; null when any part fails.
  // Nothing is raised yet: FinishCreation does that once the registry knows the window.
  static std::shared_ptr<Win32Window> Realise(WindowRegistry& registry,
                                              const WindowDefinition& definition,
                                              EventBindings bindings);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Enters the topmost band when the definition asks, then raises kCreated.
  void FinishCreation();

  HWND Hwnd() const { return hwnd_; }
  bool IsBeingDestroyed() const { return destroying_; }
  bool IsFixedDialog() const { return definition_.frame == Frame::kFixedDialog; }
  // What switching another window out of the topmost band puts back on top.
  bool KeepsOnTopWithoutTaskbarButton() const;

  NativeHandle WindowHandle() const override;
  bool IsOpen() const override { return hwnd_ != nullptr; }

  int GetWindowLeft() const override;
  int GetWindowTop() const override;
  int GetWindowWidth() const override;
  int GetWindowHeight() const override;
  void SetWindowLeft(int left) override;
  void SetWindowTop(int top) override;
  void SetTopmost(bool on) override;
  void BeginWindowDrag() override;

  void ShowTrayIcon(const Bytes& iconImage, const Text& tip) override;
  void RemoveTrayIcon() override;
  bool HasTrayIcon() const override { return tray_.IsShown(); }

  void PopupMenuAtCursor(int menuItem) override;
  void SetMenuChecked(int menuItem, bool checked) override;
  bool MenuChecked(int menuItem) const override;

  void SetChecked(ControlId control, bool checked) override;
  bool Checked(ControlId control) const override;
  void SetText(ControlId control, const Text& text) override;
  Text GetText(ControlId control) const override;
  void AddListRow(ControlId control, const Text& row) override;
  void ResetList(ControlId control) override;
  void SetSliderPosition(ControlId control, int position) override;
  void EnableTimer(ControlId control, bool enabled) override;
  void SetWebAddress(ControlId control, const Text& address) override;

  void Show() override;
  void RestoreOrActivate() override;
  void PostPrivate() override;
  void Destroy() override;
  void RunModal() override;

 private:
  struct Control {
    ControlId id = 0;
    ControlKind kind = ControlKind::kLabel;
    HWND window = nullptr;  // the web view's container for a web view; none for a timer
    int timerPeriodMs = 0;
    bool timerEnabled = false;
    std::unique_ptr<WebView> webView;
  };

  Win32Window(WindowRegistry& registry, const WindowDefinition& definition, EventBindings bindings);

  bool CreateFrame();
  void SetIcons();
  void SetRegion();
  bool CreateControls();
  bool CreateControl(const ControlDefinition& definition, Control* control);

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCommand(WPARAM wParam, LPARAM lParam);
  bool OnWindowCommand(UINT commandId);
  void OnTimer(WPARAM timerId);
  void OnSlider(WPARAM wParam, LPARAM lParam);
  void OnLabelPress(WPARAM wParam, LPARAM lParam);
  void OnTrayCallback(LPARAM lParam);
  LRESULT OnLabelColour(HDC target, HWND label, LRESULT standard);
  void OnClose();
  void OnDestroy();
  void OnNcDestroy();

  void Raise(Event event);
  Control* FindControl(ControlId id);
  const Control* FindControl(ControlId id) const;
  const Control* FindControlByWindow(HWND window) const;
  // The control's window when it is of `kind`, else null.
  HWND ControlWindow(ControlId id, ControlKind kind) const;
  HWND AnyControlWindow(ControlId id) const;

  WindowRegistry& registry_;
  WindowDefinition definition_;
  EventBindings bindings_;
  HWND hwnd_ = nullptr;
  bool creating_ = true;
  bool destroying_ = false;
  int suppressed_ = 0;  // the program itself is changing a control
  bool alwaysOnTop_ = false;
  std::vector<bool> menuChecked_;
  std::vector<Control> controls_;
  ControlFonts fonts_;
  UniqueIcon icon_;
  TrayIcon tray_;
  DisabledWindows disabledByModal_;
};

}  // namespace nimbrel::win32
