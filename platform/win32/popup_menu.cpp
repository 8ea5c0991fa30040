#include "platform/win32/popup_menu.h"

namespace nimbrel::win32 {
namespace {

constexpr char kSeparatorText[] = "-";
// The menu opens a little up and left of the cursor, so that the click that opened it
// does not land on its first item.
constexpr int kCursorOffset = 5;

bool IsChecked(const std::vector<bool>& checked, std::size_t index) {
  return index < checked.size() && checked[index];
}

void AppendItem(HMENU popup, const std::vector<MenuItemDefinition>& menu,
                const std::vector<bool>& checked, std::size_t index) {
  const MenuItemDefinition& item = menu[index];
  const auto id = static_cast<UINT_PTR>(kFirstMenuCommandId + index);
  if (item.text == kSeparatorText) {
    ::AppendMenuA(popup, MF_SEPARATOR, id, nullptr);
    return;
  }
  UniqueMenu submenu = BuildPopupMenu(menu, checked, static_cast<int>(index));
  if (submenu) {
    // Once appended, the submenu belongs to the popup and goes with it.
    if (::AppendMenuA(popup, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu.get()),
                      item.text.c_str())) {
      submenu.release();
    }
    return;
  }
  const UINT tick = IsChecked(checked, index) ? MF_CHECKED : MF_UNCHECKED;
  ::AppendMenuA(popup, MF_STRING | tick, id, item.text.c_str());
}

}  // namespace

UniqueMenu BuildPopupMenu(const std::vector<MenuItemDefinition>& menu,
                          const std::vector<bool>& checked, int parent) {
  if (parent < 0 || static_cast<std::size_t>(parent) >= menu.size()) return UniqueMenu();
  const int childDepth = menu[parent].depth + 1;
  UniqueMenu popup;
  for (std::size_t i = static_cast<std::size_t>(parent) + 1; i < menu.size(); ++i) {
    if (menu[i].depth < childDepth) break;
    if (menu[i].depth > childDepth || menu[i].hidden) continue;
    if (!popup) popup.reset(::CreatePopupMenu());
    if (!popup) return UniqueMenu();
    AppendItem(popup.get(), menu, checked, i);
  }
  return popup;
}

void TrackPopupAtCursor(HWND window, HMENU popup) {
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  ::SetForegroundWindow(window);
  ::TrackPopupMenu(popup, TPM_RIGHTALIGN, cursor.x - kCursorOffset, cursor.y - kCursorOffset, 0,
                   window, nullptr);
  // A message of our own makes the task switch the menu left behind complete.
  ::PostMessageA(window, WM_NULL, 0, 0);
}

int MenuItemFromCommand(UINT commandId, std::size_t itemCount) {
  if (commandId < kFirstMenuCommandId) return -1;
  const std::size_t index = commandId - kFirstMenuCommandId;
  return index < itemCount ? static_cast<int>(index) : -1;
}

}  // namespace nimbrel::win32
