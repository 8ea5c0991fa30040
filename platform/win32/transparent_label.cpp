#include "platform/win32/transparent_label.h"

#include <string>

#include "platform/win32/gdi_scopes.h"
#include "platform/win32/window_class.h"
#include "platform/win32/window_services.h"

namespace nimbrel::win32 {
namespace {

constexpr char kClassName[] = "Nimbrel.TransparentLabel";
constexpr UINT kTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
constexpr COLORREF kTextColour = RGB(0, 0, 0);

HFONT FontOf(HWND label) {
  const auto font = reinterpret_cast<HFONT>(::GetWindowLongPtrA(label, GWLP_USERDATA));
  return font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

void DrawLabelText(HWND label, HDC target) {
  RECT client{};
  ::GetClientRect(label, &client);
  const std::string text = WindowText(label);
  ::SetBkMode(target, TRANSPARENT);
  ::SetTextColor(target, kTextColour);
  const SelectedObject font(target, FontOf(label));
  ::DrawTextA(target, text.c_str(), static_cast<int>(text.size()), &client, kTextFormat);
}

void Paint(HWND label) {
  const PaintScope paint(label);
  DrawLabelText(label, paint.context());
}

// The old text is not erased by the label itself: what lies below has to paint again.
void RepaintWhatLiesBelow(HWND label) {
  const HWND parent = ::GetParent(label);
  RECT area{};
  ::GetWindowRect(label, &area);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
  ::RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ReportPress(HWND label, LabelButton button, LPARAM position) {
  const WPARAM source = MAKEWPARAM(static_cast<WORD>(::GetDlgCtrlID(label)), button);
  ::SendMessageA(::GetParent(label), kLabelPressMessage, source, position);
}

LRESULT CALLBACK LabelProcedure(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(label);
      return 0;
    case WM_PRINTCLIENT:
      DrawLabelText(label, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_LBUTTONDOWN:
      ReportPress(label, kLeftButton, lParam);
      return 0;
    case WM_RBUTTONDOWN:
      ReportPress(label, kRightButton, lParam);
      return 0;
    case WM_LBUTTONDBLCLK:
      return 0;
    case WM_SETFONT:
      ::SetWindowLongPtrA(label, GWLP_USERDATA, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam)) ::InvalidateRect(label, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return ::GetWindowLongPtrA(label, GWLP_USERDATA);
    case WM_SETTEXT: {
      const LRESULT result = ::DefWindowProcA(label, message, wParam, lParam);
      RepaintWhatLiesBelow(label);
      return result;
    }
    default:
      return ::DefWindowProcA(label, message, wParam, lParam);
  }
}

}  // namespace

const char* TransparentLabelClass() {
  WindowClassDescription description;
  description.name = kClassName;
  description.procedure = LabelProcedure;
  description.styles = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  return RegisteredWindowClass(description);
}

}  // namespace nimbrel::win32
