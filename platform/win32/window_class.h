#pragma once

// Registration of the program's own window classes.

#include <windows.h>

namespace nimbrel::win32 {

struct WindowClassDescription {
  const char* name = nullptr;
  WNDPROC procedure = nullptr;
  UINT styles = 0;
  const char* cursor = IDC_ARROW;  // a system cursor
  HBRUSH background = nullptr;     // none: the window paints its whole background itself
};

// Registers the described class the first time it is asked for; the class then stays for the
// life of the process, so later calls only find it. Returns the name to create windows with,
// or nullptr when Windows refused the class.
const char* RegisteredWindowClass(const WindowClassDescription& description);

}  // namespace nimbrel::win32
