#pragma once

#include <windows.h>

#include <vector>

#include "platform/win32/unique_handles.h"
#include "platform/window_definition.h"

namespace nimbrel::win32 {

constexpr UINT kFirstMenuCommandId = 20000;

// Builds a popup from the children of `menu[parent]` (one level deeper, up to the next item
// at the parent's depth or above): hidden ones skipped, "-" as a separator, ticks from
// `checked` (indexed like `menu`), ids kFirstMenuCommandId + definition index. Empty when the
// item has no children.
UniqueMenu BuildPopupMenu(const std::vector<MenuItemDefinition>& menu,
                          const std::vector<bool>& checked, int parent);

// SetForegroundWindow, TrackPopupMenu(TPM_RIGHTALIGN) at the cursor - 5, PostMessage(WM_NULL).
void TrackPopupAtCursor(HWND window, HMENU popup);

// The definition index of a WM_COMMAND id, or -1.
int MenuItemFromCommand(UINT commandId, std::size_t itemCount);

}  // namespace nimbrel::win32
