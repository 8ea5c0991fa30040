#include "platform/win32/window_class.h"

namespace nimbrel::win32 {

const char* RegisteredWindowClass(const WindowClassDescription& description) {
  const HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  if (::GetClassInfoExA(instance, description.name, &windowClass)) return description.name;
  windowClass.style = description.styles;
  windowClass.lpfnWndProc = description.procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorA(nullptr, description.cursor);
  windowClass.hbrBackground = description.background;
  windowClass.lpszClassName = description.name;
  // Another thread may have registered it since the look-up.
  const bool registered =
      ::RegisterClassExA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return registered ? description.name : nullptr;
}

}  // namespace nimbrel::win32
