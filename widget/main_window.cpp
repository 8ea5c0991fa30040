#include "widget/main_window.h"

#include <algorithm>

#include "core/system_texts.h"

namespace nimbrel::main_window {
namespace {

// The corner ellipse is a fifth of the shorter side.
constexpr int kCornerEllipse = std::min(kWidth / 5, kHeight / 5);

std::vector<ControlDefinition> Controls() {
  ControlDefinition timer = MakeControl(kRefreshTimer, ControlKind::kTimer, {});
  timer.visible = false;
  timer.timerPeriodMs = kRefreshPeriodMs;

  // Larger than the window on every side so that no press can slip past it to the page.
  ControlDefinition overlay =
      MakeControl(kOverlayLabel, ControlKind::kTransparentLabel, {-24, -24, 336, 240});
  overlay.style = style::kClipSiblings;
  overlay.exStyle = style::kTransparent;

  // Overhangs the window so that the browser's own border stays out of sight.
  ControlDefinition webView = MakeControl(kWebView, ControlKind::kWebView, {-3, -3, 264, 199});
  webView.tabStop = true;

  return {timer, overlay, webView};
}

std::vector<MenuItemDefinition> Menu() {
  return {
      {kMenuConfig, 0, true, false},
      {kMenuManualRefresh, 1, false, false},
      {kMenuTimedRefresh, 1, false, true},
      {"-", 1, false, false},
      {kMenuAlwaysOnTop, 1, false, true},
      {kMenuClickThrough, 1, false, true},
      {kMenuDesktopEmbedding, 1, false, true},
      {"-", 1, false, false},
      {kMenuSystemSettings, 1, false, false},
      {kMenuAbout, 1, false, false},
      {"-", 1, false, false},
      {kMenuExit, 1, false, false},
  };
}

}  // namespace

WindowDefinition Definition(const Bytes& iconImage) {
  WindowDefinition definition;
  definition.frame = Frame::kNone;
  definition.style = style::kClipChildren | style::kClipSiblings;
  definition.width = kWidth;
  definition.height = kHeight;
  definition.cornerEllipse = kCornerEllipse;
  definition.iconImage = &iconImage;
  definition.controls = Controls();
  definition.menu = Menu();
  return definition;
}

}  // namespace nimbrel::main_window
