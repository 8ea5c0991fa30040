#include "platform/win32/web_view_site.h"

namespace nimbrel::win32 {

namespace {

// Interlocked like any COM reference count: nothing promises every Release comes from this
// thread.
LONG liveSites = 0;

}  // namespace

WebViewSite::WebViewSite(HWND container) : container_(container) {
  InterlockedIncrement(&liveSites);
}

WebViewSite::~WebViewSite() {
  InterlockedDecrement(&liveSites);
}

long WebViewSite::LiveCount() {
  return InterlockedCompareExchange(&liveSites, 0, 0);
}

STDMETHODIMP WebViewSite::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  // IUnknown and IOleWindow are reachable through more than one base: one fixed path each
  // keeps the identity rule of COM.
  if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) WebViewSite::AddRef() {
  return InterlockedIncrement(&references_);
}

STDMETHODIMP_(ULONG) WebViewSite::Release() {
  const LONG remaining = InterlockedDecrement(&references_);
  if (remaining == 0) delete this;
  return remaining;
}

// Nothing is persisted: the page is fetched again on every start.
STDMETHODIMP WebViewSite::SaveObject() {
  return E_NOTIMPL;
}

STDMETHODIMP WebViewSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

// No document container: the control is the only object in its window.
STDMETHODIMP WebViewSite::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP WebViewSite::ShowObject() {
  return S_OK;
}

STDMETHODIMP WebViewSite::OnShowWindow(BOOL) {
  return S_OK;
}

STDMETHODIMP WebViewSite::RequestNewObjectLayout() {
  return E_NOTIMPL;
}

STDMETHODIMP WebViewSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = container_;
  return S_OK;
}

STDMETHODIMP WebViewSite::ContextSensitiveHelp(BOOL) {
  return E_NOTIMPL;
}

STDMETHODIMP WebViewSite::CanInPlaceActivate() {
  return S_OK;
}

STDMETHODIMP WebViewSite::OnInPlaceActivate() {
  return S_OK;
}

STDMETHODIMP WebViewSite::OnUIActivate() {
  return S_OK;
}

STDMETHODIMP WebViewSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                           LPRECT position, LPRECT clip,
                                           LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !document || !position || !clip || !info) return E_POINTER;
  *frame = static_cast<IOleInPlaceFrame*>(this);
  AddRef();
  *document = nullptr;
  // The control always fills the container, so both rectangles are its client area.
  GetClientRect(container_, position);
  *clip = *position;
  info->fMDIApp = FALSE;
  info->hwndFrame = container_;
  info->haccel = nullptr;
  info->cAccelEntries = 0;
  return S_OK;
}

STDMETHODIMP WebViewSite::Scroll(SIZE) {
  return E_NOTIMPL;
}

STDMETHODIMP WebViewSite::OnUIDeactivate(BOOL) {
  return S_OK;
}

STDMETHODIMP WebViewSite::OnInPlaceDeactivate() {
  return S_OK;
}

STDMETHODIMP WebViewSite::DiscardUndoState() {
  return E_NOTIMPL;
}

STDMETHODIMP WebViewSite::DeactivateAndUndo() {
  return E_NOTIMPL;
}

// The container decides the size on WM_SIZE; a control asking for another one is ignored.
STDMETHODIMP WebViewSite::OnPosRectChange(LPCRECT) {
  return S_OK;
}

// The frame has no toolbars to negotiate: the control may not claim border space.
STDMETHODIMP WebViewSite::GetBorder(LPRECT) {
  return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP WebViewSite::RequestBorderSpace(LPCBORDERWIDTHS) {
  return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP WebViewSite::SetBorderSpace(LPCBORDERWIDTHS widths) {
  const bool none = !widths || (widths->left == 0 && widths->top == 0 && widths->right == 0 &&
                                widths->bottom == 0);
  return none ? S_OK : OLE_E_INVALIDRECT;
}

STDMETHODIMP WebViewSite::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) {
  return S_OK;
}

// No menus to merge: the widget has no menu bar.
STDMETHODIMP WebViewSite::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
  return S_OK;
}

STDMETHODIMP WebViewSite::SetMenu(HMENU, HOLEMENU, HWND) {
  return S_OK;
}

STDMETHODIMP WebViewSite::RemoveMenus(HMENU) {
  return S_OK;
}

STDMETHODIMP WebViewSite::SetStatusText(LPCOLESTR) {
  return S_OK;
}

STDMETHODIMP WebViewSite::EnableModeless(BOOL) {
  return S_OK;
}

STDMETHODIMP WebViewSite::TranslateAccelerator(LPMSG, WORD) {
  return S_FALSE;
}

}  // namespace nimbrel::win32
