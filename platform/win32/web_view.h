#pragma once

// The WebBrowser control hosted in a container window of its own.

#include <windows.h>

#include <memory>

#include "core/text.h"

namespace nimbrel::win32 {

struct WebViewSettings {
  int fontSize = 2;  // 0..4, clamped
  bool offline = false;
  bool silent = false;
};

class WebView {
 public:
  // Null when the container or the control cannot be created or gives no IWebBrowser2.
  // OLE must be initialised on this thread.
  static std::unique_ptr<WebView> Create(HWND parent, const RECT& bounds, int controlId,
                                         bool tabStop, const WebViewSettings& settings = {});
  virtual ~WebView() = default;

  // Every call navigates, also to the address already shown: that is how a page reloads.
  virtual void SetAddress(const Text& address) = 0;
  virtual HWND Container() const = 0;
};

}  // namespace nimbrel::win32
