#include "platform/win32/web_view.h"

#include <ole2.h>
#include <exdisp.h>
#include <docobj.h>

#include <algorithm>

#include "platform/win32/unique_handles.h"
#include "platform/win32/window_class.h"
#include "platform/win32/web_view_site.h"

namespace nimbrel::win32 {

namespace {

constexpr char kContainerClass[] = "NimbrelWebView";
constexpr DWORD kContainerStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE;
constexpr int kBrowserWindowId = 0xE900;
constexpr int kSmallestFontSize = 0;
constexpr int kLargestFontSize = 4;

VARIANT IntegerVariant(LONG value) {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_I4;
  variant.lVal = value;
  return variant;
}

VARIANT NullStringVariant() {
  VARIANT variant;
  VariantInit(&variant);
  variant.vt = VT_BSTR;
  variant.bstrVal = nullptr;
  return variant;
}

VARIANT_BOOL ToVariantBool(bool value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// Texts are in the ANSI code page of the system (936 where the widget is meant to run), so the
// conversion follows whatever code page that is rather than naming one.
UniqueBstr AnsiToBstr(const Text& text) {
  const int length = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  UniqueBstr wide(SysAllocStringLen(nullptr, static_cast<UINT>(wideLength)));
  if (wide && wideLength > 0) {
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.get(), wideLength);
  }
  return wide;
}

class HostedWebView final : public WebView {
 public:
  HostedWebView() = default;
  HostedWebView(const HostedWebView&) = delete;
  HostedWebView& operator=(const HostedWebView&) = delete;
  ~HostedWebView() override {
    if (container_) DestroyWindow(container_);
  }

  bool CreateContainer(HWND parent, const RECT& bounds, int controlId, bool tabStop);
  bool EmbedBrowser();
  void ApplySettings(const WebViewSettings& settings);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The window is gone (with its parent, or through the destructor): nothing left to destroy.
  void ForgetContainer() { container_ = nullptr; }

  void SetAddress(const Text& address) override;
  HWND Container() const override { return container_; }

 private:
  bool ActivateInPlace(IOleClientSite* site);
  void FitBrowser(int width, int height);
  void CloseBrowser();

  HWND container_ = nullptr;
  HWND browserWindow_ = nullptr;
  ComPtr<WebViewSite> site_;
  ComPtr<IOleObject> object_;
  ComPtr<IOleInPlaceObject> inPlaceObject_;
  ComPtr<IWebBrowser2> browser_;
};

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* view = reinterpret_cast<HostedWebView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!view) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    view->ForgetContainer();
    return DefWindowProcA(window, message, wParam, lParam);
  }
  return view->HandleMessage(window, message, wParam, lParam);
}

const char* ContainerClass() {
  WindowClassDescription description;
  description.name = kContainerClass;
  description.procedure = ContainerProc;
  description.styles = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  description.background = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  return RegisteredWindowClass(description);
}

bool HostedWebView::CreateContainer(HWND parent, const RECT& bounds, int controlId, bool tabStop) {
  const char* className = ContainerClass();
  if (!className) return false;
  const DWORD style = kContainerStyle | (tabStop ? WS_TABSTOP : 0);
  container_ = CreateWindowExA(0, className, "", style, bounds.left, bounds.top,
                               bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                               GetModuleHandleA(nullptr), this);
  return container_ != nullptr;
}

bool HostedWebView::EmbedBrowser() {
  HRESULT result = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    reinterpret_cast<void**>(object_.Receive()));
  if (FAILED(result)) return false;
  *site_.Receive() = new WebViewSite(container_);
  auto* clientSite = static_cast<IOleClientSite*>(site_.Get());
  if (FAILED(object_->SetClientSite(clientSite)) || !ActivateInPlace(clientSite)) return false;
  result = object_->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(browser_.Receive()));
  return SUCCEEDED(result) && browser_;
}

bool HostedWebView::ActivateInPlace(IOleClientSite* site) {
  RECT client;
  GetClientRect(container_, &client);
  if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, container_, &client))) {
    return false;
  }
  const HRESULT result = object_->QueryInterface(
      IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlaceObject_.Receive()));
  if (FAILED(result) || FAILED(inPlaceObject_->GetWindow(&browserWindow_))) return false;
  // The id lets the parent's code tell the browser's window from its other children.
  SetWindowLongPtrW(browserWindow_, GWLP_ID, kBrowserWindowId);
  return true;
}

void HostedWebView::ApplySettings(const WebViewSettings& settings) {
  browser_->put_Offline(ToVariantBool(settings.offline));
  browser_->put_Silent(ToVariantBool(settings.silent));
  VARIANT zoom = IntegerVariant(std::clamp(settings.fontSize, kSmallestFontSize, kLargestFontSize));
  // A control without a document yet may refuse the zoom; the widget treats the text size as a
  // preference, never as a reason to fail.
  browser_->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &zoom, nullptr);
}

void HostedWebView::SetAddress(const Text& address) {
  if (!browser_) return;
  UniqueBstr url = AnsiToBstr(address);
  VARIANT flags = IntegerVariant(0);
  VARIANT targetFrame = NullStringVariant();
  VARIANT postData;
  VariantInit(&postData);
  VARIANT headers = NullStringVariant();
  browser_->Navigate(url.get(), &flags, &targetFrame, &postData, &headers);
}

void HostedWebView::FitBrowser(int width, int height) {
  if (!inPlaceObject_) return;
  const RECT whole = {0, 0, width, height};
  // The control moves its own window here, and keeps the rectangle for its later layout.
  inPlaceObject_->SetObjectRects(&whole, &whole);
}

void HostedWebView::CloseBrowser() {
  browser_.Reset();
  inPlaceObject_.Reset();
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_.Reset();
  }
  site_.Reset();
  browserWindow_ = nullptr;
}

LRESULT HostedWebView::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      FitBrowser(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_SETFOCUS:
      if (browserWindow_) SetFocus(browserWindow_);
      return 0;
    case WM_DESTROY:
      CloseBrowser();
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

std::unique_ptr<WebView> WebView::Create(HWND parent, const RECT& bounds, int controlId,
                                         bool tabStop, const WebViewSettings& settings) {
  auto view = std::make_unique<HostedWebView>();
  if (!view->CreateContainer(parent, bounds, controlId, tabStop)) return nullptr;
  // Failure leaves the container to the destructor, whose WM_DESTROY closes what was embedded.
  if (!view->EmbedBrowser()) return nullptr;
  view->ApplySettings(settings);
  return view;
}

}  // namespace nimbrel::win32
