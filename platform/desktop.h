#pragma once

#include <memory>
#include <optional>

#include "core/text.h"
#include "platform/window.h"
#include "platform/window_definition.h"

namespace nimbrel {

struct ScreenSizePixels {
  int width = 0;
  int height = 0;
};

// A rectangle in virtual-screen pixels, which reach left of and above the primary monitor
// when another monitor lies there.
struct ScreenRectPixels {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The window manager and shell as the widget sees them, and the realisation of windows from
// their definitions. It owns every window it creates (the window registry).
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The invisible tool window that owns every other window, so none has a taskbar button.
  virtual bool CreateOwnerToolWindow() = 0;

  // Creates the window hidden, sets its icons and region, creates the controls in order
  // (events they raise meanwhile are dropped), then raises kCreated. Null on failure.
  virtual std::shared_ptr<Window> CreateWindowFrom(const WindowDefinition& definition,
                                                   EventBindings bindings) = 0;

  virtual ScreenSizePixels ScreenSize() const = 0;
  // True when the rectangle overlaps a monitor that exists (MonitorFromRect, no default).
  virtual bool OverlapsAMonitor(const ScreenRectPixels& rect) const = 0;
  virtual std::uint32_t GetExStyle(NativeHandle window) const = 0;
  virtual std::uint32_t SetExStyle(NativeHandle window, std::uint32_t exStyle) = 0;
  // Extended style := WS_EX_LAYERED alone, then the layered alpha; alpha outside 0..255 or
  // absent is 255. Does nothing outside the NT family.
  virtual int ApplyTransparency(NativeHandle window, std::optional<int> alpha) = 0;
  virtual NativeHandle FindDesktopHost() const = 0;
  virtual NativeHandle SetWindowParent(NativeHandle child, NativeHandle parent) = 0;

  // Runs the thread's message loop; it does not end by itself.
  virtual void RunMessageLoop() = 0;
  // From now on no event handler of any window runs; events are dropped.
  virtual void CloseHandlerGate() = 0;
  // Destroys every window, the tool window included, and releases what they hold.
  virtual void DestroyAllWindows() = 0;
};

}  // namespace nimbrel
