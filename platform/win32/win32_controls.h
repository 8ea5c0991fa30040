#pragma once

// The child windows of the control kinds that are plain windows (every kind but the timer,
// which has no window, and the web view, which WebView makes).

#include <windows.h>

#include "platform/window_definition.h"

namespace nimbrel::win32 {

// The control's rectangle in its window's client area: one held by a group frame is placed
// relative to the frame's top-left corner. A combo box is as tall as its opened list.
RECT ControlArea(const WindowDefinition& window, const ControlDefinition& control);

// The control's window with its font and the settings of its kind; null on failure.
HWND CreateControlWindow(HWND parent, const ControlDefinition& control, const RECT& area,
                         HFONT font);

}  // namespace nimbrel::win32
