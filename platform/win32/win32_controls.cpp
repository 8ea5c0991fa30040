#include "platform/win32/win32_controls.h"

#include <commctrl.h>

#include "platform/win32/picture_box.h"
#include "platform/win32/transparent_label.h"

namespace nimbrel::win32 {
namespace {

// Frames inside frames are allowed; a definition that names itself must not hang us.
constexpr int kDeepestNesting = 8;

struct WindowKind {
  const char* className;
  DWORD style;
  DWORD exStyle;
};

WindowKind KindOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kTransparentLabel:
      return {TransparentLabelClass(), WS_CLIPSIBLINGS, WS_EX_TRANSPARENT};
    case ControlKind::kLabel:
      return {"STATIC", 0, 0};
    case ControlKind::kCheckBox:
    case ControlKind::kPushButton:
      return {"BUTTON", 0, 0};
    case ControlKind::kGroupFrame:
      return {"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::kComboBox:
      return {"COMBOBOX", 0, 0};
    case ControlKind::kSlider:
      return {TRACKBAR_CLASSA, TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM, 0};
    case ControlKind::kPictureBox:
      return {PictureBoxClass(), 0, 0};
    case ControlKind::kTimer:
    case ControlKind::kWebView:
      break;
  }
  return {nullptr, 0, 0};
}

void EnsureCommonControls() {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    return ::InitCommonControlsEx(&classes) != FALSE;
  }();
  static_cast<void>(initialised);
}

const ControlDefinition* FindControl(const WindowDefinition& window, ControlId id) {
  for (const ControlDefinition& control : window.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

POINT ContainerOrigin(const WindowDefinition& window, ControlId container) {
  POINT origin{0, 0};
  for (int depth = 0; container != kWindowItself && depth < kDeepestNesting; ++depth) {
    const ControlDefinition* frame = FindControl(window, container);
    if (!frame) break;
    origin.x += frame->bounds.left;
    origin.y += frame->bounds.top;
    container = frame->container;
  }
  return origin;
}

// The list's rows one step apart from the platform's default height.
void SpaceListRows(HWND combo, int extraRowHeight) {
  const LRESULT standard = ::SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0);
  if (standard == CB_ERR || extraRowHeight == 0) return;
  const LRESULT wanted = standard + extraRowHeight;
  ::SendMessageA(combo, CB_SETITEMHEIGHT, 0, wanted);
  if (::SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0) == wanted) return;
  // Wine hands the rows' height on to the list only for owner-drawn combo boxes; the list
  // box itself takes it.
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof(parts);
  if (::GetComboBoxInfo(combo, &parts) && parts.hwndList) {
    ::SendMessageA(parts.hwndList, LB_SETITEMHEIGHT, 0, wanted);
  }
}

// The common controls' version 6 drop a list of at least 30 rows whatever the box's height,
// which would hang the province list far below the dialog: keep it within the given height.
void LimitDroppedList(HWND combo, int listHeight) {
  RECT closed{};
  const LRESULT rowHeight = ::SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0);
  if (listHeight <= 0 || rowHeight <= 0 || !::GetWindowRect(combo, &closed)) return;
  const int rows = (listHeight - (closed.bottom - closed.top) - 2) / static_cast<int>(rowHeight);
  ::SendMessageA(combo, CB_SETMINVISIBLE, rows > 0 ? rows : 1, 0);
}

void SetUpSlider(HWND slider, const SliderRange& range) {
  ::SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(range.minimum, range.maximum));
  ::SendMessageA(slider, TBM_SETLINESIZE, 0, range.lineSize);
  ::SendMessageA(slider, TBM_SETPAGESIZE, 0, range.pageSize);
  ::SendMessageA(slider, TBM_SETTICFREQ, range.tickFrequency, 0);
  ::SendMessageA(slider, TBM_SETPOS, TRUE, range.position);
}

DWORD StyleOf(const ControlDefinition& control, const WindowKind& kind) {
  return WS_CHILD | (control.visible ? WS_VISIBLE : 0) | (control.tabStop ? WS_TABSTOP : 0) |
         kind.style | control.style;
}

}  // namespace

RECT ControlArea(const WindowDefinition& window, const ControlDefinition& control) {
  const POINT origin = ContainerOrigin(window, control.container);
  const Bounds& bounds = control.bounds;
  const bool tallList = control.kind == ControlKind::kComboBox && control.listHeight > 0;
  const int height = tallList ? control.listHeight : bounds.height;
  const LONG left = origin.x + bounds.left;
  const LONG top = origin.y + bounds.top;
  return {left, top, left + bounds.width, top + height};
}

HWND CreateControlWindow(HWND parent, const ControlDefinition& control, const RECT& area,
                         HFONT font) {
  EnsureCommonControls();
  const WindowKind kind = KindOf(control.kind);
  if (!kind.className) return nullptr;
  // Only the picture box reads its creation data, and only to read the bytes.
  void* creationData =
      control.kind == ControlKind::kPictureBox ? const_cast<Bytes*>(control.picture) : nullptr;
  const HWND window = ::CreateWindowExA(
      kind.exStyle | control.exStyle, kind.className, control.text.c_str(), StyleOf(control, kind),
      area.left, area.top, area.right - area.left, area.bottom - area.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), ::GetModuleHandleA(nullptr),
      creationData);
  if (!window) return nullptr;
  ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (control.kind == ControlKind::kComboBox) {
    SpaceListRows(window, control.extraRowHeight);
    LimitDroppedList(window, control.listHeight);
  }
  if (control.kind == ControlKind::kSlider) SetUpSlider(window, control.slider);
  return window;
}

}  // namespace nimbrel::win32
