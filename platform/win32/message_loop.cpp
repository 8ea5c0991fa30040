#include "platform/win32/message_loop.h"

#include <windows.h>

#include "platform/win32/win32_window.h"

namespace nimbrel::win32 {
namespace {

constexpr char kComboBoxClass[] = "ComboBox";
constexpr int kClassNameBytes = 32;

bool IsComboWithListDropped(HWND window) {
  char name[kClassNameBytes] = {};
  if (!window || !::GetClassNameA(window, name, kClassNameBytes)) return false;
  if (::lstrcmpiA(name, kComboBoxClass) != 0) return false;
  return ::SendMessageA(window, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

// Esc then belongs to the combo box, which closes its list first.
bool FocusedComboListDropped() {
  const HWND focus = ::GetFocus();
  // A drop-down combo box hands the focus to its edit field, a child of its own.
  return IsComboWithListDropped(focus) || (focus && IsComboWithListDropped(::GetParent(focus)));
}

bool IsKeyPress(const MSG& message, WPARAM key) {
  return message.message == WM_KEYDOWN && message.wParam == key;
}

// True when the message has been dealt with and must not be dispatched again.
bool HandleKeyboard(const WindowRegistry& registry, MSG& message) {
  if (!message.hwnd) return false;
  const HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
  const Win32Window* window = registry.FindOpen(root);
  if (!window) return false;
  if (IsKeyPress(message, VK_ESCAPE) && !FocusedComboListDropped()) {
    ::SendMessageA(root, WM_CLOSE, 0, 0);
    return true;
  }
  // The dialog manager would turn Enter into a click on a default or IDOK button; Enter
  // means nothing in this program.
  if (!window->IsFixedDialog() || IsKeyPress(message, VK_RETURN)) return false;
  return ::IsDialogMessageA(root, &message) != FALSE;
}

}  // namespace

std::optional<int> RunMessagesUntil(const WindowRegistry& registry,
                                    const std::function<bool()>& finished) {
  MSG message{};
  while (!finished()) {
    const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return std::nullopt;
    if (HandleKeyboard(registry, message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return std::nullopt;
}

}  // namespace nimbrel::win32
