#pragma once

// The program's own window messages, in one place so that no two share a number (the tray
// icon's callback, WM_APP + 100, is declared with the tray icon).

#include <windows.h>

namespace nimbrel::win32 {

constexpr UINT kPrivateMessage = WM_APP + 1;    // Window::PostPrivate
constexpr UINT kRowChosenMessage = WM_APP + 2;  // wParam: the combo box's control id
// From a transparent label to its parent: wParam MAKEWPARAM(control id, LabelButton),
// lParam the press's own lParam (client coordinates of the label).
constexpr UINT kLabelPressMessage = WM_APP + 3;

}  // namespace nimbrel::win32
