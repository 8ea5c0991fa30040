#pragma once

#include "core/text.h"
#include "platform/window_definition.h"

namespace nimbrel {

// A realised window and its controls. Once the window has been destroyed every operation
// does nothing, WindowHandle() gives 0 and the queries give empty values, so a caller that holds a
// window past its end can do no harm.
class Window {
 public:
  virtual ~Window() = default;

  virtual NativeHandle WindowHandle() const = 0;
  virtual bool IsOpen() const = 0;

  // Outer rectangle; left/top relative to the parent's client area for a non-popup child.
  virtual int GetWindowLeft() const = 0;
  virtual int GetWindowTop() const = 0;
  virtual int GetWindowWidth() const = 0;
  virtual int GetWindowHeight() const = 0;
  // Move along one axis, clamped to -32627..32627, size unchanged.
  virtual void SetWindowLeft(int left) = 0;
  virtual void SetWindowTop(int top) = 0;

  // Into or out of the topmost band; switching off puts the program's other topmost windows
  // without taskbar button back on top.
  virtual void SetTopmost(bool on) = 0;
  // The system's move loop as if the caption had been pressed; returns when it ends.
  virtual void BeginWindowDrag() = 0;

  virtual void ShowTrayIcon(const Bytes& iconImage, const Text& tip) = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual bool HasTrayIcon() const = 0;

  // Builds the item's children afresh and tracks them at the cursor; a chosen item arrives
  // as a kMenuCommand event after the menu has closed.
  virtual void PopupMenuAtCursor(int menuItem) = 0;
  virtual void SetMenuChecked(int menuItem, bool checked) = 0;
  virtual bool MenuChecked(int menuItem) const = 0;

  // Control state. None of these raises an event.
  virtual void SetChecked(ControlId control, bool checked) = 0;
  virtual bool Checked(ControlId control) const = 0;
  virtual void SetText(ControlId control, const Text& text) = 0;
  virtual Text GetText(ControlId control) const = 0;
  virtual void AddListRow(ControlId control, const Text& row) = 0;
  virtual void ResetList(ControlId control) = 0;  // list and edit text
  virtual void SetSliderPosition(ControlId control, int position) = 0;
  virtual void EnableTimer(ControlId control, bool enabled) = 0;
  virtual void SetWebAddress(ControlId control, const Text& address) = 0;

  virtual void Show() = 0;  // SW_SHOW, which also activates
  // Restores a minimised window, otherwise activates it.
  virtual void RestoreOrActivate() = 0;
  // Posts the window's private message; it arrives as a kPrivate event after the current
  // handler has returned, and is dropped when the window is gone by then.
  virtual void PostPrivate() = 0;
  virtual void Destroy() = 0;

  // Disables the program's other top-level windows (remembering their enabled state), runs a
  // nested message loop until this window is destroyed, then restores them.
  virtual void RunModal() = 0;
};

}  // namespace nimbrel
